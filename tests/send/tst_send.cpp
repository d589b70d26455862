#include "commandport.h"
#include "sendrequest.h"
#include "settingsrecord.h"
#include "settingsstore.h"
#include "simulator.h"

#include <QtNetwork/QTcpServer>
#include <QtNetwork/QTcpSocket>
#include <QtNetwork/QUdpSocket>
#include <QtTest/QtTest>

#ifdef Q_OS_LINUX
#    include <signal.h>
#    include <spawn.h>
#    include <sys/resource.h>
#    include <sys/wait.h>
#    include <unistd.h>
#endif

// dawnbell-send run as a process against loopback listeners, and its "time" arithmetic.
class tst_Send : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void run_data();
    void run();
    void notTaken_data();
    void notTaken();
    void settingsInTheWay_data();
    void settingsInTheWay();
    void simulatorCommandLine_data();
    void simulatorCommandLine();
    void find_data();
    void find();
#ifdef Q_OS_LINUX
    void connectionWaitIsTwoSeconds();
    void signalDuringConnect();
#endif
    void unwritableOutput_data();
    void unwritableOutput();
    void planTime_data();
    void planTime();
};

namespace {

// What the programs end a printed line with: standard output is in text mode on Windows.
#ifdef Q_OS_WIN
const QByteArray LineEnd = "\r\n";
#else
const QByteArray LineEnd = "\n";
#endif

// Runs `program` to its end while this process's event loop serves the listeners.
bool finish(QProcess &process, const QString &program, const QStringList &arguments)
{
    QSignalSpy ended(&process, &QProcess::finished);
    process.start(program, arguments);
    return ended.wait(60000) && process.exitStatus() == QProcess::NormalExit;
}

#ifdef Q_OS_LINUX
// A listener with a backlog of one, filled and not accepting: the kernel ignores further
// connection requests, so a client waits for its connection.
bool fillBacklog(QTcpServer &listener, QTcpSocket &filler)
{
    listener.setListenBacklogSize(0);
    if (!listener.listen(QHostAddress::LocalHost, 0))
        return false;
    listener.pauseAccepting();
    filler.connectToHost(QHostAddress::LocalHost, listener.serverPort());
    return filler.waitForConnected(10000);
}
#endif

#ifdef DAWNBELL_UNDER_QEMU
// qemu-user 7 refuses the clone (a vfork with a process file descriptor) that QProcess and
// posix_spawn make, so no program starts from this one there.
bool programsStartHere()
{
    static const bool start = QProcess::execute(QStringLiteral(DAWNBELL_SIM_BIN), {"--help"}) == 0;
    return start;
}
#endif

} // namespace

void tst_Send::init()
{
#ifdef DAWNBELL_UNDER_QEMU
    // Every case but the clock arithmetic starts the programs.
    if (!programsStartHere() && qstrcmp(QTest::currentTestFunction(), "planTime") != 0)
        QSKIP("qemu-user cannot start a program from this test (QProcess's clone fails)");
#endif
}

