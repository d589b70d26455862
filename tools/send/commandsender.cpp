#include "commandsender.h"

#include <QtCore/QDeadlineTimer>
#include <QtCore/QEventLoop>
#include <QtCore/QTimer>

CommandSender::CommandSender(QObject *parent)
    : QObject(parent)
{
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this] {
        m_failed = true;
        m_error = m_socket.errorString();
    });
    // Whatever the module sends is dropped, so that no unread data turns the close into a reset.
    connect(&m_socket, &QTcpSocket::readyRead, this,
            [this] { m_socket.skip(m_socket.bytesAvailable()); });
}

bool CommandSender::waitFor(const std::function<bool()> &done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(&m_socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
    connect(&m_socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
    connect(&m_socket, &QTcpSocket::bytesWritten, &loop, &QEventLoop::quit);
    connect(&m_socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    while (!done()) {
        if (m_failed || deadline.hasExpired())
            return false;
        timer.start(int(deadline.remainingTime()));
        loop.exec();
    }
    return true;
}

bool CommandSender::open(const QString &host, quint16 port, int timeoutMs)
{
    m_socket.connectToHost(host, port);
    const bool connected = waitFor(
            [this] { return m_socket.state() == QAbstractSocket::ConnectedState; }, timeoutMs);
    if (!connected) {
        if (!m_failed)
            m_error = QStringLiteral("no connection within %1 seconds").arg(timeoutMs / 1000.0);
        m_socket.abort();
        return false;
    }
    // The command goes out in one segment at once; Nagle's delay would only hold it back.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    return true;
}

bool CommandSender::sendAndClose(const QByteArray &bytes, int timeoutMs)
{
    if (m_socket.write(bytes) != bytes.size()) {
        m_error = m_socket.errorString();
        m_socket.abort();
        return false;
    }
    m_socket.flush();
    // Once Qt's buffer is empty the bytes are the system's to deliver, also after the close.
    const bool left = waitFor([this] { return m_socket.bytesToWrite() == 0; }, timeoutMs);
    if (!left) {
        if (!m_failed)
            m_error = QStringLiteral("the command did not leave within %1 seconds")
                              .arg(timeoutMs / 1000.0);
        m_socket.abort();
        return false;
    }
    m_socket.disconnectFromHost();
    // Nothing is left to write, so this is at once; were it not, destroying the socket would
    // abort it.
    waitFor([this] { return m_socket.state() == QAbstractSocket::UnconnectedState; }, timeoutMs);
    return true;
}
