#include "commandport.h"
#include "displaycheck.h"
#include "moduleframe.h"
#include "programvoice.h"
#include "simulator.h"
#include "standardoutput.h"
#include "terminationwatch.h"
#include "toolkitoptions.h"
#include "twinwindow.h"
#include "version.h"
#include "windowwatch.h"

#include "deviceconstants.h"

#include <QtCore/QCommandLineParser>
#include <QtCore/QCoreApplication>
#include <QtCore/QTextStream>
#include <QtWidgets/QApplication>

#include <memory>
#include <optional>

namespace {

std::optional<Module::Mode> modeNamed(const QString &name)
{
    int code = Module::FirstModeCode;
    for (const char *mode : Module::ModeNames) {
        if (name == QLatin1String(mode))
            return Module::Mode(code);
        ++code;
    }
    return std::nullopt;
}

// The simulator's own options, in the order --help lists them.
struct Options
{
    const QString defaultHost = QLatin1String(Device::DefaultHost);
    const QString defaultPort = QLatin1String(Device::DefaultPortText);
    const QCommandLineOption host{
            QStringLiteral("host"),
            QCoreApplication::translate("Simulator", "Address to listen on (default %1).")
                    .arg(defaultHost),
            QStringLiteral("address"), defaultHost};
    const QCommandLineOption port{
            QStringLiteral("port"),
            QCoreApplication::translate("Simulator", "Port to listen on (default %1).")
                    .arg(defaultPort),
            QStringLiteral("port"), defaultPort};
    const QCommandLineOption closeAfter{
            QStringLiteral("close-after"),
            QCoreApplication::translate("Simulator", "Close the connection after N commands."),
            QStringLiteral("N")};
    const QCommandLineOption resetAfter{
            QStringLiteral("reset-after"),
            QCoreApplication::translate("Simulator",
                                        "Abort the connection with a reset after N commands."),
            QStringLiteral("N")};
    const QCommandLineOption noRead{
            QStringLiteral("no-read"),
            QCoreApplication::translate(
                    "Simulator", "Accept a client but never read from it, so its buffers fill.")};
    const QCommandLineOption window{
            QStringLiteral("window"),
            QCoreApplication::translate(
                    "Simulator",
                    "Also show the clock as the device would, in a window. Closing or "
                    "destroying the window ends the simulator. The toolkit's options "
                    "(see --help-all) apply to it.")};
    const QCommandLineOption commandPort{
            QStringLiteral("command-port"),
            QCoreApplication::translate(
                    "Simulator",
                    "UDP port to answer module searches on (default %1; 0 any free port).")
                    .arg(Module::CommandPort),
            QStringLiteral("port"), QString::number(Module::CommandPort)};
    const QCommandLineOption searchId{
            QStringLiteral("search-id"),
            QCoreApplication::translate(
                    "Simulator",
                    "Answer only searches that carry this search ID (up to %1 characters).")
                    .arg(Module::MaxSearchIdLength),
            QStringLiteral("ID")};
    const QCommandLineOption mode{
            QStringLiteral("mode"),
            QCoreApplication::translate(
                    "Simulator",
                    "The network mode the simulator claims when searched: server "
                    "(default), client, mixed or udp. It serves the panel all the same."),
            QStringLiteral("mode"), QStringLiteral("server")};
};

// Every parser knows the toolkit's options, which the window takes, so they are never
// mistakes; only --help-all lists them.
void describe(QCommandLineParser &parser, const Options &options, Toolkit::Visibility toolkit)
{
    parser.setApplicationDescription(
            QCoreApplication::translate(
                    "Simulator",
                    "Stands in for the bedside clock behind its serial-to-Ethernet module: listens "
                    "for the\n"
                    "panel, decodes every command it writes and prints one line per command.\n"
                    "One client at a time: while one is connected, any other is closed at once.\n"
                    "Answers a module search on UDP port %1 of the same address, as the module "
                    "does.\n"
                    "Listens on the loopback address unless --host names another address.")
                    .arg(Module::CommandPort));
    // The toolkit's options are single-dash words such as -platform.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({options.host, options.port, options.closeAfter, options.resetAfter,
                       options.noRead, options.window, options.commandPort, options.searchId,
                       options.mode});
    parser.addOptions(Toolkit::options(toolkit));
}

void setApplicationNames()
{
    QCoreApplication::setApplicationName(QStringLiteral("dawnbell-sim"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(DawnbellVersionText));
}

// --help, --help-all and --version, answered without a display or a listener.
int answerWithoutStarting(const QCommandLineParser &parser, const Options &options, int argc,
                          char *argv[])
{
    QCoreApplication app(argc, argv); // the help text names the program
    setApplicationNames();
    if (parser.isSet(QStringLiteral("help")))
        return Console::printLast(Console::helpText(parser));
    if (parser.isSet(QStringLiteral("help-all"))) {
        QCommandLineParser full;
        describe(full, options, Toolkit::Visibility::Shown);
        return Console::printLast(Console::helpText(full));
    }
    return Console::printLast(Console::versionLine(DawnbellVersionText));
}

} // namespace

