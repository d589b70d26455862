#pragma once

#include <QtCore/QObject>
#include <QtCore/QString>

#include <optional>

class QSocketNotifier;
class QTcpSocket;

// The connected socket from the first byte written to the end, where the system lets us tell
// what became of the bytes: whether the module's TCP acknowledged them, and whether the module
// closed the connection or reset it. A program that closes with unread bytes sends a reset,
// so a reset is the sign that the command was not taken.
//
// On Unix the descriptor is taken over from Qt, whose reads take an ordinary close and a
// reset for the same end. Elsewhere the Qt socket carries on and every end reads as a close.
class DeliverySocket : public QObject
{
    Q_OBJECT

public:
    enum class Ending {
        Closed, // the module closed its side in order
        Reset,  // the module reset the connection
        Failed, // the system reports another error; errorString() says which
    };
    Q_ENUM(Ending)

    // Takes over the connected `socket`; it is closed or left alone from here on.
    explicit DeliverySocket(QTcpSocket &socket, QObject *parent = nullptr);
    ~DeliverySocket() override;

    // Writes all of `bytes` or reports why not (ended() may follow).
    bool write(const QByteArray &bytes);
    // The bytes written that the module's TCP has not acknowledged yet; nothing where the
    // system does not tell.
    std::optional<qint64> unacknowledged() const;
    // Ends the sending side, so that the module reads the end of the stream after the command.
    bool closeSending();
    QString errorString() const { return m_error; }

signals:
    // The connection has ended from the module's side; emitted once.
    void ended(DeliverySocket::Ending how);

private:
    void readEnd();
    void finish(Ending how);

    QTcpSocket &m_socket;
    int m_descriptor = -1;
    QSocketNotifier *m_readable = nullptr;
    bool m_ended = false;
    QString m_error;
};
