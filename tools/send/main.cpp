#include "commandsender.h"
#include "modulesearch.h"
#include "sendrequest.h"
#include "terminal.h"

#include "deviceconstants.h"
#include "modulefinder.h"
#include "programvoice.h"
#include "settingsrecord.h"
#include "standardoutput.h"
#include "version.h"

#include <QtCore/QCommandLineParser>
#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <QtCore/QTimer>

#include <cstdio>

namespace {

using Send::fail;

QString description()
{
    return QCoreApplication::translate(
                   "Send",
                   "Sends one command to the Dawnbell bedside clock through its WIZ750SR module,\n"
                   "with the same bytes as the panel.\n"
                   "\n"
                   "Commands:\n"
                   "%3"
                   "\n"
                   "Without --host and --port the endpoint is the remote host and port in\n"
                   "setupdata.ini in DIR, or %1 when there is no such file. A saved host\n"
                   "that is blank or a saved port that is not 1 to 65535 sends nothing.\n"
                   "The module takes one client at a time: it cannot be reached while the panel\n"
                   "is connected to it. When it refuses, resets or closes the connection, the\n"
                   "error line adds what the module says of itself on its command port.\n"
                   "\n"
                   "find asks the modules on UDP port %4 for their address, port, MAC, name,\n"
                   "status, mode and firmware, and lists those that answer within the wait: on\n"
                   "a terminal as a table whose last column says whether the panel can connect;\n"
                   "otherwise, or with --tab-separated, one tab-separated line per module: the\n"
                   "address it answered from and its port, MAC, name, status, mode, firmware and\n"
                   "the address it gives itself. Without --to the request is broadcast to every\n"
                   "network this PC is on (and 127.0.0.1); with --to it goes to that address\n"
                   "alone. Status: OPEN waiting for a client, CONNECT busy with another client,\n"
                   "BOOT, UPGRADE, ATMODE (AT command mode), UDP. Mode: server (the panel's),\n"
                   "mixed, client or udp (neither serves the panel).\n"
                   "\n"
                   "Exit status: 0 the module took the command (every byte was acknowledged\n"
                   "and the connection ended without a reset), or a module answered find; 1 no\n"
                   "connection within %2 seconds, the module refused or reset the connection or\n"
                   "closed it before taking the command, setupdata.ini or DIR cannot be used\n"
                   "(nothing is sent), no module answered find, or standard output could not be\n"
                   "written; 2 bad input (nothing is connected or sent).")
            .arg(Send::endpointText(Send::defaultEndpoint()))
            .arg(Device::ConnectWaitMs / 1000)
            .arg(Send::commandSummary())
            .arg(Module::CommandPort);
}

} // namespace

