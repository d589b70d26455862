#pragma once

#include <QtNetwork/QTcpSocket>

#include <functional>

// One TCP connection that carries a single command whole and then closes gracefully.
class CommandSender : public QObject
{
    Q_OBJECT

public:
    explicit CommandSender(QObject *parent = nullptr);

    // Connects, waiting up to `timeoutMs`. On false, errorString() says why.
    bool open(const QString &host, quint16 port, int timeoutMs);
    // Writes `bytes` in one write, waits up to `timeoutMs` until they have left for the
    // network, then closes so that the peer sees an orderly end after the last byte.
    bool sendAndClose(const QByteArray &bytes, int timeoutMs);
    QString errorString() const { return m_error; }

private:
    // Runs the event loop until `done` holds, the socket fails, or the time is up.
    bool waitFor(const std::function<bool()> &done, int timeoutMs);

    QTcpSocket m_socket;
    bool m_failed = false;
    QString m_error;
};
