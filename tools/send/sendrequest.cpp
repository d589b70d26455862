#include "sendrequest.h"

#include "alarmentry.h"
#include "commands.h"
#include "deviceconstants.h"
#include "programvoice.h"
#include "settingsrecord.h"
#include "settingsstore.h"
#include "setupdata.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>

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
        return failure(
                QCoreApplication::translate("Send", "the alarm hour must be 1 to 12, not \"%1\"")
                        .arg(hour));
    if (!Device::isNumberIn(minute, 0, Device::LastAlarmMinute))
        return failure(
                QCoreApplication::translate("Send", "the alarm minute must be 0 to 59, not \"%1\"")
                        .arg(minute));
    const std::optional<QString> amPm = Device::alarmAmPmOf(arguments.at(2));
    if (!amPm)
        return failure(
                QCoreApplication::translate("Send", "AMPM must be AM, PM, a or p, not \"%1\"")
                        .arg(arguments.at(2)));
    const std::optional<int> button = numberIn(arguments.at(3), 1, Device::TrackCount);
    if (!button)
        return failure(
                QCoreApplication::translate("Send", "the alarm number must be 1 to %1, not \"%2\"")
                        .arg(Device::TrackCount)
                        .arg(arguments.at(3)));
    // Both numbers were read above, so the encoder cannot refuse them.
    return fixed(*Protocol::setAlarm(hour, minute, *amPm, Device::TrackOffset + *button));
}

// "play N": the track of alarm button N.
ParsedCommand playCommand(const QStringList &arguments)
{
    const std::optional<int> button = numberIn(arguments.first(), 1, Device::TrackCount);
    if (!button)
        return failure(
                QCoreApplication::translate("Send", "play takes a number from 1 to %1, not \"%2\"")
                        .arg(Device::TrackCount)
                        .arg(arguments.first()));
    return fixed(Protocol::playTrack(Device::TrackOffset + *button));
}

// How the commands with fields read their arguments: the number of arguments, how they are
// shown in a usage line, what the command does, and what it turns the arguments into.
struct FieldGrammar
{
    Protocol::Action action;
    int argumentCount;
    const char *usage;
    const char *summary;
    ParsedCommand (*parse)(const QStringList &arguments);
};

const FieldGrammar FieldCommands[] = {
        {Protocol::Action::SetClock, 0, "",
         QT_TRANSLATE_NOOP("Send", "set the clock to this PC's time at the next whole second"),
         [](const QStringList &) {
             return ParsedCommand{Command{true, {}}, {}};
         }},
        {Protocol::Action::SetAlarm, 4, " HOUR MINUTE AMPM N",
         QT_TRANSLATE_NOOP(
                 "Send",
                 "set the wake-up alarm (HOUR 1-12, MINUTE 0-59, AMPM AM/PM/a/p, N 1-{tracks})"),
         &alarmCommand},
        {Protocol::Action::PlayTrack, 1, " N",
         QT_TRANSLATE_NOOP("Send", "play alarm N, 1-{tracks}"), &playCommand},
};

// "find" asks the modules about themselves, not the clock, so it has no row of its own.
const char FindWord[] = "find";
const char FindSummary[]
        = QT_TRANSLATE_NOOP("Send", "list the modules that answer a search, one a line");

const FieldGrammar *fieldGrammarOf(Protocol::Action action)
{
    for (const FieldGrammar &grammar : FieldCommands) {
        if (grammar.action == action)
            return &grammar;
    }
    return nullptr;
}

// A usage or summary text with the device's counts filled in.
QString withCounts(QString text)
{
    return text.replace(QLatin1String("{tracks}"), QString::number(Device::TrackCount));
}

// The command table's rows that `word` names, in their order.
QList<const Protocol::CommandRow *> rowsCalled(QStringView word)
{
    QList<const Protocol::CommandRow *> rows;
    for (const Protocol::CommandRow &row : Protocol::CommandTable) {
        if (word == QLatin1String(row.sendWord))
            rows.append(&row);
    }
    return rows;
}

// What follows a command word without fields in a usage line: " on|off" when words pick its
// rows, " 1-4" when numbers do, nothing when the word has one row.
QString argumentUsage(const QList<const Protocol::CommandRow *> &rows)
{
    if (rows.first()->sendArgument) {
        QStringList words;
        for (const Protocol::CommandRow *row : rows)
            words << QLatin1String(row->sendArgument);
        return QLatin1Char(' ') + words.join(QLatin1Char('|'));
    }
    if (rows.first()->choice > 0)
        return QStringLiteral(" 1-%1").arg(rows.size());
    return {};
}

// The row of a command word without fields that its one argument picks.
ParsedCommand chosenRow(const QString &name, const QList<const Protocol::CommandRow *> &rows,
                        const QString &argument)
{
    if (rows.first()->sendArgument) {
        QStringList words;
        for (const Protocol::CommandRow *row : rows) {
            if (argument == QLatin1String(row->sendArgument))
                return fixed(Protocol::encode(*row));
            words << QLatin1String(row->sendArgument);
        }
        return failure(QCoreApplication::translate("Send", "%1 takes %2, not \"%3\"")
                               .arg(name, words.join(QLatin1String(" or ")), argument));
    }
    const std::optional<int> number = numberIn(argument, 1, int(rows.size()));
    for (const Protocol::CommandRow *row : rows) {
        if (number == row->choice)
            return fixed(Protocol::encode(*row));
    }
    return failure(QCoreApplication::translate("Send", "%1 takes a number from 1 to %2, not \"%3\"")
                           .arg(name)
                           .arg(rows.size())
                           .arg(argument));
}

