#include "devicelink.h"

#include "linklog.h"
#include "linksocket.h"
#include "linkstate.h"

#include <QtCore/QElapsedTimer>
#include <QtCore/QEventLoop>
#include <QtCore/QTimer>

DeviceLink::DeviceLink(LinkSocket &socket, QObject *parent)
    : QObject(parent)
    , m_socket(socket)
{ }

bool DeviceLink::ConnectDevice()
{
    if (m_socket.state() != LinkState::Closed)
        m_socket.close();
    m_socket.connectToDevice();

    QElapsedTimer elapsed;
    elapsed.start();

    // The wait sleeps in an event loop of its own instead of polling, so timers and sockets
    // are served while it costs no processor time. It wakes on every state change and on the
    // deadline, and decides from the state and the clock, never from what woke it: an error
    // does not end it early, and a coarse timer that fires early only restarts the wait.
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(&m_socket, &LinkSocket::stateChanged, &loop, &QEventLoop::quit);
    while (m_socket.state() != LinkState::Connected) {
        const qint64 remaining = ConnectWaitMs - elapsed.elapsed();
        if (remaining <= 0)
            break;
        deadline.start(int(remaining));
        loop.exec();
    }

    const LinkState state = m_socket.state();
    const bool connected = state == LinkState::Connected;
    qCInfo(lcLink, "connection wait ended after %lld ms: %s", elapsed.elapsed(),
           Link::stateName(state));
    emit connectDeviceEnded(connected);
    return connected;
}

bool DeviceLink::SendToDevice(const Protocol::Pieces &pieces)
{
    switch (m_socket.state()) {
    case LinkState::Closed:
        m_socket.connectToDevice();
        return dropped(pieces, "link closed, connecting");
    case LinkState::Error:
        m_socket.connectToDevice();
        return dropped(pieces, "link failed, connecting again");
    case LinkState::ClosedByPeer:
        // The module drops idle connections; without a fresh start every later command
        // would be lost until the panel restarts.
        m_socket.close();
        m_socket.connectToDevice();
        return dropped(pieces, "device closed the link, reconnecting");
    case LinkState::Connected:
        break;
    default:
        return dropped(pieces, "connection still under way");
    }

    qint64 size = 0;
    for (const QByteArray &piece : pieces)
        size += piece.size();
    if (pieces.isEmpty())
        return dropped(pieces, "nothing to send");
    // A device that stops reading leaves our bytes queued; dropping whole commands keeps
    // memory bounded and never leaves half a command on the wire.
    const qint64 queued = m_socket.bytesToWrite();
    if (queued + size > MaxQueuedBytes) {
        qCInfo(lcLink,
               "command \"%s\" dropped: queue over its bound (%lld bytes waiting, %lld more, bound "
               "%lld)",
               Protocol::bytes(pieces).constData(), queued, size, MaxQueuedBytes);
        return false;
    }

    for (const QByteArray &piece : pieces) {
        if (!m_socket.write(piece))
            return dropped(pieces, "the socket refused a piece; the command may be cut short");
    }
    // One flush per command puts all its pieces into one segment.
    m_socket.flush();
    return true;
}

bool DeviceLink::dropped(const Protocol::Pieces &pieces, const char *reason)
{
    qCInfo(lcLink, "command \"%s\" dropped: %s", Protocol::bytes(pieces).constData(), reason);
    return false;
}
