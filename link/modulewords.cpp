#include "modulewords.h"

namespace ModuleWords {

Obstacle obstacleOf(const ModuleFrame::ModuleInfo &module)
{
    using Module::Mode;
    using Module::Status;
    if (module.mode == Mode::TcpClient)
        return Obstacle::ClientMode;
    if (module.mode == Mode::Udp || module.status == Status::Udp)
        return Obstacle::UdpMode;
    if (module.password.value_or(false))
        return Obstacle::Password;
    switch (module.status) {
    case Status::Upgrade:
        return Obstacle::Upgrading;
    case Status::Boot:
        return Obstacle::Booting;
    case Status::AtMode:
        return Obstacle::CommandMode;
    case Status::Connect:
        return Obstacle::Busy;
    case Status::Unknown:
    case Status::Open:
    case Status::Udp:
        break;
    }
    return Obstacle::None;
}

QString obstacleText(Obstacle obstacle)
{
    switch (obstacle) {
    case Obstacle::None:
        break;
    case Obstacle::ClientMode:
        return QStringLiteral("in TCP client mode");
    case Obstacle::UdpMode:
        return QStringLiteral("UDP mode");
    case Obstacle::Password:
        return QStringLiteral("asks for a connection password");
    case Obstacle::Upgrading:
        return QStringLiteral("updating its firmware");
    case Obstacle::Booting:
        return QStringLiteral("starting up");
    case Obstacle::CommandMode:
        return QStringLiteral("in AT command mode");
    case Obstacle::Busy:
        return QStringLiteral("busy: another client is connected");
    }
    return QString();
}

QString statusText(Module::Status status)
{
    switch (status) {
    case Module::Status::Unknown:
        break;
    case Module::Status::Boot:
        return obstacleText(Obstacle::Booting);
    case Module::Status::Open:
        return QStringLiteral("waiting for a client");
    case Module::Status::Connect:
        return QStringLiteral("a client is connected");
    case Module::Status::Upgrade:
        return obstacleText(Obstacle::Upgrading);
    case Module::Status::AtMode:
        return obstacleText(Obstacle::CommandMode);
    case Module::Status::Udp:
        return QStringLiteral("in UDP mode");
    }
    return QStringLiteral("status unknown");
}

QString modeText(Module::Mode mode)
{
    switch (mode) {
    case Module::Mode::Unknown:
        break;
    case Module::Mode::TcpClient:
        return QStringLiteral("TCP client");
    case Module::Mode::TcpServer:
        return QStringLiteral("TCP server");
    case Module::Mode::TcpMixed:
        return QStringLiteral("TCP server/client mixed");
    case Module::Mode::Udp:
        return QStringLiteral("UDP");
    }
    return QStringLiteral("mode unknown");
}

QString readinessText(const ModuleFrame::ModuleInfo &module)
{
    const Obstacle obstacle = obstacleOf(module);
    switch (obstacle) {
    case Obstacle::None:
        return QStringLiteral("ready");
    case Obstacle::ClientMode:
        return QStringLiteral("TCP client mode: cannot accept the panel");
    case Obstacle::UdpMode:
        return QStringLiteral("UDP mode: cannot accept the panel");
    case Obstacle::CommandMode:
        return QStringLiteral("AT command mode: passes no commands on");
    default:
        return obstacleText(obstacle);
    }
}

QString moduleSentence(const QString &address, const ModuleFrame::ModuleInfo &module,
                       std::optional<quint16> usedPort)
{
    const QString subject = QStringLiteral("The module at %1 ").arg(address);
    if (usedPort && module.dataPort && *module.dataPort != *usedPort) {
        return subject
                + QStringLiteral("serves on port %1, not %2").arg(*module.dataPort).arg(*usedPort);
    }
    const Obstacle obstacle = obstacleOf(module);
    switch (obstacle) {
    case Obstacle::None:
        break;
    case Obstacle::Password:
        return subject + obstacleText(obstacle);
    case Obstacle::UdpMode:
        return subject + QStringLiteral("is in ") + obstacleText(obstacle);
    default:
        return subject + QStringLiteral("is ") + obstacleText(obstacle);
    }
    if (module.status == Module::Status::Unknown)
        return subject + QStringLiteral("answers without its status");
    return subject + QStringLiteral("is ") + statusText(module.status);
}

QString noAnswerText(const QString &address)
{
    return QStringLiteral("no module answered at %1").arg(address);
}

} // namespace ModuleWords
