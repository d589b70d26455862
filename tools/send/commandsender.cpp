#include "commandsender.h"

#include "deviceconstants.h"

#include <algorithm>

namespace {

// Why a module drops a connection that it accepted, most of the time.
const char OneClientHint[] = QT_TRANSLATE_NOOP(
        "CommandSender",
        " (the module serves one client at a time: close the panel if it is connected)");

} // namespace

CommandSender::CommandSender(const Send::Endpoint &endpoint, QObject *parent)
    : QObject(parent)
    , m_endpoint(endpoint)
{
    m_deadline.setSingleShot(true);
    m_step.setSingleShot(true);
    // The second boundary of "time" is kept to the millisecond.
    m_step.setTimerType(Qt::PreciseTimer);
    connect(&m_deadline, &QTimer::timeout, this, &CommandSender::onDeadline);
    connect(&m_step, &QTimer::timeout, this, [this] {
        if (m_stage == Stage::Connected)
            writeWhenDue();
        else if (m_stage == Stage::Draining)
            awaitAcknowledgement();
    });
    connect(&m_socket, &QTcpSocket::connected, this, &CommandSender::takeConnection);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &CommandSender::failToConnect);
}

void CommandSender::open()
{
    m_stage = Stage::Connecting;
    m_deadline.start(Device::ConnectWaitMs);
    m_socket.connectToHost(m_endpoint.host, m_endpoint.port);
}

void CommandSender::takeConnection()
{
    if (m_stage != Stage::Connecting)
        return;
    m_deadline.stop();
    // The command goes out in one segment at once; Nagle's delay would only hold it back.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket.disconnect(this);
    m_delivery = new DeliverySocket(m_socket, this);
    connect(m_delivery, &DeliverySocket::ended, this, &CommandSender::onEnded);
    m_stage = Stage::Connected;
    emit connected();
}

void CommandSender::failToConnect(QAbstractSocket::SocketError error)
{
    if (m_stage != Stage::Connecting)
        return;
    if (error == QAbstractSocket::ConnectionRefusedError) {
        fail(tr("connection refused (nothing listens there, or the module is busy "
                "with another client: close the panel if it is connected)"),
             true);
    } else {
        fail(m_socket.errorString());
    }
}

void CommandSender::deliver(const QByteArray &bytes, const QDateTime &moment)
{
    if (m_stage != Stage::Connected)
        return;
    m_bytes = bytes;
    m_moment = moment;
    writeWhenDue();
}

void CommandSender::writeWhenDue()
{
    if (m_moment.isValid()) {
        // Timers run on the monotonic clock: look at the wall clock again when one fires, so
        // that the bytes never go out before the moment.
        const qint64 leftMs = QDateTime::currentDateTime().msecsTo(m_moment);
        if (leftMs > 0) {
            m_step.start(int(std::min<qint64>(leftMs, Send::MaxLeadSeconds * 1000)));
            return;
        }
    }
    if (!m_delivery->write(m_bytes)) {
        if (m_stage != Stage::Done)
            fail(m_delivery->errorString());
        return;
    }
    m_stage = Stage::Draining;
    m_deadline.start(Send::DeliveryWaitMs);
    m_pollMs = 1;
    awaitAcknowledgement();
}

void CommandSender::awaitAcknowledgement()
{
    const std::optional<qint64> left = m_delivery->unacknowledged();
    if (!left || *left == 0) {
        closeSending();
        return;
    }
    // Acknowledgements raise no signal: look again, less often the longer it takes.
    m_step.start(m_pollMs);
    m_pollMs = std::min(2 * m_pollMs, Send::MaxPollMs);
}

void CommandSender::closeSending()
{
    m_step.stop();
    if (!m_delivery->closeSending()) {
        if (m_stage != Stage::Done)
            fail(m_delivery->errorString());
        return;
    }
    m_stage = Stage::Closing;
    m_deadline.start(Send::CloseWaitMs);
}

void CommandSender::onEnded(DeliverySocket::Ending how)
{
    switch (how) {
    case DeliverySocket::Ending::Reset:
        fail(tr("reset by the module") + tr(OneClientHint), true);
        return;
    case DeliverySocket::Ending::Failed:
        fail(m_delivery->errorString());
        return;
    case DeliverySocket::Ending::Closed:
        break;
    }
    // A module that closes with the command unread resets the connection instead; an orderly
    // close once every byte was acknowledged means that it read them first.
    const std::optional<qint64> left = m_delivery->unacknowledged();
    const bool taken = m_stage == Stage::Closing
            || (m_stage == Stage::Draining && left && *left == 0);
    if (taken)
        finish();
    else
        fail(tr("closed by the module before it took the command") + tr(OneClientHint), true);
}

void CommandSender::onDeadline()
{
    switch (m_stage) {
    case Stage::Connecting:
        fail(tr("no connection within %1 seconds").arg(Device::ConnectWaitMs / 1000.0));
        break;
    case Stage::Draining:
        fail(tr("the module did not take the command within %1 seconds")
                     .arg(Send::DeliveryWaitMs / 1000.0));
        break;
    case Stage::Closing:
        // Every byte was acknowledged, or the system does not tell, and nothing reset the
        // connection: the module keeps it open, as it may.
        if (m_delivery->confirmUnreset())
            finish();
        break;
    case Stage::Idle:
    case Stage::Connected:
    case Stage::Done:
        break;
    }
}

void CommandSender::fail(const QString &reason, bool byModule)
{
    const QString endpoint = Send::endpointText(m_endpoint);
    const QString message = m_stage == Stage::Connecting
            ? tr("cannot connect to %1: %2").arg(endpoint, reason)
            : tr("sending to %1 failed: %2").arg(endpoint, reason);
    m_stage = Stage::Done;
    m_deadline.stop();
    m_step.stop();
    m_socket.abort();
    emit failed(message, byModule);
}

void CommandSender::finish()
{
    m_stage = Stage::Done;
    m_deadline.stop();
    m_step.stop();
    emit delivered();
}
