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
    Sent = 0,       // the module took every byte and did not reset the connection
    LinkFailed = 1, // no connection, or the module did not take the command
    // The settings file that names the endpoint, or the -C folder that holds it, cannot be
    // used: nothing was connected or sent.
    SettingsUnusable = 1,
    BadInput = 2, // nothing was connected or sent
};

inline constexpr int MaxLeadSeconds = 10;

// How long the module's TCP may take to acknowledge the command once it is written.
inline constexpr int DeliveryWaitMs = 2000;
// How long to wait, after our end of the stream, for the module to end its side: a reset
// then says that it dropped the command. A module that keeps the connection open that long
// has acknowledged every byte and reset nothing, which is all there is to know.
inline constexpr int CloseWaitMs = 1000;
// The longest pause between two looks at the bytes not yet acknowledged.
inline constexpr int MaxPollMs = 50;

// A checked command: the bytes of a fixed command, the "time" command, whose bytes depend on
// the moment it is sent, or "find", which asks the modules about themselves.
struct Command
{
    bool isTime = false;
    QByteArray bytes; // empty for "time" and "find"
    bool isFind = false;
};

// COMMAND [ARGUMENTS] checked the way the panel checks its controls: the command, or a one-line
// reason in `error`.
struct ParsedCommand
{
    std::optional<Command> command;
    QString error;
};
ParsedCommand parseCommand(const QStringList &words);

// The one line that names the failure on stderr; returns `status`.
int fail(ExitStatus status, const QString &message);
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

// The endpoint to send to: `host` and `port` where given, the rest from the setupdata.ini in
// `folder` (the defaults when there is no such file). A file that is there but cannot be used,
// and a saved host or port that is needed and cannot be used (a blank host, a port that is not
// 1 to 65535), give no endpoint but one line naming the file and the value and saying how to
// give an endpoint: sending to the defaults instead would reach another module than the one
// the file names. Never writes the file.
struct SavedEndpoint
{
    std::optional<Endpoint> endpoint;
    QString error;
};
SavedEndpoint endpointFor(const QString &folder, const std::optional<QString> &host,
                          std::optional<quint16> port);

} // namespace Send
