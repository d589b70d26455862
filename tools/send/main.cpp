#include "commandsender.h"
#include "sendrequest.h"

#include "deviceconstants.h"
#include "settingsfile.h"
#include "version.h"

#include <QtCore/QCommandLineParser>
#include <QtCore/QCoreApplication>
#include <QtCore/QDir>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

int fail(Send::ExitStatus status, const QString &message)
{
    std::fputs(qPrintable(QStringLiteral("dawnbell-send: %1\n").arg(message)), stderr);
    return status;
}

QString description()
{
    return QStringLiteral(
                   "Sends one command to the Dawnbell bedside clock through its WIZ750SR module,\n"
                   "with the same bytes as the panel.\n"
                   "\n"
                   "Commands:\n"
                   "%3"
                   "\n"
                   "Without --host and --port the endpoint is the remote host and port in\n"
                   "setupdata.ini in DIR, or %1 when that file does not load.\n"
                   "The module takes one client at a time: it cannot be reached while the panel\n"
                   "is connected to it.\n"
                   "\n"
                   "Exit status: 0 the command was sent; 1 no connection within %2 seconds, or\n"
                   "the write failed; 2 bad input (nothing is connected or sent).")
            .arg(Send::endpointText(Send::defaultEndpoint()))
            .arg(Send::LinkTimeoutMs / 1000)
            .arg(Send::commandSummary());
}

// Sleeps until the wall clock reaches `moment`, never waking before it.
void waitUntil(const QDateTime &moment)
{
    using namespace std::chrono;
    const system_clock::time_point target{milliseconds(moment.toMSecsSinceEpoch())};
    while (system_clock::now() < target)
        std::this_thread::sleep_until(target);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("dawnbell-send"));
    QCoreApplication::setApplicationVersion(QLatin1String(DawnbellVersionText));

    QCommandLineParser parser;
    parser.setApplicationDescription(description());
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption hostOption(QStringLiteral("host"),
                                        QStringLiteral("The module's host name or address."),
                                        QStringLiteral("HOST"));
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("The module's TCP port, 1 to 65535."),
                                        QStringLiteral("PORT"));
    const QCommandLineOption folderOption(
            QStringLiteral("C"),
            QStringLiteral("Read setupdata.ini in DIR (default: the current folder)."),
            QStringLiteral("DIR"));
    const QCommandLineOption leadOption(
            QStringLiteral("lead"),
            QStringLiteral("time: set the clock SECONDS ahead of the second it is sent at, "
                           "0 to %1 (default %2).")
                    .arg(Send::MaxLeadSeconds)
                    .arg(Device::TimeLeadSeconds),
            QStringLiteral("SECONDS"));
    const QCommandLineOption dryRunOption(
            QStringLiteral("dry-run"),
            QStringLiteral("Print the bytes that would be sent, without connecting."));
    parser.addOptions({hostOption, portOption, folderOption, leadOption, dryRunOption});
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("See Commands above."),
                                 QStringLiteral("COMMAND [ARGUMENTS]"));

    // Everything is checked before anything touches the settings file or the network.
    if (!parser.parse(QCoreApplication::arguments())) {
        QString error = parser.errorText();
        if (error.endsWith(u'.'))
            error.chop(1);
        return fail(Send::BadInput, error + QStringLiteral(" (see --help)"));
    }
    if (parser.isSet(helpOption))
        parser.showHelp(Send::Sent);
    if (parser.isSet(versionOption))
        parser.showVersion();

    const Send::ParsedCommand parsed = Send::parseCommand(parser.positionalArguments());
    if (!parsed.command)
        return fail(Send::BadInput, parsed.error);
    const Send::Command &command = *parsed.command;

    std::optional<QString> host;
    if (parser.isSet(hostOption)) {
        host = parser.value(hostOption).trimmed();
        if (host->isEmpty())
            return fail(Send::BadInput, QStringLiteral("--host needs a host name or address"));
    }
    std::optional<quint16> port;
    if (parser.isSet(portOption)) {
        port = SettingsFile::portOf(SettingValue::fromText(parser.value(portOption)));
        if (!port) {
            return fail(Send::BadInput,
                        QStringLiteral("--port must be 1 to 65535, not \"%1\"")
                                .arg(parser.value(portOption)));
        }
    }
    int lead = Device::TimeLeadSeconds;
    if (parser.isSet(leadOption)) {
        if (!command.isTime)
            return fail(Send::BadInput, QStringLiteral("--lead is for the time command only"));
        bool ok = false;
        lead = parser.value(leadOption).toInt(&ok);
        if (!ok || lead < 0 || lead > Send::MaxLeadSeconds) {
            return fail(Send::BadInput,
                        QStringLiteral("--lead must be 0 to %1 seconds, not \"%2\"")
                                .arg(Send::MaxLeadSeconds)
                                .arg(parser.value(leadOption)));
        }
    }

    if (parser.isSet(dryRunOption)) {
        const QByteArray bytes = command.isTime
                ? Send::planTime(QDateTime::currentDateTime(), lead).bytes
                : command.bytes;
        std::fputs(bytes.constData(), stdout);
        std::fputc('\n', stdout);
        return Send::Sent;
    }

    Send::Endpoint endpoint;
    if (!host || !port) {
        endpoint = Send::settingsEndpoint(parser.isSet(folderOption) ? parser.value(folderOption)
                                                                     : QDir::currentPath());
    }
    endpoint.host = host.value_or(endpoint.host);
    endpoint.port = port.value_or(endpoint.port);

    CommandSender sender;
    if (!sender.open(endpoint.host, endpoint.port, Send::LinkTimeoutMs)) {
        return fail(Send::LinkFailed,
                    QStringLiteral("cannot connect to %1: %2")
                            .arg(Send::endpointText(endpoint), sender.errorString()));
    }
    QByteArray bytes = command.bytes;
    if (command.isTime) {
        // Connected first, so that at the boundary only the write is left to do.
        const Send::TimePlan plan = Send::planTime(QDateTime::currentDateTime(), lead);
        waitUntil(plan.boundary);
        bytes = plan.bytes;
    }
    if (!sender.sendAndClose(bytes, Send::LinkTimeoutMs)) {
        return fail(Send::LinkFailed,
                    QStringLiteral("sending to %1 failed: %2")
                            .arg(Send::endpointText(endpoint), sender.errorString()));
    }
    return Send::Sent;
}
