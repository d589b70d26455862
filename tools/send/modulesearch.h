#pragma once

#include "moduleframe.h"

#include <QtCore/QString>
#include <QtNetwork/QHostAddress>

#include <optional>

// dawnbell-send's questions to the modules on their command port: "find", and the module's own
// account of itself when it would not take a command.
namespace Send {

// The longest search "--timeout" allows, in seconds.
inline constexpr int MaxSearchSeconds = 60;

struct Search
{
    std::optional<QHostAddress> to; // one module's address; every module when not set
    QString searchId;
    int waitMs = 0;
    quint16 commandPort = Module::CommandPort;
};

// The module in one line of tab-separated columns, "-" for what it did not tell: IP:port,
// MAC, name, status (its own word), mode (client, server, mixed or udp), firmware.
QString moduleLine(const ModuleFrame::ModuleInfo &module);

// "--timeout": seconds, a fraction allowed, more than 0 and at most MaxSearchSeconds.
std::optional<int> searchWaitMs(const QString &seconds);

// Runs the search in the event loop and prints one line per module that answered. Exit status
// Sent when one did, LinkFailed (and a line on stderr) when none did.
int findModules(const Search &search);

// Asks the module at `host` about itself on `commandPort`, unicast and for at most
// ModuleFinder::DefaultWaitMs, then ends the event loop with LinkFailed and `message` on
// stderr, followed by what the module said when it answered.
void failWithModuleAccount(const QString &host, quint16 commandPort, const QString &message);

} // namespace Send