void tst_Send::run_data()
{
    // Arguments after "-C DIR"; exit status; bytes received (none: no connection) or printed.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("sent");
    const auto row = [](const char *arguments, int exitCode, const QByteArray &sent = {}) {
        QTest::addRow("%d: %s", exitCode, arguments)
                << QString::fromLatin1(arguments).split(u' ', Qt::SkipEmptyParts) << exitCode
                << sent;
    };
    row("alarm 6 30 AM 1", Send::Sent, "A, 6, 30,1, 150, 0");
    row("alarm 07 05 p 16", Send::Sent, "A, 7, 5,2, 165, 0");
    row("alarm 12 59 pm 2", Send::Sent, "A, 12, 59,2, 151, 0");
    row("alarm 1 00 A 1", Send::Sent, "A, 1, 0,1, 150, 0");
    row("play 3", Send::Sent, "P, 152, 0");
    row("stop", Send::Sent, "S");
    row("enable", Send::Sent, "E");
    row("disable", Send::Sent, "D");
    row("test", Send::Sent, "!");
    row("announce on", Send::Sent, "H");
    row("announce off", Send::Sent, "h");
    row("scheme 4", Send::Sent, "4");
    row("screen 3", Send::Sent, "7");
    row("--lead 7 time", Send::Sent, "T"); // checked against the clock
    row("--dry-run alarm 6 30 a 1", Send::Sent, "A, 6, 30,1, 150, 0");
    row("--host [127.0.0.1] test", Send::Sent, "!"); // as the file and the host box take it
    row("stop", Send::LinkFailed);                   // the listener is closed first
    const QByteArray bad = "|ring|stop now|alarm x 30 AM 1|alarm 6 30 Am 1|alarm 6 30 AM 0|"
                           "alarm 6 30 AM 17|alarm 0 30 AM 1|alarm 13 30 AM 1|alarm 6 60 AM 1|"
                           "alarm 6 -1 AM 1|play 0|play 17|scheme 5|screen 4|announce yes|"
                           "--lead 11 time|--lead -1 time|--lead 2 stop|--port 0 stop|"
                           "--port 65536 stop|--host= stop|--loud stop|--help-all stop|"
                           "--to 127.0.0.1 stop|--timeout 1 time|--host=x/y stop|--host=[ stop|"
                           "--tab-separated stop";
    for (const QByteArray &arguments : bad.split('|'))
        row(arguments.constData(), Send::BadInput);
}

void tst_Send::run()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, sent);
    // A listener that reads all, as the module does; its connections are its children.
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    const quint16 port = server.serverPort();
    if (exitCode == Send::LinkFailed)
        server.close();
    QByteArray received;
    connect(&server, &QTcpServer::newConnection, this, [&] {
        QTcpSocket *peer = server.nextPendingConnection();
        connect(peer, &QTcpSocket::readyRead, this, [&, peer] { received += peer->readAll(); });
    });
    QTemporaryDir folder; // the endpoint comes from its settings file, as for the scheduled job
    SetupData record = Settings::defaultRecord();
    record.RemotePort = SettingValue::fromText(QString::number(port));
    QFile file(folder.filePath(QLatin1String(Settings::FileName)));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(Settings::serialize(record)) > 0);
    file.close();
    const QDateTime before = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch());
    QProcess send;
    QVERIFY(finish(send, DAWNBELL_SEND_BIN, QStringList{"-C", folder.path()} + arguments));
    const QDateTime after = QDateTime::currentDateTime();
    QCOMPARE(send.exitCode(), exitCode);
    const bool dryRun = arguments.contains("--dry-run");
    QCOMPARE(send.readAllStandardOutput(), dryRun ? sent + LineEnd : QByteArray());
    const QByteArray err = send.readAllStandardError(); // one line on failure
    QCOMPARE(err.count('\n'), exitCode == Send::Sent ? 0 : 1);
    QVERIFY2(exitCode != Send::LinkFailed || err.contains("127.0.0.1:" + QByteArray::number(port)),
             err.constData());

    if (dryRun || sent.isEmpty()) {
        QCOMPARE(server.findChildren<QTcpSocket *>().size(), 0);
        return;
    }
    QCOMPARE(server.findChildren<QTcpSocket *>().size(), 1);
    // "T": the whole second it went out at, plus the lead.
    QByteArrayList times;
    for (QDateTime second = before; second <= after; second = second.addSecs(1))
        times << Send::planTime(second, 7).bytes;
    QVERIFY2(sent == "T" ? times.contains(received) : received == sent, received.constData());
}