int main(int argc, char *argv[])
{
    Console::speakAs("dawnbell-send");
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("dawnbell-send"));
    QCoreApplication::setApplicationVersion(QLatin1String(DawnbellVersionText));

    QCommandLineParser parser;
    parser.setApplicationDescription(description());
    // A program without a window takes none of the toolkit's options, so it has no --help-all
    // to list them.
    const QCommandLineOption helpOption(
            {QStringLiteral("h"), QStringLiteral("help")},
            QCoreApplication::translate("Send", "Displays help on commandline options."));
    parser.addOption(helpOption);
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption hostOption(
            QStringLiteral("host"),
            QCoreApplication::translate("Send", "The module's host name or address."),
            QStringLiteral("HOST"));
    const QCommandLineOption portOption(
            QStringLiteral("port"),
            QCoreApplication::translate("Send", "The module's TCP port, 1 to 65535."),
            QStringLiteral("PORT"));
    const QCommandLineOption folderOption(
            QStringLiteral("C"),
            QCoreApplication::translate("Send",
                                        "Read setupdata.ini in DIR (default: the current folder)."),
            QStringLiteral("DIR"));
    const QCommandLineOption leadOption(
            QStringLiteral("lead"),
            QCoreApplication::translate(
                    "Send",
                    "time: set the clock SECONDS ahead of the second it is sent at, "
                    "0 to %1 (default %2).")
                    .arg(Send::MaxLeadSeconds)
                    .arg(Device::TimeLeadSeconds),
            QStringLiteral("SECONDS"));
    const QCommandLineOption dryRunOption(
            QStringLiteral("dry-run"),
            QCoreApplication::translate("Send",
                                        "Print the bytes that would be sent, without connecting."));
    const QCommandLineOption toOption(
            QStringLiteral("to"),
            QCoreApplication::translate(
                    "Send",
                    "find: ask only the module at this IPv4 address (default: broadcast "
                    "to every network)."),
            QStringLiteral("ADDRESS"));
    const QCommandLineOption searchIdOption(
            QStringLiteral("search-id"),
            QCoreApplication::translate(
                    "Send",
                    "find: the search ID set in the modules, up to %1 characters; a "
                    "module with one answers only a search that carries it.")
                    .arg(Module::MaxSearchIdLength),
            QStringLiteral("ID"));
    const QCommandLineOption timeoutOption(
            QStringLiteral("timeout"),
            QCoreApplication::translate(
                    "Send", "find: how long to wait for answers, up to %1 (default %2).")
                    .arg(Send::MaxSearchSeconds)
                    .arg(ModuleFinder::DefaultWaitMs / 1000),
            QStringLiteral("SECONDS"));
    const QCommandLineOption commandPortOption(
            QStringLiteral("command-port"),
            QCoreApplication::translate("Send", "The modules' UDP command port (default %1).")
                    .arg(Module::CommandPort),
            QStringLiteral("PORT"));
    const QCommandLineOption tabsOption(
            QStringLiteral("tab-separated"),
            QCoreApplication::translate(
                    "Send",
                    "find: print the stable tab-separated lines for scripts, also on a "
                    "terminal (the form whenever the output is no terminal)."));
    parser.addOptions({hostOption, portOption, folderOption, leadOption, dryRunOption, toOption,
                       searchIdOption, timeoutOption, tabsOption, commandPortOption});
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QCoreApplication::translate("Send", "See Commands above."),
                                 QStringLiteral("COMMAND [ARGUMENTS]"));

    // Everything is checked before anything touches the settings file or the network.
    if (!parser.parse(QCoreApplication::arguments()))
        return Console::badUsage(parser.errorText());
    if (parser.isSet(helpOption))
        return Console::printLast(Console::helpText(parser));
    if (parser.isSet(versionOption))
        return Console::printLast(Console::versionLine(DawnbellVersionText));

    const Send::ParsedCommand parsed = Send::parseCommand(parser.positionalArguments());
    if (!parsed.command)
        return fail(Send::BadInput, parsed.error);
    const Send::Command &command = *parsed.command;

    quint16 commandPort = Module::CommandPort;
    if (parser.isSet(commandPortOption)) {
        const std::optional<quint16> port
                = Settings::portOf(SettingValue::fromText(parser.value(commandPortOption)));
        if (!port) {
            return fail(Send::BadInput,
                        QCoreApplication::translate("Send",
                                                    "--command-port must be 1 to 65535, not \"%1\"")
                                .arg(parser.value(commandPortOption)));
        }
        commandPort = *port;
    }
    const QList<QCommandLineOption> findOptions{toOption, searchIdOption, timeoutOption,
                                                tabsOption};
    const QList<QCommandLineOption> sendOptions{hostOption, portOption, folderOption, leadOption,
                                                dryRunOption};
    for (const QCommandLineOption &option : command.isFind ? sendOptions : findOptions) {
        if (parser.isSet(option)) {
            const QString name = option.names().constFirst();
            return fail(Send::BadInput,
                        QCoreApplication::translate("Send", "%1%2 is not for the %3 command")
                                .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"),
                                     name, parser.positionalArguments().constFirst()));
        }
    }
    if (command.isFind) {
        Send::Search search;
        search.commandPort = commandPort;
        search.tabSeparated = parser.isSet(tabsOption) || !Send::standardOutputIsTerminal();
        if (parser.isSet(toOption)) {
            const QHostAddress to(parser.value(toOption).trimmed());
            if (to.protocol() != QAbstractSocket::IPv4Protocol) {
                return fail(Send::BadInput,
                            QCoreApplication::translate("Send",
                                                        "--to needs an IPv4 address, not \"%1\"")
                                    .arg(parser.value(toOption)));
            }
            search.to = to;
        }
        search.searchId = parser.value(searchIdOption);
        if (!ModuleFrame::isValidSearchId(search.searchId)) {
            return fail(Send::BadInput,
                        QCoreApplication::translate(
                                "Send",
                                "--search-id takes up to %1 printable characters without "
                                "blanks, not \"%2\"")
                                .arg(Module::MaxSearchIdLength)
                                .arg(search.searchId));
        }
        const std::optional<int> waitMs = parser.isSet(timeoutOption)
                ? Send::searchWaitMs(parser.value(timeoutOption))
                : ModuleFinder::DefaultWaitMs;
        if (!waitMs) {
            return fail(Send::BadInput,
                        QCoreApplication::translate(
                                "Send",
                                "--timeout must be more than 0 and at most %1 seconds, "
                                "not \"%2\"")
                                .arg(Send::MaxSearchSeconds)
                                .arg(parser.value(timeoutOption)));
        }
        search.waitMs = *waitMs;
        return Send::findModules(search);
    }

    std::optional<QString> host;
    if (parser.isSet(hostOption)) {
        // The rule of the panel's host box, so that what one takes the other takes too.
        host = Settings::connectHostOf(parser.value(hostOption));
        if (!host) {
            return fail(Send::BadInput,
                        QCoreApplication::translate(
                                "Send", "--host needs a host name or address, not \"%1\"")
                                .arg(parser.value(hostOption)));
        }
    }
    std::optional<quint16> port;
    if (parser.isSet(portOption)) {
        port = Settings::portOf(SettingValue::fromText(parser.value(portOption)));
        if (!port) {
            return fail(Send::BadInput,
                        QCoreApplication::translate("Send", "--port must be 1 to 65535, not \"%1\"")
                                .arg(parser.value(portOption)));
        }
    }
    int lead = Device::TimeLeadSeconds;
    if (parser.isSet(leadOption)) {
        if (!command.isTime)
            return fail(Send::BadInput,
                        QCoreApplication::translate("Send", "--lead is for the time command only"));
        bool ok = false;
        lead = parser.value(leadOption).toInt(&ok);
        if (!ok || lead < 0 || lead > Send::MaxLeadSeconds) {
            return fail(Send::BadInput,
                        QCoreApplication::translate("Send",
                                                    "--lead must be 0 to %1 seconds, not \"%2\"")
                                .arg(Send::MaxLeadSeconds)
                                .arg(parser.value(leadOption)));
        }
    }

    if (parser.isSet(dryRunOption)) {
        const QByteArray bytes = command.isTime
                ? Send::planTime(QDateTime::currentDateTime(), lead).bytes
                : command.bytes;
        return Console::printLast(QString::fromLatin1(bytes + '\n'));
    }

    const QString folder = parser.isSet(folderOption) ? parser.value(folderOption)
                                                      : QDir::currentPath();
    if (!QFileInfo(folder).isDir()) {
        return fail(
                Send::SettingsUnusable,
                QCoreApplication::translate("Send", "-C %1: there is no such folder").arg(folder));
    }
    const Send::SavedEndpoint saved = Send::endpointFor(folder, host, port);
    if (!saved.endpoint)
        return fail(Send::SettingsUnusable, saved.error);
    const Send::Endpoint endpoint = *saved.endpoint;

    CommandSender sender(endpoint);
    QObject::connect(&sender, &CommandSender::connected, &sender, [&sender, &command, lead] {
        if (!command.isTime) {
            sender.deliver(command.bytes);
            return;
        }
        // Connected first, so that at the boundary only the write is left to do.
        const Send::TimePlan plan = Send::planTime(QDateTime::currentDateTime(), lead);
        sender.deliver(plan.bytes, plan.boundary);
    });
    QObject::connect(&sender, &CommandSender::delivered, &app,
                     [] { QCoreApplication::exit(Send::Sent); });
    QObject::connect(&sender, &CommandSender::failed, &app,
                     [&endpoint, commandPort](const QString &message, bool byModule) {
                         if (byModule)
                             Send::failWithModuleAccount(endpoint, commandPort, message);
                         else
                             QCoreApplication::exit(fail(Send::LinkFailed, message));
                     });
    // Started from the event loop, so that an outcome always finds it running.
    QTimer::singleShot(0, &sender, &CommandSender::open);
    return app.exec();
}
