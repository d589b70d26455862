#pragma once

#include "moduleframe.h"
#include "sendrequest.h"

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
    bool tabSeparated = false; // the form for scripts; otherwise a table for a person
};

// The module in one line of tab-separated columns, "-" for what it did not tell: IP:port,
// MAC, name, status (its own word), mode (client, server, mixed or udp), firmware, and the
// address it gives itself. IP is the address it answered from.
QString moduleLine(const ModuleFrame::ModuleInfo &module);
// The modules as a table with a header, for a person: address (and the one a module gives
// itself when that differs), MAC, name, mode, firmware, and whether the panel can connect.
QString moduleTable(const QList<ModuleFrame::ModuleInfo> &modules);

// "--timeout": seconds, a fraction allowed, more than 0 and at most MaxSearchSeconds.
std::optional<int> searchWaitMs(const QString &seconds);

// Runs the search in the event loop and prints one line per module that answered. Exit status
// Sent when one did, LinkFailed (and a line on stderr) when none did.
int findModules(const Search &search);

// Asks the module at `endpoint`'s host about itself on `commandPort`, unicast and for at most
// ModuleFinder::DefaultWaitMs, then ends the event loop with LinkFailed and `message` on
// stderr, followed by what the module said when it answered from that address.
void failWithModuleAccount(const Endpoint &endpoint, quint16 commandPort, const QString &message);

} // namespace Send