void tst_Send::notTaken_data()
{
    // How the module behaves (the tag); why the one line the sender prints says it failed. A
    // module that closes with the command unread resets the connection; either may be seen first.
    // Then what the module says of itself on its command port, when it answers.
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("account");
    const QString dropped = "(reset by the module|closed by the module before it took the command)";
    QTest::newRow("resets after reading") << "reset by the module"
                                          << ". The module at 127.0.0.1 is waiting for a client";
    QTest::newRow("closes at once") << dropped << "";
    QTest::newRow("busy with the panel")
            << dropped << ". The module at 127.0.0.1 is busy: another client is connected";
    // Only the module asked answers for the endpoint, and only for the port it serves on.
    QTest::newRow("serves on another port")
            << "reset by the module"
            << ". The module at 127.0.0.1 serves on port {other}, not {port}";
    QTest::newRow("another address answers") << "reset by the module"
                                             << "";
}

void tst_Send::notTaken()
{
    QFETCH(QString, reason);
    QFETCH(QString, account);
    const QByteArray module = QTest::currentDataTag();
    Simulator::Options options;
    options.resetAfter = module == "closes at once" || module == "busy with the panel" ? 0 : 1;
    Simulator simulator(options);
    Simulator other({});
    QVERIFY(other.listen(QHostAddress::LocalHost, 0));
    CommandPort commandPort(module == "serves on another port" ? other : simulator, {});
    QUdpSocket silent; // the command port of a listener that is no module
    const QHostAddress commandAddress(module == "another address answers" ? "127.0.0.3"
                                                                          : "127.0.0.1");
    QVERIFY(module == "closes at once" ? silent.bind(QHostAddress::LocalHost, 0)
                                       : commandPort.listen(commandAddress, 0));
    QTcpServer closing;
    connect(&closing, &QTcpServer::newConnection, this,
            [&closing] { closing.nextPendingConnection()->close(); });
    const bool closesAtOnce = module == "closes at once";
    QVERIFY(closesAtOnce ? closing.listen(QHostAddress::LocalHost, 0)
                         : simulator.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closesAtOnce ? closing.serverPort() : simulator.serverPort();
    QTcpSocket panel;
    if (module == "busy with the panel") {
        panel.connectToHost(QHostAddress::LocalHost, port);
        QTRY_VERIFY(simulator.hasClient());
    }

    account.replace("{other}", QString::number(other.serverPort()))
            .replace("{port}", QString::number(port));
    QProcess send;
    const quint16 askedPort = module == "closes at once" ? silent.localPort() : commandPort.port();
    QVERIFY(finish(send, DAWNBELL_SEND_BIN,
                   {"--host", "127.0.0.1", "--port", QString::number(port), "--command-port",
                    QString::number(askedPort), "stop"}));
    QCOMPARE(send.exitCode(), int(Send::LinkFailed));
    const QByteArray err = send.readAllStandardError();
    const QRegularExpression line(
            QStringLiteral(
                    "^dawnbell-send: sending to 127\\.0\\.0\\.1:%1 failed: %2 \\(the module "
                    "serves one client at a time: close the panel if it is connected\\)%3%4$")
                    .arg(port)
                    .arg(reason, QRegularExpression::escape(account),
                         QString::fromLatin1(LineEnd)));
#ifdef Q_OS_WIN
    if (QByteArray(QTest::currentDataTag()) == "another address answers")
        QSKIP("Wine tells a datagram from any loopback address as sent from 127.0.0.1");
#endif
    QVERIFY2(line.match(QString::fromLocal8Bit(err)).hasMatch(), err.constData());
}

void tst_Send::settingsInTheWay_data()
{
    // The settings file's bytes (none: no -C folder at all); what the one line on stderr says.
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("told");
    const auto withItem = [](int index, const SettingValue &value) {
        QList<SettingValue> items = Settings::itemsOf(Settings::defaultRecord());
        items[index] = value;
        return Settings::writeItems(items);
    };
    QTest::newRow("track 170") << withItem(8, SettingValue::fromNumber(170))
                               << "setupdata.ini line 9: the alarm track \"170\"";
    QTest::newRow("all on one line")
            << withItem(10, SettingValue::fromText("blue")).replace("\r\n", ",")
            << "line 1: the colour scheme";
    QTest::newRow("lone CR line ends")
            << withItem(14, SettingValue::fromText("on")).replace("\r\n", "\r")
            << "line 15: the hourly announcement";
    QTest::newRow("cut short") << Settings::defaultFileBytes().chopped(8)
                               << "line 19: it ends after 18";
    QTest::newRow("no such folder") << QByteArray() << "there is no such folder";
    // A saved endpoint that cannot be used is named, never replaced by the built-in one.
    QTest::newRow("blank host") << withItem(16, SettingValue::fromText(" "))
                                << "the saved remote host \" \"";
}

void tst_Send::settingsInTheWay()
{
    QFETCH(QByteArray, settings);
    QFETCH(QString, told);
    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("missing"));
    if (!settings.isNull()) {
        path = folder.path();
        QFile file(folder.filePath(QLatin1String(Settings::FileName)));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(settings) == settings.size());
    }
    // A closed port of this machine's own: a fall-back to the built-in host would be refused
    // there, and its message would name no file.
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
    const QString port = QString::number(closed.serverPort());
    closed.close();

    QProcess send;
    QVERIFY(finish(send, DAWNBELL_SEND_BIN, {"-C", path, "--port", port, "test"}));

    QCOMPARE(send.exitCode(), int(Send::SettingsUnusable));
    const QString err = QString::fromLocal8Bit(send.readAllStandardError());
    QCOMPARE(err.count(u'\n'), 1);
    // The path as given on the command line, or as the system writes it.
    QVERIFY2(err.contains(told)
                     && (err.contains(path) || err.contains(QDir::toNativeSeparators(path))),
             qPrintable(err));
    QVERIFY2(settings.isNull() || err.contains("--host HOST --port PORT"), qPrintable(err));
}