int main(int argc, char *argv[])
{
    Console::speakAs("dawnbell-sim");
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const Options options;
    QCommandLineParser parser;
    describe(parser, options, Toolkit::Visibility::Hidden);
    // Everything is checked before a display is opened or a port listened on.
    if (!parser.parse(arguments))
        return Console::badUsage(parser.errorText());
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))
        || parser.isSet(QStringLiteral("version"))) {
        return answerWithoutStarting(parser, options, argc, argv);
    }
    if (!parser.positionalArguments().isEmpty()) {
        return Console::badUsage(
                QCoreApplication::translate("Simulator", "unexpected argument '%1'")
                        .arg(parser.positionalArguments().constFirst()));
    }

    auto count = [&](const QCommandLineOption &option, int &value) {
        if (!parser.isSet(option))
            return true;
        bool ok = false;
        value = parser.value(option).toInt(&ok);
        if (!ok || value < 1) {
            Console::badUsage(
                    QCoreApplication::translate("Simulator", "--%1 needs a positive whole number")
                            .arg(option.names().constFirst()));
            return false;
        }
        return true;
    };

    Simulator::Options simulatorOptions;
    simulatorOptions.noRead = parser.isSet(options.noRead);
    if (!count(options.closeAfter, simulatorOptions.closeAfter)
        || !count(options.resetAfter, simulatorOptions.resetAfter)) {
        return 2;
    }

    const QHostAddress address(parser.value(options.host));
    bool portOk = false;
    const uint port = parser.value(options.port).toUInt(&portOk);
    bool commandPortOk = false;
    const uint commandPort = parser.value(options.commandPort).toUInt(&commandPortOk);
    if (address.isNull() || !portOk || port > 65535 || !commandPortOk || commandPort > 65535) {
        return Console::badUsage(QCoreApplication::translate(
                "Simulator",
                "--host needs an IP address, and --port and --command-port a number up to 65535"));
    }
    CommandPort::Options identity;
    identity.searchId = parser.value(options.searchId);
    if (!ModuleFrame::isValidSearchId(identity.searchId)) {
        return Console::badUsage(
                QCoreApplication::translate("Simulator",
                                            "--search-id takes up to %1 printable characters "
                                            "without blanks")
                        .arg(Module::MaxSearchIdLength));
    }
    const std::optional<Module::Mode> mode = modeNamed(parser.value(options.mode));
    if (!mode) {
        return Console::badUsage(QCoreApplication::translate(
                "Simulator", "--mode takes server, client, mixed or udp"));
    }
    identity.mode = *mode;

    // Only the window needs a display: without --window the simulator runs where there is none.
    const bool window = parser.isSet(options.window);
    if (const QString unreachable = window ? unreachableDisplay(arguments) : QString();
        !unreachable.isEmpty()) {
        Console::tell(unreachable);
        return 1;
    }
    std::unique_ptr<QCoreApplication> app = window ? std::make_unique<QApplication>(argc, argv)
                                                   : std::make_unique<QCoreApplication>(argc, argv);
    setApplicationNames();
    // Asked to end from outside, the simulator ends as closing its window ends it.
    TerminationWatch termination;
    QObject::connect(&termination, &TerminationWatch::terminationRequested, app.get(),
                     &QCoreApplication::quit);

    Simulator simulator(simulatorOptions);
    CommandPort commands(simulator, identity);
    QTextStream out(stdout);
    const auto print = [&out](const QString &text) {
        out << text << Qt::endl; // flushed per line, so a pipe sees each command at once
    };
    QObject::connect(&simulator, &Simulator::line, &simulator, print);
    QObject::connect(&commands, &CommandPort::line, &commands, print);
    if (!simulator.listen(address, quint16(port))) {
        Console::tell(QCoreApplication::translate("Simulator", "cannot listen on %1:%2: %3")
                              .arg(address.toString())
                              .arg(port)
                              .arg(simulator.errorString()));
        return 1;
    }
    const QString endpoint
            = QStringLiteral("%1:%2").arg(address.toString()).arg(simulator.serverPort());
    // Several simulators may share an address; only the first has the command port, and the
    // others still serve the panel.
    QString commandEndpoint;
    if (commands.listen(address, quint16(commandPort))) {
        commandEndpoint = QStringLiteral(", command port %1").arg(commands.port());
    } else {
        Console::tell(QCoreApplication::translate("Simulator",
                                                  "warning: cannot answer searches on %1:%2: %3")
                              .arg(address.toString())
                              .arg(commandPort)
                              .arg(commands.errorString()));
    }
    // The line that tells a script the simulator is ready, which scripts read: never translated.
    out << "listening on " << endpoint << commandEndpoint << Qt::endl;
    std::unique_ptr<TwinWindow> twin;
    std::unique_ptr<WindowWatch> watch;
    if (window) {
        twin = std::make_unique<TwinWindow>(simulator, endpoint);
        twin->show();
        watch = std::make_unique<WindowWatch>(twin->winId());
        QObject::connect(watch.get(), &WindowWatch::windowDestroyed, app.get(),
                         &QCoreApplication::quit);
    }
    return app->exec();
}
