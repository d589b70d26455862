#include "simulator.h"

#include <QtCore/QCommandLineParser>
#include <QtCore/QCoreApplication>
#include <QtCore/QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("dawnbell-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
            "Stands in for the bedside clock behind its serial-to-Ethernet module: listens for "
            "the\n"
            "panel, decodes every command it writes and prints one line per command.\n"
            "One client at a time: a second client is refused while one is connected.\n"
            "Listens on the loopback address unless --host names another address."));
    parser.addHelpOption();
    const QCommandLineOption hostOption(QStringLiteral("host"),
                                        QStringLiteral("Address to listen on (default 127.0.0.1)."),
                                        QStringLiteral("address"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Port to listen on (default 5000)."),
                                        QStringLiteral("port"), QStringLiteral("5000"));
    const QCommandLineOption closeOption(QStringLiteral("close-after"),
                                         QStringLiteral("Close the connection after N commands."),
                                         QStringLiteral("N"));
    const QCommandLineOption resetOption(
            QStringLiteral("reset-after"),
            QStringLiteral("Abort the connection with a reset after N commands."),
            QStringLiteral("N"));
    const QCommandLineOption noReadOption(
            QStringLiteral("no-read"),
            QStringLiteral("Accept a client but never read from it, so its buffers fill."));
    parser.addOptions({hostOption, portOption, closeOption, resetOption, noReadOption});
    parser.process(app);

    QTextStream err(stderr);
    auto count = [&](const QCommandLineOption &option, int &value) {
        if (!parser.isSet(option))
            return true;
        bool ok = false;
        value = parser.value(option).toInt(&ok);
        if (!ok || value < 1) {
            err << "dawnbell-sim: --" << option.names().constFirst()
                << " needs a positive whole number\n";
            return false;
        }
        return true;
    };

    Simulator::Options options;
    options.noRead = parser.isSet(noReadOption);
    if (!count(closeOption, options.closeAfter) || !count(resetOption, options.resetAfter))
        return 2;

    const QHostAddress address(parser.value(hostOption));
    bool portOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    if (address.isNull() || !portOk || port > 65535) {
        err << "dawnbell-sim: --host needs an IP address and --port a number up to 65535\n";
        return 2;
    }

    Simulator simulator(options);
    QTextStream out(stdout);
    QObject::connect(&simulator, &Simulator::line, &simulator, [&out](const QString &text) {
        out << text << Qt::endl; // flushed per line, so a pipe sees each command at once
    });
    if (!simulator.listen(address, quint16(port))) {
        err << "dawnbell-sim: cannot listen on " << address.toString() << ':' << port << ": "
            << simulator.errorString() << '\n';
        return 1;
    }
    out << "listening on " << address.toString() << ':' << simulator.serverPort() << Qt::endl;
    return app.exec();
}