void tst_Send::simulatorCommandLine_data()
{
    QTest::addColumn<QStringList>("arguments"); // after "--port 0"
    QTest::addColumn<QString>("display");       // DISPLAY, with no other platform
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("told"); // on stdout when the exit status is 0, else on stderr
    QTest::addColumn<int>("signal");      // sent once it listens
    int unserved = 4000; // a display that nothing serves: the toolkit would abort on it
    while (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(unserved)))
        ++unserved;
    const QString silent = ':' + QString::number(unserved);
    QTest::newRow("--help-all") << QStringList{"--help-all"} << QString() << 0
                                << QByteArray("--qwindowgeometry <geometry>") << 0;
    QTest::newRow("--help") << QStringList{"--help"} << QString() << 0
                            << QByteArray("Usage: dawnbell-sim [options]\n") << 0;
    QTest::newRow("unknown option") << QStringList{"--nope"} << QString() << 2
                                    << QByteArray("dawnbell-sim: unknown option 'nope' (see "
                                                  "--help)\n")
                                    << 0;
    QTest::newRow("window on a silent display")
            << QStringList{"--window"} << silent << 1 << "display " + silent.toLatin1() + ':' << 0;
#ifdef Q_OS_LINUX
    for (const int signal : {SIGTERM, SIGINT}) // ends as closing its window does
        QTest::addRow("signal %d", signal)
                << QStringList() << QString() << 0 << QByteArray("listening on") << signal;
#endif
}

void tst_Send::simulatorCommandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, display);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, told);
    QFETCH(int, signal);
#ifdef Q_OS_WIN
    if (!display.isEmpty())
        QSKIP("Windows draws on its own desktop, which has no display address to fall silent");
#endif
    QProcess sim;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("DISPLAY"), display);
    sim.setProcessEnvironment(environment);

    QSignalSpy ended(&sim, &QProcess::finished);
    sim.start(DAWNBELL_SIM_BIN, QStringList{"--port", "0"} + arguments);