ParsedCommand usageFailure(const QString &name, const QString &usage)
{
    return failure(QCoreApplication::translate("Send", "usage: dawnbell-send [OPTIONS] %1%2")
                           .arg(name, usage));
}

QString summaryLine(const QString &usage, const QString &summary)
{
    return QStringLiteral("  %1 %2\n").arg(usage, -24).arg(summary);
}

} // namespace

QString commandSummary()
{
    QString lines;
    for (const Protocol::CommandRow &row : Protocol::CommandTable) {
        const QString word = QLatin1String(row.sendWord);
        if (const FieldGrammar *grammar = fieldGrammarOf(row.action)) {
            lines += summaryLine(word + withCounts(QString::fromLatin1(grammar->usage)),
                                 withCounts(QCoreApplication::translate("Send", grammar->summary)));
            continue;
        }
        // One line for each command without fields: a word that picks among rows by its
        // argument shows each choice with what it does.
        QString usage = word;
        if (row.sendArgument)
            usage += QLatin1Char(' ') + QLatin1String(row.sendArgument);
        else if (row.choice > 0)
            usage += QLatin1Char(' ') + QString::number(row.choice);
        lines += summaryLine(usage, Protocol::purposeOf(row.code));
    }
    return lines
            + summaryLine(QLatin1String(FindWord),
                          QCoreApplication::translate("Send", FindSummary));
}

ParsedCommand parseCommand(const QStringList &words)
{
    if (words.isEmpty())
        return failure(QCoreApplication::translate("Send", "no command given (see --help)"));
    const QString &name = words.first();
    const QStringList arguments = words.mid(1);
    if (name == QLatin1String(FindWord)) {
        if (!arguments.isEmpty())
            return usageFailure(name, {});
        return {Command{false, {}, true}, {}};
    }
    const QList<const Protocol::CommandRow *> rows = rowsCalled(name);
    if (rows.isEmpty())
        return failure(QCoreApplication::translate("Send", "unknown command \"%1\" (see --help)")
                               .arg(name));
    if (const FieldGrammar *grammar = fieldGrammarOf(rows.first()->action)) {
        if (arguments.size() != grammar->argumentCount)
            return usageFailure(name, withCounts(QString::fromLatin1(grammar->usage)));
        return grammar->parse(arguments);
    }
    const QString usage = argumentUsage(rows);
    if (arguments.size() != (usage.isEmpty() ? 0 : 1))
        return usageFailure(name, usage);
    return usage.isEmpty() ? fixed(Protocol::encode(*rows.first()))
                           : chosenRow(name, rows, arguments.first());
}

int fail(ExitStatus status, const QString &message)
{
    Console::tell(message);
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
    return Settings::endpointText(endpoint.host, endpoint.port);
}

Endpoint defaultEndpoint()
{
    const Settings::Endpoint endpoint = Settings::endpointOf(Settings::defaultRecord());
    return {endpoint.host, endpoint.port};
}

SavedEndpoint endpointFor(const QString &folder, const std::optional<QString> &host,
                          std::optional<quint16> port)
{
    if (host && port)
        return {Endpoint{*host, *port}, {}};
    const QString path = QDir(folder).filePath(QLatin1String(Settings::FileName));
    const Settings::ReadResult read = Settings::readFile(path);
    const QString giveEndpoint
            = QCoreApplication::translate("Send",
                                          "; give the module's endpoint with --host HOST "
                                          "--port PORT instead");
    if (read.problem == Settings::ReadProblem::Missing) {
        const Endpoint defaults = defaultEndpoint();
        return {Endpoint{host.value_or(defaults.host), port.value_or(defaults.port)}, {}};
    }
    if (!read.record)
        return {std::nullopt, Settings::unusableFileText(path, read) + giveEndpoint};
    const SetupData &record = *read.record;
    Endpoint endpoint;
    if (host) {
        endpoint.host = *host;
    } else {
        const QString saved = Settings::shownHostOf(record.RemoteHost).value_or(QString());
        const std::optional<QString> savedHost = Settings::connectHostOf(saved);
        if (!savedHost) {
            return {std::nullopt,
                    QCoreApplication::translate(
                            "Send", "%1: the saved remote host \"%2\" is no host name or address")
                                    .arg(path, saved)
                            + giveEndpoint};
        }
        endpoint.host = *savedHost;
    }
    if (port) {
        endpoint.port = *port;
    } else {
        const std::optional<quint16> savedPort = Settings::portOf(record.RemotePort);
        if (!savedPort) {
            return {std::nullopt,
                    QCoreApplication::translate(
                            "Send", "%1: the saved remote port \"%2\" is not 1 to 65535")
                                    .arg(path, record.RemotePort.toText())
                            + giveEndpoint};
        }
        endpoint.port = *savedPort;
    }
    return {endpoint, {}};
}

} // namespace Send
