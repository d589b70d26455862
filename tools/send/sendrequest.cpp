#include "sendrequest.h"

#include "alarmentry.h"
#include "commands.h"
#include "deviceconstants.h"
#include "settingsrecord.h"
#include "settingsstore.h"
#include "setupdata.h"

#include <QtCore/QDir>
#include <QtNetwork/QHostAddress>

#include <cstdio>

namespace Send {

namespace {

ParsedCommand failure(const QString &error)
{
    return {std::nullopt, error};
}

ParsedCommand fixed(const Protocol::Pieces &pieces)
{
    return {Command{false, Protocol::bytes(pieces)}, QString()};
}

// A whole number from `first` to `last`, read as the panel reads its entry boxes.
std::optional<int> numberIn(const QString &text, int first, int last)
{
    const std::optional<qint64> value = Device::wholeNumber(text);
    if (!value || *value < first || *value > last)
        return std::nullopt;
    return int(*value);
}

// An alarm the clock can ring at: hour 1 to 12, minute 0 to 59, and one of its tracks.
ParsedCommand alarmCommand(const QStringList &arguments)
{
    const QString &hour = arguments.at(0);
    const QString &minute = arguments.at(1);
    if (!Device::isNumberIn(hour, Device::FirstAlarmHour, Device::LastAlarmHour))
        return failure(QStringLiteral("the alarm hour must be 1 to 12, not \"%1\"").arg(hour));
    if (!Device::isNumberIn(minute, 0, Device::LastAlarmMinute))
        return failure(QStringLiteral("the alarm minute must be 0 to 59, not \"%1\"").arg(minute));
    const std::optional<QString> amPm = Device::alarmAmPmOf(arguments.at(2));
    if (!amPm)
        return failure(
                QStringLiteral("AMPM must be AM, PM, a or p, not \"%1\"").arg(arguments.at(2)));
    const std::optional<int> button = numberIn(arguments.at(3), 1, Device::TrackCount);
    if (!button)
        return failure(QStringLiteral("the alarm number must be 1 to %1, not \"%2\"")
                               .arg(Device::TrackCount)
                               .arg(arguments.at(3)));
    // Both numbers were read above, so the encoder cannot refuse them.
    return fixed(*Protocol::setAlarm(hour, minute, *amPm, Device::TrackOffset + *button));
}

// Commands that take one number from 1 to `last`.
ParsedCommand numbered(const QString &name, const QString &argument, int last,
                       Protocol::Pieces (*encode)(int))
{
    const std::optional<int> number = numberIn(argument, 1, last);
    if (!number)
        return failure(QStringLiteral("%1 takes a number from 1 to %2, not \"%3\"")
                               .arg(name)
                               .arg(last)
                               .arg(argument));
    return fixed(encode(*number));
}

ParsedCommand announceCommand(const QStringList &arguments)
{
    const QString &state = arguments.first();
    if (state != u"on" && state != u"off")
        return failure(QStringLiteral("announce takes on or off, not \"%1\"").arg(state));
    return fixed(Protocol::announceHourly(state == u"on"));
}

// Each command: its name, how many arguments it takes, how they are shown in a usage line,
// what it does, and what it turns its arguments into.
struct Grammar
{
    const char *name;
    int argumentCount;
    const char *usage;
    const char *summary;
    ParsedCommand (*parse)(const QStringList &arguments);
};

const Grammar Commands[] = {
        {"time", 0, "", "set the clock to this PC's time at the next whole second",
         [](const QStringList &) {
             return ParsedCommand{Command{true, {}}, {}};
         }},
        {"find", 0, "", "list the modules that answer a search, one a line",
         [](const QStringList &) {
             return ParsedCommand{Command{false, {}, true}, {}};
         }},
        {"alarm", 4, " HOUR MINUTE AMPM N",
         "set the wake-up alarm (HOUR 1-12, MINUTE 0-59, AMPM AM/PM/a/p, N 1-{tracks})",
         &alarmCommand},
        {"play", 1, " N", "play alarm N, 1-{tracks}",
         [](const QStringList &arguments) {
             return numbered(
                     QStringLiteral("play"), arguments.first(), Device::TrackCount,
                     [](int button) { return Protocol::playTrack(Device::TrackOffset + button); });
         }},
        {"stop", 0, "", "stop the wake-up alarm",
         [](const QStringList &) { return fixed(Protocol::stopAlarm()); }},
        {"enable", 0, "", "switch the wake-up alarm on",
         [](const QStringList &) { return fixed(Protocol::enableAlarm()); }},
        {"disable", 0, "", "switch the wake-up alarm off",
         [](const QStringList &) { return fixed(Protocol::disableAlarm()); }},
        {"test", 0, "", "send the test command",
         [](const QStringList &) { return fixed(Protocol::test()); }},
        {"announce", 1, " on|off", "switch the hourly announcement on or off", &announceCommand},
        {"scheme", 1, " 1-{schemes}", "choose the colour scheme",
         [](const QStringList &arguments) {
             return numbered(QStringLiteral("scheme"), arguments.first(), Device::SchemeCount,
                             &Protocol::colourScheme);
         }},
        {"screen", 1, " 1-{screens}", "choose the wake-up screen",
         [](const QStringList &arguments) {
             return numbered(QStringLiteral("screen"), arguments.first(), Device::ScreenCount,
                             [](int screen) {
                                 return Protocol::wakeUpScreen(Device::FirstScreenCode + screen
                                                               - 1);
                             });
         }},
};

// A usage or summary text with the device's counts filled in.
QString withCounts(const char *text)
{
    return QString::fromLatin1(text)
            .replace(QLatin1String("{tracks}"), QString::number(Device::TrackCount))
            .replace(QLatin1String("{schemes}"), QString::number(Device::SchemeCount))
            .replace(QLatin1String("{screens}"), QString::number(Device::ScreenCount));
}

} // namespace

QString commandSummary()
{
    QString lines;
    for (const Grammar &grammar : Commands) {
        const QString usage = QLatin1String(grammar.name) + withCounts(grammar.usage);
        lines += QStringLiteral("  %1 %2\n").arg(usage, -24).arg(withCounts(grammar.summary));
    }
    return lines;
}

ParsedCommand parseCommand(const QStringList &words)
{
    if (words.isEmpty())
        return failure(QStringLiteral("no command given (see --help)"));
    const QString &name = words.first();
    for (const Grammar &grammar : Commands) {
        if (name != QLatin1String(grammar.name))
            continue;
        const QStringList arguments = words.mid(1);
        if (arguments.size() != grammar.argumentCount)
            return failure(QStringLiteral("usage: dawnbell-send [OPTIONS] %1%2")
                                   .arg(name, withCounts(grammar.usage)));
        return grammar.parse(arguments);
    }
    return failure(QStringLiteral("unknown command \"%1\" (see --help)").arg(name));
}

int fail(ExitStatus status, const QString &message)
{
    std::fputs(qPrintable(QStringLiteral("dawnbell-send: %1\n").arg(message)), stderr);
    return status;
}

TimePlan planTime(const QDateTime &now, int leadSeconds)
{
    const int intoSecond = now.time().msec();
    const QDateTime boundary = intoSecond == 0 ? now : now.addMSecs(1000 - intoSecond);
    // Advancing the whole date-time carries the lead into the minute, hour and date.
    return {boundary, Protocol::bytes(Protocol::setTime(boundary.addSecs(leadSeconds)))};
}

QString endpointText(const Endpoint &endpoint)
{
    const bool ipv6 = QHostAddress(endpoint.host).protocol() == QAbstractSocket::IPv6Protocol;
    return (ipv6 ? QStringLiteral("[%1]:%2") : QStringLiteral("%1:%2"))
            .arg(endpoint.host)
            .arg(endpoint.port);
}

Endpoint defaultEndpoint()
{
    const Settings::Endpoint endpoint = Settings::endpointOf(Settings::defaultRecord());
    return {endpoint.host, endpoint.port};
}

SavedEndpoint settingsEndpoint(const QString &folder)
{
    const QString path = QDir(folder).filePath(QLatin1String(Settings::FileName));
    const Settings::ReadResult read = Settings::readFile(path);
    if (read.problem == Settings::ReadProblem::Missing)
        return {defaultEndpoint(), {}};
    if (!read.record) {
        return {std::nullopt,
                QStringLiteral(
                        "%1; give the module's endpoint with --host HOST --port PORT instead")
                        .arg(Settings::unusableFileText(path, read))};
    }
    // A saved port that is no port gives the default port on the saved host, as in the panel.
    const Settings::Endpoint endpoint = Settings::endpointOf(*read.record);
    return {Endpoint{endpoint.host, endpoint.port}, {}};
}

} // namespace Send