#ifdef Q_OS_LINUX
    QTRY_VERIFY_WITH_TIMEOUT(signal == 0 || sim.canReadLine(), 20000);
    QVERIFY(signal == 0 || ::kill(pid_t(sim.processId()), signal) == 0);
#else
    Q_UNUSED(signal) // the rows that signal are Linux's own
#endif
    QVERIFY(ended.wait(60000) && sim.exitStatus() == QProcess::NormalExit);

    QCOMPARE(sim.exitCode(), exitCode);
    // "listening on" only when signalled; lines compared with LF ends whatever the system writes.
    const QByteArray out = sim.readAllStandardOutput().replace("\r\n", "\n");
    const QByteArray err = sim.readAllStandardError().replace("\r\n", "\n");
    QVERIFY2((exitCode == 0 ? out : err).contains(told) && err.count('\n') <= 1, err.constData());
    QVERIFY2(exitCode == 0 || out.isEmpty(), out.constData());
}

void tst_Send::find_data()
{
    // The simulator's search ID ("-": its command port never answers), the arguments after
    // "find", the exit status, and what the program prints: stdout when a module answered,
    // stderr otherwise; {port} is the simulator's data port.
    QTest::addColumn<QString>("moduleId");
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("printed");
    QTest::addColumn<bool>("isolated"); // run where no network is up, not even loopback
    const QString found
            = "^127\\.0\\.0\\.1:{port}\t02:DB:00:01:[0-9A-F:]{5}\tWIZ750SR\tOPEN\tserver\t"
              "1\\.0\\.0-sim\t127\\.0\\.0\\.1\n$";
    const QString none = "^dawnbell-send: no module answered at 127\\.0\\.0\\.1\n$";
    QTest::newRow("found") << ""
                           << "--to 127.0.0.1 --timeout 3" << int(Send::Sent) << found << false;
    QTest::newRow("search ID") << "bell7"
                               << "--to 127.0.0.1 --search-id bell7 --timeout 3" << int(Send::Sent)
                               << found << false;
    QTest::newRow("other search ID")
            << "bell7"
            << "--to 127.0.0.1 --timeout 0.2" << int(Send::LinkFailed) << none << false;
    QTest::newRow("nothing answers")
            << "-"
            << "--to 127.0.0.1 --timeout 0.2" << int(Send::LinkFailed) << none << false;
    QTest::newRow("no network") << "-"
                                << "--to 127.0.0.1" << int(Send::LinkFailed)
                                << "^dawnbell-send: cannot send the search: no network of this PC "
                                   "reaches 127\\.0\\.0\\.1; check [^\n]+\n$"
                                << true;
    const QString bad = "--to nowhere|--to ::1|--search-id 123456789|--timeout 0|--timeout 61|"
                        "--timeout soon|--host 127.0.0.1|--lead 1|me";
    for (const QString &arguments : bad.split(u'|')) {
        QTest::addRow("bad: %s", qPrintable(arguments))
                << "-" << arguments << int(Send::BadInput) << "^dawnbell-send: [^\n]+\n$" << false;
    }
}

