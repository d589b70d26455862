#pragma once

#include "moduleframe.h"

#include <QtCore/QString>

// What a module's answer means for the panel, in the words the panel's dialog, its lamp and
// dawnbell-send show. No widgets here, so that each of them can use the same texts.
namespace ModuleWords {

// What keeps a module from serving the panel, which connects to it as a TCP client without a
// password while no other client is connected.
enum class Obstacle {
    None,
    ClientMode,  // it connects out and takes no client
    UdpMode,     // its data port speaks UDP
    Password,    // it asks for a connection password
    Upgrading,   // its firmware is being replaced
    Booting,     // it is starting up
    CommandMode, // its serial side takes AT commands instead of passing data on
    Busy,        // another client is connected; the module takes one at a time
};

// The first obstacle of the module, settings before the passing state, or None.
Obstacle obstacleOf(const ModuleFrame::ModuleInfo &module);
// "busy: another client is connected", "in TCP client mode", ...; empty for None.
QString obstacleText(Obstacle obstacle);
// "waiting for a client", "a client is connected", ...
QString statusText(Module::Status status);
// "TCP server", "TCP client", ...
QString modeText(Module::Mode mode);

// Whether the panel can connect to the module, for a person reading a list: "ready", or the
// obstacle and what it means ("TCP client mode: cannot accept the panel").
QString readinessText(const ModuleFrame::ModuleInfo &module);

// One sentence about the module that answered at `address`: its obstacle when it has one
// ("The module at 127.0.0.2 is busy: another client is connected"), otherwise its status.
// When it serves on another data port than `usedPort`, that comes first, since nothing the
// module does can be why a connection to another port failed ("The module at 127.0.0.5 serves
// on port 5000, not 6000").
QString moduleSentence(const QString &address, const ModuleFrame::ModuleInfo &module,
                       std::optional<quint16> usedPort = std::nullopt);
// "no module answered at 127.0.0.2"
QString noAnswerText(const QString &address);

} // namespace ModuleWords
