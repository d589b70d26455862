#include "modulewords.h"

#include <QtCore/QCoreApplication>

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
        return QCoreApplication::translate("ModuleWords", "in TCP client mode");
    case Obstacle::UdpMode:
        return QCoreApplication::translate("ModuleWords", "UDP mode");
    case Obstacle::Password:
        return QCoreApplication::translate("ModuleWords", "asks for a connection password");
    case Obstacle::Upgrading:
        return QCoreApplication::translate("ModuleWords", "updating its firmware");
    case Obstacle::Booting:
        return QCoreApplication::translate("ModuleWords", "starting up");
    case Obstacle::CommandMode:
        return QCoreApplication::translate("ModuleWords", "in AT command mode");
    case Obstacle::Busy:
        return QCoreApplication::translate("ModuleWords", "busy: another client is connected");
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
        return QCoreApplication::translate("ModuleWords", "waiting for a client");
    case Module::Status::Connect:
        return QCoreApplication::translate("ModuleWords", "a client is connected");
    case Module::Status::Upgrade:
        return obstacleText(Obstacle::Upgrading);
    case Module::Status::AtMode:
        return obstacleText(Obstacle::CommandMode);
    case Module::Status::Udp:
        return QCoreApplication::translate("ModuleWords", "in UDP mode");
    }
    return QCoreApplication::translate("ModuleWords", "status unknown");
}

QString modeText(Module::Mode mode)
{
    switch (mode) {
    case Module::Mode::Unknown:
        break;
    case Module::Mode::TcpClient:
        return QCoreApplication::translate("ModuleWords", "TCP client");
    case Module::Mode::TcpServer:
        return QCoreApplication::translate("ModuleWords", "TCP server");
    case Module::Mode::TcpMixed:
        return QCoreApplication::translate("ModuleWords", "TCP server/client mixed");
    case Module::Mode::Udp:
        return QCoreApplication::translate("ModuleWords", "UDP");
    }
    return QCoreApplication::translate("ModuleWords", "mode unknown");
}

QString readinessText(const ModuleFrame::ModuleInfo &module)
{
    const Obstacle obstacle = obstacleOf(module);
    switch (obstacle) {
    case Obstacle::None:
        return QCoreApplication::translate("ModuleWords", "ready");
    case Obstacle::ClientMode:
        return QCoreApplication::translate("ModuleWords",
                                           "TCP client mode: cannot accept the panel");
    case Obstacle::UdpMode:
        return QCoreApplication::translate("ModuleWords", "UDP mode: cannot accept the panel");
    case Obstacle::CommandMode:
        return QCoreApplication::translate("ModuleWords", "AT command mode: passes no commands on");
    default:
        return obstacleText(obstacle);
    }
}

QString moduleSentence(const QString &address, const ModuleFrame::ModuleInfo &module,
                       std::optional<quint16> usedPort)
{
    // Whole sentences, so that a translator can order the words as the language needs. One
    // arg() call for all parts: the address may hold a '%' (an IPv6 zone).
    if (usedPort && module.dataPort && *module.dataPort != *usedPort) {
        return QCoreApplication::translate("ModuleWords",
                                           "The module at %1 serves on port %2, not %3")
                .arg(address, QString::number(*module.dataPort), QString::number(*usedPort));
    }
    const Obstacle obstacle = obstacleOf(module);
    switch (obstacle) {
    case Obstacle::None:
        break;
    case Obstacle::Password:
        return QCoreApplication::translate("ModuleWords",
                                           "The module at %1 asks for a connection password")
                .arg(address);
    case Obstacle::UdpMode:
        return QCoreApplication::translate("ModuleWords", "The module at %1 is in %2")
                .arg(address, obstacleText(obstacle));
    default:
        return QCoreApplication::translate("ModuleWords", "The module at %1 is %2")
                .arg(address, obstacleText(obstacle));
    }
    if (module.status == Module::Status::Unknown)
        return QCoreApplication::translate("ModuleWords",
                                           "The module at %1 answers without its status")
                .arg(address);
    return QCoreApplication::translate("ModuleWords", "The module at %1 is %2")
            .arg(address, statusText(module.status));
}

QString noAnswerText(const QString &address)
{
    return QCoreApplication::translate("ModuleWords", "no module answered at %1").arg(address);
}

} // namespace ModuleWords