void tst_Send::find()
{
    QFETCH(QString, moduleId);
    QFETCH(QString, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, printed);
    QFETCH(bool, isolated);
#ifdef Q_OS_LINUX
    if (isolated && QProcess::execute("unshare", {"--net", "true"}) != 0)
        QSKIP("no network namespace can be made here");
#else
    if (isolated)
        QSKIP("a network namespace is a Linux thing");
#endif
    Simulator simulator({});
    QVERIFY(simulator.listen(QHostAddress::LocalHost, 0));
    CommandPort commandPort(simulator, {moduleId, Module::Mode::TcpServer});
    QUdpSocket silent;
    QVERIFY(moduleId == "-" ? silent.bind(QHostAddress::LocalHost, 0)
                            : commandPort.listen(QHostAddress::LocalHost, 0));
    const quint16 port = moduleId == "-" ? silent.localPort() : commandPort.port();

    QProcess send;
    const QStringList findArguments = QStringList{"find", "--command-port", QString::number(port)}
            + arguments.split(u' ');
    QVERIFY(isolated ? finish(send, "unshare",
                              QStringList{"--net", DAWNBELL_SEND_BIN} + findArguments)
                     : finish(send, DAWNBELL_SEND_BIN, findArguments));
    QCOMPARE(send.exitCode(), exitCode);
    const QString output = QString::fromLocal8Bit(
            exitCode == Send::Sent ? send.readAllStandardOutput() : send.readAllStandardError());
    const QRegularExpression expected(
            QString(printed)
                    .replace("{port}", QString::number(simulator.serverPort()))
                    .replace(u'\n', QString::fromLatin1(LineEnd)));
    QVERIFY2(expected.match(output).hasMatch(), qPrintable(output));
}

#ifdef Q_OS_LINUX
void tst_Send::connectionWaitIsTwoSeconds()
{
    QTcpServer listener;
    QTcpSocket filler;
    QVERIFY(fillBacklog(listener, filler));
    QElapsedTimer elapsed;
    elapsed.start();
    QProcess send;
    QVERIFY(finish(
            send, DAWNBELL_SEND_BIN,
            {"--host", "127.0.0.1", "--port", QString::number(listener.serverPort()), "stop"}));
    const qint64 ms = elapsed.elapsed();
    QCOMPARE(send.exitCode(), int(Send::LinkFailed));
    const QByteArray err = send.readAllStandardError();
    QVERIFY2(err.contains(": no connection within 2 seconds\n"), err.constData());
    // Counted from before the start, so the wait can only look longer: the lower bound catches
    // a shorter wait; the upper one, loose for a loaded machine, a wait that never ends.
    QVERIFY2(ms >= 1800 && ms < 10000, QByteArray::number(ms));
}

