#include "deliverysocket.h"

#include <QtCore/QWinEventNotifier>
#include <QtNetwork/QTcpSocket>

#include <winsock2.h>

// Qt's socket reads a reset (WSAECONNRESET) as an orderly close, so the connection is carried
// on with Winsock's own calls. Windows does not tell when the module's TCP acknowledged the
// bytes: the sending side stays open after the command, because a module that closed before
// the command came resets the connection when it comes, a moment after its orderly close, and
// only a send still shows that reset then.
struct DeliverySocket::Native
{
    SOCKET socket = INVALID_SOCKET;
    WSAEVENT event = WSA_INVALID_EVENT;
    QWinEventNotifier *readable = nullptr;
    bool written = false;
};

namespace {

QString systemError(int error)
{
    return qt_error_string(error);
}

bool isReset(int error)
{
    return error == WSAECONNRESET || error == WSAECONNABORTED || error == WSAENETRESET;
}

// Reads per wake-up at most, so that a module that floods the line cannot hold the loop.
constexpr int ReadsPerWakeUp = 64;

} // namespace

DeliverySocket::DeliverySocket(QTcpSocket &socket, QObject *parent)
    : QObject(parent)
    , m_socket(socket)
    , m_native(std::make_unique<Native>())
{
    // A socket of our own keeps the connection open when Qt closes its one.
    WSAPROTOCOL_INFOW info;
    const SOCKET qtSocket = SOCKET(m_socket.socketDescriptor());
    if (::WSADuplicateSocketW(qtSocket, ::GetCurrentProcessId(), &info) == 0) {
        m_native->socket = ::WSASocketW(FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO,
                                        &info, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    }
    if (m_native->socket == INVALID_SOCKET) {
        m_error = tr("cannot take over the connection: %1").arg(systemError(::WSAGetLastError()));
        return;
    }
    m_socket.abort();
    // Reads and the module's end set the event; the socket becomes non-blocking.
    m_native->event = ::WSACreateEvent();
    if (m_native->event == WSA_INVALID_EVENT
        || ::WSAEventSelect(m_native->socket, m_native->event, FD_READ | FD_CLOSE) != 0) {
        m_error = tr("cannot watch the connection: %1").arg(systemError(::WSAGetLastError()));
        ::closesocket(m_native->socket);
        m_native->socket = INVALID_SOCKET;
        return;
    }
    m_native->readable = new QWinEventNotifier(m_native->event, this);
    connect(m_native->readable, &QWinEventNotifier::activated, this, &DeliverySocket::readEnd);
}

DeliverySocket::~DeliverySocket()
{
    delete m_native->readable;
    if (m_native->event != WSA_INVALID_EVENT)
        ::WSACloseEvent(m_native->event);
    if (m_native->socket != INVALID_SOCKET)
        ::closesocket(m_native->socket);
}

void DeliverySocket::stopWatching()
{
    if (m_native->readable)
        m_native->readable->setEnabled(false);
}

void DeliverySocket::readEnd()
{
    if (m_native->socket == INVALID_SOCKET || m_ended)
        return;
    WSANETWORKEVENTS events{};
    if (::WSAEnumNetworkEvents(m_native->socket, m_native->event, &events) != 0) {
        m_error = systemError(::WSAGetLastError());
        return finish(Ending::Failed);
    }
    bool closedInOrder = false;
    char buffer[512];
    for (int read = 0; read < ReadsPerWakeUp; ++read) {
        const int count = ::recv(m_native->socket, buffer, sizeof buffer, 0);
        if (count > 0)
            continue; // dropped: unread bytes would turn our own close into a reset
        if (count == 0) {
            closedInOrder = true;
            break;
        }
        const int error = ::WSAGetLastError();
        if (error == WSAEWOULDBLOCK)
            break;
        if (isReset(error))
            return finish(Ending::Reset);
        m_error = systemError(error);
        return finish(Ending::Failed);
    }
    if (events.lNetworkEvents & FD_CLOSE) {
        const int error = events.iErrorCode[FD_CLOSE_BIT];
        if (isReset(error))
            return finish(Ending::Reset);
        if (error != 0) {
            m_error = systemError(error);
            return finish(Ending::Failed);
        }
        closedInOrder = true;
    }
    // After the command, an orderly close may still be followed by the reset that tells that
    // the command came too late: confirmUnreset() looks for it.
    if (closedInOrder && !m_native->written)
        finish(Ending::Closed);
}

bool DeliverySocket::write(const QByteArray &bytes)
{
    if (m_native->socket == INVALID_SOCKET)
        return false;
    readEnd();
    if (m_ended)
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const int count
                = ::send(m_native->socket, bytes.constData() + done, int(bytes.size() - done), 0);
        if (count != SOCKET_ERROR) {
            done += count;
            continue;
        }
        const int error = ::WSAGetLastError();
        if (isReset(error)) {
            finish(Ending::Reset);
        } else {
            m_error = error == WSAEWOULDBLOCK
                    ? tr("the system took only %1 of %2 bytes").arg(done).arg(bytes.size())
                    : systemError(error);
            finish(Ending::Failed);
        }
        return false;
    }
    m_native->written = true;
    return true;
}

std::optional<qint64> DeliverySocket::unacknowledged() const
{
    return std::nullopt;
}

bool DeliverySocket::closeSending()
{
    return m_native->socket != INVALID_SOCKET;
}

bool DeliverySocket::confirmUnreset()
{
    readEnd();
    if (m_ended)
        return false;
    // Sends nothing, but fails on a connection that has been reset.
    if (::send(m_native->socket, "", 0, 0) == SOCKET_ERROR) {
        const int error = ::WSAGetLastError();
        if (isReset(error)) {
            finish(Ending::Reset);
        } else {
            m_error = systemError(error);
            finish(Ending::Failed);
        }
        return false;
    }
    ::shutdown(m_native->socket, SD_SEND);
    return true;
}
