#include "commandport.h"

#include "moduleframe.h"
#include "simulator.h"

#include <QtNetwork/QNetworkDatagram>
#include <QtNetwork/QNetworkInterface>

namespace {

const char ProductNameValue[] = "WIZ750SR";
const char FirmwareValue[] = "1.0.0-sim";

// The address of this machine on the network of `peer`, as a module listening on every
// network gives the one it was asked on; a broadcast arrives at no address of its own.
QHostAddress addressFacing(const QHostAddress &peer)
{
    for (const QNetworkInterface &networkInterface : QNetworkInterface::allInterfaces()) {
        for (const QNetworkAddressEntry &entry : networkInterface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol
                && peer.isInSubnet(entry.ip(), entry.prefixLength()))
                return entry.ip();
        }
    }
    return QHostAddress();
}

} // namespace

CommandPort::CommandPort(const Simulator &simulator, const Options &options, QObject *parent)
    : QObject(parent)
    , m_simulator(simulator)
    , m_options(options)
{
    connect(&m_socket, &QUdpSocket::readyRead, this, &CommandPort::readRequests);
}

bool CommandPort::listen(const QHostAddress &address, quint16 port)
{
    m_address = address;
    // A module answers on every address it has. On a loopback address the simulator listens
    // on every address of the machine too, so that a search sent to 127.0.0.1 finds it on
    // 127.0.0.2, but answers only askers on this machine. When another simulator has the
    // port that way already, it keeps to its own address.
    m_loopbackOnly = address.isLoopback() && address.protocol() == QAbstractSocket::IPv4Protocol
            && m_socket.bind(QHostAddress::AnyIPv4, port);
    // Its answers then leave from its own address, as a module's do: an asker believes the
    // address a module gives itself only from the address the answer came from.
    if (m_loopbackOnly && !m_replySocket.bind(address, 0))
        return false;
    return m_loopbackOnly || m_socket.bind(address, port);
}

QByteArray CommandPort::mac() const
{
    const quint32 address = m_address.toIPv4Address();
    const quint16 port = m_simulator.serverPort();
    // 0x02: a locally administered, single address.
    const char bytes[Module::MacBytes]
            = {0x02, char(0xdb), char(address >> 8), char(address), char(port >> 8), char(port)};
    return QByteArray(bytes, Module::MacBytes);
}

QByteArray CommandPort::valueOf(const QByteArray &command, const QHostAddress &asker) const
{
    using namespace ModuleFrame::Command;
    if (command == MacAddress)
        return ModuleFrame::macText(mac()).toLatin1();
    if (command == ProductName)
        return ProductNameValue;
    if (command == Firmware)
        return FirmwareValue;
    if (command == Status) {
        using State = Module::Status;
        const State status = m_options.mode == Module::Mode::Udp ? State::Udp
                : m_simulator.hasClient()                        ? State::Connect
                                                                 : State::Open;
        return Module::statusWord(status);
    }
    if (command == Mode)
        return QByteArray::number(int(m_options.mode));
    if (command == Dhcp || command == Password || command == InactivitySeconds)
        return "0"; // a static address, no password, no inactivity timer
    if (command == LocalAddress)
        return addressFor(asker).toString().toLatin1();
    if (command == DataPort)
        return QByteArray::number(m_simulator.serverPort());
    return {};
}

QHostAddress CommandPort::addressFor(const QHostAddress &asker) const
{
    return m_address.isEqual(QHostAddress::AnyIPv4) ? addressFacing(asker) : m_address;
}

std::optional<QByteArray> CommandPort::answer(const QByteArray &request, const QHostAddress &asker,
                                              QString &verdict) const
{
    const std::optional<ModuleFrame::Frame> frame = ModuleFrame::parse(request);
    if (!frame) {
        verdict = tr("not a request");
        return std::nullopt;
    }
    if (frame->mac != ModuleFrame::everyModuleMac() && frame->mac != mac()) {
        verdict = tr("for another module");
        return std::nullopt;
    }
    if (!m_options.searchId.isEmpty()
        && frame->searchId != ModuleFrame::searchIdField(m_options.searchId)) {
        verdict = tr("another search ID");
        return std::nullopt;
    }
    ModuleFrame::Frame reply{mac(), frame->searchId, {}};
    for (const ModuleFrame::Field &field : frame->fields) {
        if (!field.value.isEmpty()) {
            verdict = tr("sets a value");
            return std::nullopt;
        }
        const QByteArray value = valueOf(field.command, asker);
        if (!value.isEmpty())
            reply.fields.append({field.command, value});
    }
    verdict = tr("answered");
    return ModuleFrame::encode(reply);
}

void CommandPort::readRequests()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram request = m_socket.receiveDatagram(ModuleFrame::MaxFrameBytes);
        QString verdict;
        std::optional<QByteArray> reply;
        if (m_loopbackOnly && !request.senderAddress().isLoopback())
            verdict = tr("not from this machine");
        else
            reply = answer(request.data(), request.senderAddress(), verdict);
        if (reply) {
            QUdpSocket &out = m_loopbackOnly ? m_replySocket : m_socket;
            out.writeDatagram(*reply, request.senderAddress(), quint16(request.senderPort()));
        }
        emit line(tr("search from %1:%2 \"%3\": %4")
                          .arg(request.senderAddress().toString())
                          .arg(request.senderPort())
                          .arg(Simulator::escaped(request.data()), verdict));
    }
}