void tst_Send::signalDuringConnect()
{
    QTcpServer listener;
    QTcpSocket filler;
    QVERIFY(fillBacklog(listener, filler)); // the sender waits for its connection
    const quint16 port = listener.serverPort();

    const QByteArray portText = QByteArray::number(port);
    const char *argv[] = {DAWNBELL_SEND_BIN,    "--host", "127.0.0.1", "--port",
                          portText.constData(), "stop",   nullptr};
    pid_t pid = 0;
    QCOMPARE(::posix_spawn(&pid, argv[0], nullptr, nullptr, const_cast<char **>(argv), environ), 0);
    // Well into its wait, so that a wait that spins shows in the CPU time: the system has sent
    // the connection request again, a second after the first.
    const QByteArray remote = QString::asprintf("0100007F:%04X", port).toLatin1();
    const auto requestRepeated = [&remote] {
        QFile table(QStringLiteral("/proc/net/tcp"));
        if (!table.open(QIODevice::ReadOnly))
            return false;
        for (const QByteArray &line : table.readAll().split('\n')) {
            // sl local remote state queues timer retransmissions ...; state 02 is SYN_SENT
            const QList<QByteArray> f = line.simplified().split(' ');
            if (f.size() > 6 && f[2] == remote && f[3] == "02" && f[6].toInt(nullptr, 16) > 0)
                return true;
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(requestRepeated(), 20000);

    QElapsedTimer sinceSignal;
    sinceSignal.start();
    QCOMPARE(::kill(pid, SIGTERM), 0);
    int status = 0;
    rusage usage{};
    QVERIFY(QTest::qWaitFor([&] { return ::wait4(pid, &status, WNOHANG, &usage) == pid; }, 20000));
    const qint64 endedMs = sinceSignal.elapsed();
    const qint64 cpuUs = (qint64(usage.ru_utime.tv_sec) + usage.ru_stime.tv_sec) * 1000000
            + usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
    QVERIFY(!WIFEXITED(status) || WEXITSTATUS(status) != Send::Sent);
    // Waiting out the connection takes 2 s, ending at once a few ms; the CPU time catches a spin.
    QVERIFY2(endedMs < 1000, QByteArray::number(endedMs));
    QVERIFY2(cpuUs < 50000, QByteArray::number(cpuUs));
}
#endif

void tst_Send::unwritableOutput_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<bool>("closed"); // else full
    QTest::addColumn<QByteArray>("told");
    const QByteArray full = "No space left on device; free some space";
    const QByteArray closed = "it was closed when the program started";
    QTest::newRow("send --dry-run")
            << QStringList{DAWNBELL_SEND_BIN, "--dry-run", "stop"} << false << full;
    QTest::newRow("sim --help") << QStringList{DAWNBELL_SIM_BIN, "--help"} << false << full;
    QTest::newRow("send --dry-run, closed")
            << QStringList{DAWNBELL_SEND_BIN, "--dry-run", "stop"} << true << closed;
    QTest::newRow("sim --help, closed")
            << QStringList{DAWNBELL_SIM_BIN, "--help"} << true << closed;
}

void tst_Send::unwritableOutput()
{
    QFETCH(QStringList, command);
    QFETCH(bool, closed);
    QFETCH(QByteArray, told);
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        QSKIP("no /dev/full here");
    QProcess run;
#ifdef Q_OS_LINUX
    // A program started with its output closed finds the next file it opens in its place.
    if (closed)
        run.setChildProcessModifier([] { ::close(STDOUT_FILENO); });
#endif
    if (!closed)
        run.setStandardOutputFile(QStringLiteral("/dev/full"));
    QVERIFY(finish(run, command.takeFirst(), command)); // the program, then its arguments
    QCOMPARE(run.exitCode(), 1);
    const QByteArray err = run.readAllStandardError();
    QCOMPARE(err.count('\n'), 1);
    QVERIFY2(err.contains(": cannot write to standard output: " + told), err.constData());
}

void tst_Send::planTime_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<int>("lead");
    QTest::addColumn<QDateTime>("boundary");
    QTest::addColumn<QByteArray>("bytes");
    const auto at = [](const char *iso) {
        return QDateTime::fromString(QLatin1String(iso), Qt::ISODateWithMs);
    };
    QTest::newRow("on the second, lead 0")
            << at("2018-07-04T15:05:30.000Z") << 0 << at("2018-07-04T15:05:30Z")
            << QByteArray("T,07,04,18, 3, 105, 30,2,0");
    QTest::newRow("lead into the next day and year")
            << at("2018-12-31T23:59:58.500Z") << 2 << at("2018-12-31T23:59:59Z")
            << QByteArray("T,01,01,19, 0, 100, 1,1,0");
    QTest::newRow("boundary into leap day, lead 10")
            << at("2020-02-28T23:59:59.500Z") << 10 << at("2020-02-29T00:00:00Z")
            << QByteArray("T,02,29,20, 0, 100, 10,1,0");
    const QTimeZone berlin("Europe/Berlin"); // at 02:00 CET the clocks go on to 03:00 CEST
    if (berlin.isValid()) {
        QTest::newRow("lead into summer time")
                << at("2026-03-29T01:59:58.300+01:00").toTimeZone(berlin) << 2
                << at("2026-03-29T01:59:59+01:00") << QByteArray("T,03,29,26, 3, 100, 1,1,0");
    }
}

void tst_Send::planTime()
{
    QFETCH(QDateTime, now);
    QFETCH(int, lead);
    const Send::TimePlan plan = Send::planTime(now, lead);
    QTEST(plan.boundary, "boundary");
    QTEST(plan.bytes, "bytes");
}

QTEST_GUILESS_MAIN(tst_Send)
#include "tst_send.moc"
