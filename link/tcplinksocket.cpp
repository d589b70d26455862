#include "tcplinksocket.h"

#include "connectionwitness.h"
#include "linklog.h"
#include "unacknowledgedbytes.h"

#include <utility>

TcpLinkSocket::TcpLinkSocket(QObject *parent)
    : LinkSocket(parent)
{
    m_lastReported = state();
    connect(&m_socket, &QTcpSocket::stateChanged, this,
            [this](QAbstractSocket::SocketState socketState) {
                // A failed attempt turns unconnected just before it reports its error. The
                // error handler reports Error, so the link never reads closed in between;
                // our own close() and connectToDevice() report their changes themselves.
                if (socketState == QAbstractSocket::UnconnectedState
                    && m_socket.error() != QAbstractSocket::UnknownSocketError)
                    return;
                reportState();
            });
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &TcpLinkSocket::onErrorOccurred);
    connect(&m_socket, &QTcpSocket::connected, this, [this] {
        // Each command is flushed whole, so Nagle's delay would only hold it back.
        m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        releaseHeldConnection();
        m_held = Link::holdConnection(m_socket.socketDescriptor());
    });
    // The link is write-only; whatever the module sends is dropped so nothing piles up.
    connect(&m_socket, &QTcpSocket::readyRead, this,
            [this] { m_socket.skip(m_socket.bytesAvailable()); });
}

TcpLinkSocket::~TcpLinkSocket()
{
    // The socket aborts in its own destructor, after our members are gone; its last state
    // change must not reach this object or our listeners.
    m_socket.disconnect(this);
    releaseHeldConnection();
}

LinkState TcpLinkSocket::state() const
{
    if (m_peerClosed)
        return LinkState::ClosedByPeer;
    if (m_failed)
        return LinkState::Error;
    switch (m_socket.state()) {
    case QAbstractSocket::HostLookupState:
        return LinkState::ResolvingHost;
    case QAbstractSocket::ConnectingState:
        return LinkState::Connecting;
    case QAbstractSocket::ConnectedState:
        return LinkState::Connected;
    case QAbstractSocket::ClosingState:
        // We close with abort(), so only the peer leaves the socket closing.
        return LinkState::ClosedByPeer;
    default:
        return LinkState::Closed;
    }
}

void TcpLinkSocket::connectToDevice()
{
    releaseHeldConnection();
    m_socket.abort();
    m_peerClosed = false;
    m_failed = false;
    reportState();
    qCInfo(lcLink, "connecting to %s port %u", qPrintable(m_host), unsigned(m_port));
    m_socket.connectToHost(m_host, m_port);
    reportState();
}

void TcpLinkSocket::close()
{
    // abort() rather than disconnectFromHost(): the state must read closed at once, and a
    // flushed command has already left Qt's buffer for the kernel's.
    releaseHeldConnection();
    m_socket.abort();
    m_peerClosed = false;
    m_failed = false;
    reportState();
}

bool TcpLinkSocket::write(const QByteArray &piece)
{
    if (state() != LinkState::Connected)
        return false;
    return m_socket.write(piece) == piece.size();
}

void TcpLinkSocket::flush()
{
    if (state() == LinkState::Connected)
        m_socket.flush();
}

qint64 TcpLinkSocket::bytesToWrite() const
{
    return m_socket.bytesToWrite();
}

qint64 TcpLinkSocket::unacknowledgedBytes() const
{
    // What Qt still holds has not reached the system, so the peer has not taken it either.
    const std::optional<qint64> inSystem = Link::unacknowledgedBytes(m_socket.socketDescriptor());
    return m_socket.bytesToWrite() + inSystem.value_or(0);
}

void TcpLinkSocket::setRemoteHost(const QString &host)
{
    m_host = host;
}

QString TcpLinkSocket::remoteHost() const
{
    return m_host;
}

void TcpLinkSocket::setRemotePort(quint16 port)
{
    m_port = port;
}

quint16 TcpLinkSocket::remotePort() const
{
    return m_port;
}

void TcpLinkSocket::onErrorOccurred(QAbstractSocket::SocketError error)
{
    qCInfo(lcLink, "socket error: %s", qPrintable(m_socket.errorString()));
    if (error == QAbstractSocket::RemoteHostClosedError) {
        m_peerClosed = true;
        m_reset = Link::wasReset(m_held);
    } else {
        m_failed = true;
    }
    releaseHeldConnection();
    reportState();
}

void TcpLinkSocket::releaseHeldConnection()
{
    Link::releaseConnection(std::exchange(m_held, -1));
}

void TcpLinkSocket::reportState()
{
    const LinkState now = state();
    if (now == m_lastReported)
        return;
    qCDebug(lcLink, "state %s -> %s", Link::stateName(m_lastReported), Link::stateName(now));
    m_lastReported = now;
    emit stateChanged(now);
}
