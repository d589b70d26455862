#include "simulator.h"

#include "connectionreset.h"
#include "devicestate.h"

#include <QtCore/QCoreApplication>
#include <QtNetwork/QTcpSocket>

namespace {

QString peerOf(const QTcpSocket *socket)
{
    return QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
}

} // namespace

Simulator::Simulator(const Options &options, QObject *parent)
    : QObject(parent)
    , m_options(options)
{
    connect(&m_server, &QTcpServer::newConnection, this, &Simulator::acceptClients);
}

Simulator::~Simulator()
{
    // The client would otherwise report its end to a half-destroyed simulator.
    if (m_client) {
        m_client->disconnect(this);
        delete m_client;
    }
}

bool Simulator::listen(const QHostAddress &address, quint16 port)
{
    return m_server.listen(address, port);
}

QString Simulator::escaped(const QByteArray &bytes)
{
    QString text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '"' || byte == '\\')
            text += QStringLiteral("\\") + QLatin1Char(c);
        else if (byte >= 0x20 && byte < 0x7f)
            text += QLatin1Char(c);
        else
            text += QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
    }
    return text;
}

QString Simulator::describe(const Protocol::Decoder::Event &event)
{
    if (!event.command)
        return tr("?  malformed bytes: \"%1\"").arg(escaped(event.malformed));

    const Protocol::Command &command = *event.command;
    const Protocol::CommandRow &row = *Protocol::commandRow(command.code);
    const QString words = QCoreApplication::translate("Protocol", row.description);
    const QList<qint64> &f = command.fields;
    QString meaning;
    switch (row.action) {
    case Protocol::Action::SetClock:
        if (const auto time = Protocol::clockTimeOf(command))
            meaning = words.arg(time->toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        else
            meaning = words.arg(tr("an impossible time \"%1\"").arg(escaped(command.raw)));
        break;
    case Protocol::Action::SetAlarm:
        meaning = words.arg(DeviceState::clockText(f[0], f[1], f[2] == 1)).arg(f[3]);
        break;
    case Protocol::Action::PlayTrack:
        meaning = words.arg(f[0]);
        break;
    default:
        meaning = Protocol::withChoice(row, words);
        break;
    }
    return QLatin1Char(command.code) + QStringLiteral("  ") + meaning;
}

void Simulator::acceptClients()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        if (clientIsGone())
            dropClient();
        if (m_client) {
            // Like the module, one client at a time: the next one is closed at once. Not with
            // a reset, which a client still completing its connection would not notice; a
            // command it has written already makes the close a reset all the same.
            emit line(tr("refused %1 (busy)").arg(peerOf(socket)));
            socket->abort();
            socket->deleteLater();
        } else {
            takeClient(socket);
        }
    }
}

bool Simulator::clientIsGone()
{
    if (!m_client)
        return false;
    // A panel closes and reconnects at once: the end of its old connection may have arrived
    // but not been read yet. Reading what has come, without waiting, finds it.
    m_client->waitForReadyRead(0);
    return m_client && m_client->state() != QAbstractSocket::ConnectedState;
}

void Simulator::resetConnection(QTcpSocket *socket)
{
    resetOnClose(socket);
    socket->abort();
    socket->deleteLater();
}

void Simulator::takeClient(QTcpSocket *socket)
{
    m_client = socket;
    m_decoder = Protocol::Decoder();
    m_commands = 0;
    emit line(tr("connected %1").arg(peerOf(socket)));
    emit clientConnected(peerOf(socket));
    connect(socket, &QTcpSocket::disconnected, this, &Simulator::dropClient);
    if (m_options.noRead) {
        // Qt would otherwise keep reading into an unbounded buffer of its own.
        socket->setReadBufferSize(1);
    } else {
        connect(socket, &QTcpSocket::readyRead, this, &Simulator::readClient);
        readClient();
    }
    if (socket->state() != QAbstractSocket::ConnectedState)
        dropClient();
}

void Simulator::readClient()
{
    if (!m_client)
        return;
    const QList<Protocol::Decoder::Event> events = m_decoder.feed(m_client->readAll());
    for (const Protocol::Decoder::Event &event : events) {
        report(event);
        if (!event.command)
            continue;
        ++m_commands;
        if (m_options.resetAfter > 0 && m_commands >= m_options.resetAfter) {
            endClient(true);
            return;
        }
        if (m_options.closeAfter > 0 && m_commands >= m_options.closeAfter) {
            endClient(false);
            return;
        }
    }
}

void Simulator::dropClient()
{
    if (!m_client)
        return;
    QTcpSocket *client = m_client;
    m_client = nullptr;
    // What a closed connection leaves unread is reported, not lost silently.
    client->disconnect(this);
    if (!m_options.noRead) {
        for (const Protocol::Decoder::Event &event : m_decoder.feed(client->readAll()))
            report(event);
    }
    for (const Protocol::Decoder::Event &event : m_decoder.finish())
        report(event);
    client->deleteLater();
    reportEnd();
}

void Simulator::endClient(bool reset)
{
    QTcpSocket *client = m_client;
    m_client = nullptr;
    client->disconnect(this);
    if (reset) {
        resetConnection(client);
    } else {
        client->disconnectFromHost();
        client->deleteLater();
    }
    reportEnd();
}

void Simulator::report(const Protocol::Decoder::Event &event)
{
    emit line(describe(event));
    if (event.command)
        emit commandReceived(*event.command);
}

void Simulator::reportEnd()
{
    emit line(tr("disconnected"));
    emit clientDisconnected();
}
