#include "devicelink.h"

#include "deviceconstants.h"
#include "linklog.h"
#include "linksocket.h"
#include "linkstate.h"

DeviceLink::DeviceLink(LinkSocket &socket, QObject *parent)
    : QObject(parent)
    , m_socket(socket)
{
    // The wait costs no processor time: nothing runs until the socket changes state or the
    // deadline passes. A precise timer keeps the deadline to the millisecond of elapsed time.
    m_deadline.setSingleShot(true);
    m_deadline.setTimerType(Qt::PreciseTimer);
    connect(&m_deadline, &QTimer::timeout, this, &DeviceLink::endWait);
    connect(&m_socket, &LinkSocket::stateChanged, this, [this](LinkState state) {
        // Only a connection ends the wait early: an error may still be followed by a
        // connection inside the time. The end is reported from the event loop, not from
        // inside the socket's own notification, as whoever hears it may close the socket.
        if (state == LinkState::Connected && isWaiting())
            QMetaObject::invokeMethod(this, &DeviceLink::endWaitIfConnected, Qt::QueuedConnection);
    });
    connect(&m_socket, &LinkSocket::stateChanged, this, &DeviceLink::stateChanged);
    // Each connection starts its count afresh: what the last one left unacknowledged is gone.
    connect(&m_socket, &LinkSocket::stateChanged, this, &DeviceLink::forgetAcknowledgements);
    m_acknowledgementCheck.setInterval(AcknowledgementCheckMs);
    connect(&m_acknowledgementCheck, &QTimer::timeout, this, &DeviceLink::checkAcknowledgements);
}

QString DeviceLink::remoteHost() const
{
    return m_socket.remoteHost();
}

quint16 DeviceLink::remotePort() const
{
    return m_socket.remotePort();
}

bool DeviceLink::closedByReset() const
{
    return m_socket.closedByReset();
}

void DeviceLink::connectToDevice()
{
    if (m_socket.state() != LinkState::Closed)
        m_socket.close();
    // Waiting before the attempt starts, so a socket that connects at once is heard.
    m_waited.start();
    m_deadline.start(Device::ConnectWaitMs);
    m_socket.connectToDevice();
}

void DeviceLink::endWaitIfConnected()
{
    // The state is read anew: the connection may have gone again since it was reported.
    if (isWaiting() && m_socket.state() == LinkState::Connected)
        endWait();
}

void DeviceLink::endWait()
{
    m_deadline.stop();
    const LinkState state = m_socket.state();
    qCInfo(lcLink, "connection wait ended after %lld ms: %s", m_waited.elapsed(),
           Link::stateName(state));
    emit connectionWaitEnded(state == LinkState::Connected);
}

bool DeviceLink::sendToDevice(const Protocol::Pieces &pieces)
{
    switch (m_socket.state()) {
    case LinkState::Closed:
        m_socket.connectToDevice();
        return dropped(pieces, DropReason::NotConnected, "link closed, connecting");
    case LinkState::Error:
        m_socket.connectToDevice();
        return dropped(pieces, DropReason::ConnectFailed, "link failed, connecting again");
    case LinkState::ClosedByPeer: {
        // The module drops idle connections; without a fresh start every later command
        // would be lost until the panel restarts.
        const bool reset = m_socket.closedByReset();
        m_socket.close();
        m_socket.connectToDevice();
        return reset
                ? dropped(pieces, DropReason::ResetByDevice, "device reset the link, reconnecting")
                : dropped(pieces, DropReason::ClosedByDevice,
                          "device closed the link, reconnecting");
    }
    case LinkState::Connected:
        break;
    default:
        return dropped(pieces, DropReason::Connecting, "connection still under way");
    }

    qint64 size = 0;
    for (const QByteArray &piece : pieces)
        size += piece.size();
    if (pieces.isEmpty()) {
        qCInfo(lcLink, "empty command not sent");
        return false;
    }
    // A device that stops reading leaves our bytes queued; dropping whole commands keeps
    // memory bounded and never leaves half a command on the wire.
    const qint64 queued = m_socket.bytesToWrite();
    if (queued + size > MaxQueuedBytes) {
        const QByteArray detail = QByteArray("queue over its bound (") + QByteArray::number(queued)
                + " bytes waiting, " + QByteArray::number(size) + " more, bound "
                + QByteArray::number(MaxQueuedBytes) + ")";
        return dropped(pieces, DropReason::QueueFull, detail.constData());
    }

    for (const QByteArray &piece : pieces) {
        if (!m_socket.write(piece))
            return dropped(pieces, DropReason::WriteFailed,
                           "the socket refused a piece; the command may be cut short");
    }
    // One flush per command puts all its pieces into one segment.
    m_socket.flush();
    watchAcknowledgements(size);
    return true;
}

void DeviceLink::watchAcknowledgements(qint64 written)
{
    m_sent += written;
    if (m_acknowledgementCheck.isActive())
        return;
    m_sinceAcknowledgement.start();
    m_acknowledgementCheck.start();
}

// The module's serial side sets the pace: while it reads, acknowledgements keep coming, and
// the watch ends once nothing is outstanding. The queue limit only counts what is still here.
void DeviceLink::checkAcknowledgements()
{
    const qint64 outstanding = m_socket.unacknowledgedBytes();
    const qint64 acknowledged = m_sent - outstanding;
    if (acknowledged > m_acknowledged) {
        m_acknowledged = acknowledged;
        m_sinceAcknowledgement.start();
    }
    if (outstanding <= 0)
        m_acknowledgementCheck.stop();
    const bool taking = m_sinceAcknowledgement.elapsed() < StalledAfterMs || outstanding <= 0;
    if (taking == m_taking)
        return;
    m_taking = taking;
    qCInfo(lcLink, "%lld bytes unacknowledged: the module %s", outstanding,
           taking ? "takes commands again" : "has stopped taking commands");
    emit takingCommandsChanged(taking);
}

void DeviceLink::forgetAcknowledgements()
{
    m_acknowledgementCheck.stop();
    m_sent = 0;
    m_acknowledged = 0;
    m_taking = true;
}

bool DeviceLink::dropped(const Protocol::Pieces &pieces, DropReason reason, const char *detail)
{
    const QByteArray command = Protocol::bytes(pieces);
    qCInfo(lcLink, "command \"%s\" dropped: %s", command.constData(), detail);
    emit commandDropped(command, reason);
    return false;
}
