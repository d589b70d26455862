#include "deliverysocket.h"

#include <QtCore/QSocketNotifier>
#include <QtNetwork/QTcpSocket>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#    include <linux/sockios.h>
#    include <sys/ioctl.h>
#endif

struct DeliverySocket::Native
{
    int descriptor = -1;
    QSocketNotifier *readable = nullptr;
};

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

#ifdef MSG_NOSIGNAL
constexpr int SendFlags = MSG_NOSIGNAL;
#else
constexpr int SendFlags = 0; // Qt's socket engine has already ignored SIGPIPE here
#endif

// Reads per wake-up at most, so that a module that floods the line cannot hold the loop.
constexpr int ReadsPerWakeUp = 64;

} // namespace

DeliverySocket::DeliverySocket(QTcpSocket &socket, QObject *parent)
    : QObject(parent)
    , m_socket(socket)
    , m_native(std::make_unique<Native>())
{
    // A descriptor of our own keeps the connection open when Qt closes its one.
    const int descriptor = ::fcntl(int(m_socket.socketDescriptor()), F_DUPFD_CLOEXEC, 0);
    if (descriptor < 0) {
        m_error = tr("cannot take over the connection: %1").arg(systemError(errno));
        return;
    }
    m_native->descriptor = descriptor;
    m_socket.abort();
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) | O_NONBLOCK);
    m_native->readable = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
    connect(m_native->readable, &QSocketNotifier::activated, this, &DeliverySocket::readEnd);
}

DeliverySocket::~DeliverySocket()
{
    if (m_native->descriptor >= 0)
        ::close(m_native->descriptor);
}

void DeliverySocket::stopWatching()
{
    if (m_native->readable)
        m_native->readable->setEnabled(false);
}

void DeliverySocket::readEnd()
{
    if (m_native->descriptor < 0)
        return;
    char buffer[512];
    for (int read = 0; read < ReadsPerWakeUp && !m_ended; ++read) {
        const ssize_t count = ::recv(m_native->descriptor, buffer, sizeof buffer, 0);
        if (count > 0)
            continue; // dropped: unread bytes would turn our own close into a reset
        if (count == 0)
            return finish(Ending::Closed);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return;
        if (errno == ECONNRESET)
            return finish(Ending::Reset);
        m_error = systemError(errno);
        return finish(Ending::Failed);
    }
}

bool DeliverySocket::write(const QByteArray &bytes)
{
    if (m_native->descriptor < 0)
        return false;
    readEnd();
    if (m_ended)
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::send(m_native->descriptor, bytes.constData() + done,
                                     size_t(bytes.size() - done), SendFlags);
        if (count >= 0) {
            done += count;
        } else if (errno != EINTR) {
            // Writing fails on a connection that the module reset; a close of its side alone
            // still lets us write.
            if (errno == ECONNRESET || errno == EPIPE) {
                finish(Ending::Reset);
            } else {
                m_error = errno == EAGAIN || errno == EWOULDBLOCK
                        ? tr("the system took only %1 of %2 bytes").arg(done).arg(bytes.size())
                        : systemError(errno);
                finish(Ending::Failed);
            }
            return false;
        }
    }
    return true;
}

std::optional<qint64> DeliverySocket::unacknowledged() const
{
#ifdef Q_OS_LINUX
    int queued = 0;
    if (m_native->descriptor >= 0 && ::ioctl(m_native->descriptor, SIOCOUTQ, &queued) == 0)
        return queued;
#endif
    return std::nullopt;
}

bool DeliverySocket::closeSending()
{
    if (m_native->descriptor >= 0 && ::shutdown(m_native->descriptor, SHUT_WR) == 0)
        return true;
    const int error = errno;
    // A connection that has just been reset cannot be shut: the pending error says so.
    readEnd();
    if (!m_ended) {
        m_error = systemError(error);
        finish(Ending::Failed);
    }
    return false;
}

bool DeliverySocket::confirmUnreset()
{
    // A reset that came after the last wake-up is still waiting to be read.
    readEnd();
    return !m_ended;
}
