#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QDateTime>
#include <QtCore/QString>
#include <QtCore/QStringList>

#include <optional>

class SettingValue;

// What dawnbell-send works out before it touches the network: the command's bytes, the moment
// a "time" command goes out, and the endpoint.
namespace Send {

enum ExitStatus : int {
    Sent = 0,       // the bytes were written
    LinkFailed = 1, // no connection within the wait, or the write failed
    BadInput = 2,   // nothing was connected or sent
};

inline constexpr int MaxLeadSeconds = 10;

// How long a connection may take to come up, and the bytes to leave, before giving up.
inline constexpr int LinkTimeoutMs = 2000;

// A checked command: the bytes of a fixed command, or the "time" command, whose bytes depend on
// the moment it is sent.
struct Command
{
    bool isTime = false;
    QByteArray bytes; // empty for "time"
};

// COMMAND [ARGUMENTS] checked the way the panel checks its controls: the command, or a one-line
// reason in `error`.
struct ParsedCommand
{
    std::optional<Command> command;
    QString error;
};
ParsedCommand parseCommand(const QStringList &words);
// One line per command, its usage and what it does, for --help.
QString commandSummary();

// The "T" command for the first whole second at or after `now`: the device then switches
// seconds in step with this PC, late only by the transit time. Carries of the lead into the
// minute, day, month and year are those of `now`'s own time zone.
struct TimePlan
{
    QDateTime boundary; // when to send
    QByteArray bytes;   // the clock at boundary + lead
};
TimePlan planTime(const QDateTime &now, int leadSeconds);

struct Endpoint
{
    QString host;
    quint16 port = 0;
};

// "host:port", with an IPv6 address in brackets.
QString endpointText(const Endpoint &endpoint);

// Where the module is reached when no settings name it.
Endpoint defaultEndpoint();

// The endpoint the panel connects to with the setupdata.ini in `folder`: its host and port when
// the file loads and names a usable port, else the defaults. Never writes the file.
Endpoint settingsEndpoint(const QString &folder);

} // namespace Send
