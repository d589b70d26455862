#pragma once

#include "modulefacts.h"

#include <QtCore/QObject>
#include <QtNetwork/QHostAddress>
#include <QtNetwork/QUdpSocket>

#include <optional>

class Simulator;

// The module's command port beside the simulator's data port: answers a search with the
// simulator's own values, as the module does, and says in one line what it did with each
// request. It only reads: a request that would set a value gets no answer.
class CommandPort : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        QString searchId; // when set, only requests that carry it are answered
        Module::Mode mode = Module::Mode::TcpServer; // the mode it claims
    };

    CommandPort(const Simulator &simulator, const Options &options, QObject *parent = nullptr);

    // Listens on `address` and `port` (0 for any free port).
    bool listen(const QHostAddress &address, quint16 port);
    quint16 port() const { return m_socket.localPort(); }
    QString errorString() const { return m_socket.errorString(); }
    // A locally administered MAC made from the data endpoint, so that simulators on different
    // endpoints differ.
    QByteArray mac() const;

    // The answer to `request` from `asker`, or nothing; `verdict` then says why it gets none.
    std::optional<QByteArray> answer(const QByteArray &request, const QHostAddress &asker,
                                     QString &verdict) const;

signals:
    void line(const QString &text);

private:
    void readRequests();
    QByteArray valueOf(const QByteArray &command, const QHostAddress &asker) const;
    // The address it gives itself to `asker`.
    QHostAddress addressFor(const QHostAddress &asker) const;

    const Simulator &m_simulator;
    Options m_options;
    QHostAddress m_address;
    bool m_loopbackOnly = false; // listening on every address, for askers on this machine
    QUdpSocket m_socket;
    QUdpSocket m_replySocket; // bound to m_address when m_socket listens on every address
};
