#include "sendrequest.h"
#include "settingsrecord.h"
#include "settingsstore.h"
#include "simulator.h"

#include <QtNetwork/QTcpServer>
#include <QtNetwork/QTcpSocket>
#include <QtTest/QtTest>

#ifdef Q_OS_LINUX
#    include <arpa/inet.h>
#    include <netinet/in.h>
#    include <poll.h>
#    include <signal.h>
#    include <spawn.h>
#    include <sys/resource.h>
#    include <sys/socket.h>
#    include <sys/syscall.h>
#    include <sys/wait.h>
#    include <unistd.h>
#endif

// dawnbell-send run as a process against loopback listeners, and its "time" arithmetic.
class tst_Send : public QObject
{
    Q_OBJECT

private slots:
    void run_data();
    void run();
    void notTaken_data();
    void notTaken();
#ifdef Q_OS_LINUX
    void signalDuringConnect();
#endif
    void unwritableOutput_data();
    void unwritableOutput();
    void planTime_data();
    void planTime();

private:
    enum Module { ResetsAfterReading, ClosesAtOnce, BusyWithPanel };
};

namespace {

struct Finished
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs `program` to its end while this process's event loop serves the listeners.
Finished finish(const QString &program, const QStringList &arguments,
                const QString &outputFile = QString())
{
    QProcess process;
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    QSignalSpy ended(&process, &QProcess::finished);
    process.start(program, arguments);
    if (!ended.wait(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace

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
    row("stop", Send::LinkFailed); // the listener is closed first
    for (const char *bad : {"",
                            "ring",
                            "stop now",
                            "alarm x 30 AM 1",
                            "alarm 6 30 Am 1",
                            "alarm 6 30 AM 0",
                            "alarm 6 30 AM 17",
                            "alarm 0 30 AM 1",
                            "alarm 13 30 AM 1",
                            "alarm 25 99 PM 1",
                            "alarm 999999999 30 AM 1",
                            "alarm 6 60 AM 1",
                            "alarm 6 -1 AM 1",
                            "alarm 6 3000 AM 1",
                            "play 0",
                            "play 17",
                            "scheme 5",
                            "screen 4",
                            "announce yes",
                            "--lead 11 time",
                            "--lead -1 time",
                            "--lead 2 stop",
                            "--port 0 stop",
                            "--port 65536 stop",
                            "--host= stop",
                            "--loud stop"})
        row(bad, Send::BadInput);
}

void tst_Send::run()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, sent);
    // A listener that reads all and closes when the sender does, as the module does.
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    const quint16 port = server.serverPort();
    if (exitCode == Send::LinkFailed)
        server.close();
    QByteArray received;
    int connections = 0;
    connect(&server, &QTcpServer::newConnection, this, [&] {
        QTcpSocket *peer = server.nextPendingConnection();
        ++connections;
        connect(peer, &QTcpSocket::readyRead, this, [&, peer] { received += peer->readAll(); });
        connect(peer, &QTcpSocket::disconnected, peer, &QObject::deleteLater);
    });
    QTemporaryDir folder; // the endpoint comes from its settings file, as for the scheduled job
    SetupData record = Settings::defaultRecord();
    record.RemotePort = SettingValue::fromText(QString::number(port));
    QFile file(folder.filePath(QLatin1String(Settings::FileName)));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(Settings::serialize(record)) > 0);
    file.close();
    const QDateTime before = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch());
    const Finished send = finish(QStringLiteral(DAWNBELL_SEND_BIN),
                                 QStringList{"-C", folder.path()} + arguments);
    const QDateTime after = QDateTime::currentDateTime();
    QCOMPARE(send.exitCode, exitCode);
    const bool dryRun = arguments.contains("--dry-run");
    QCOMPARE(send.out, dryRun ? sent + '\n' : QByteArray());
    QCOMPARE(send.err.count('\n'), exitCode == Send::Sent ? 0 : 1); // one line on failure
    QVERIFY2(exitCode != Send::LinkFailed
                     || send.err.contains("127.0.0.1:" + QByteArray::number(port)),
             send.err.constData());

    if (dryRun || sent.isEmpty()) {
        QCOMPARE(connections, 0);
        return;
    }
    QCOMPARE(connections, 1);
    // "T": the whole second it went out at, plus the lead.
    QByteArrayList times;
    for (QDateTime second = before; second <= after; second = second.addSecs(1))
        times << Send::planTime(second, 7).bytes;
    QVERIFY2(sent == "T" ? times.contains(received) : received == sent, received.constData());
}

void tst_Send::notTaken_data()
{
    // How the module behaves; the end of the one line the sender prints.
    QTest::addColumn<int>("module");
    QTest::addColumn<QString>("reason");
    const QString hint = QStringLiteral(
            " \\(the module serves one client at a time: close the panel if it is connected\\)$");
    // A module that closes with the command unread resets the connection; whether its close
    // or the reset is seen first depends on when the command arrived.
    const QString dropped = QStringLiteral(
            "(reset by the module|closed by the module before it took the command)");
    QTest::newRow("reset after reading")
            << int(ResetsAfterReading) << QString("reset by the module" + hint);
    QTest::newRow("closes at once") << int(ClosesAtOnce) << QString(dropped + hint);
    QTest::newRow("busy with the panel") << int(BusyWithPanel) << QString(dropped + hint);
}

void tst_Send::notTaken()
{
    QFETCH(int, module);
    QFETCH(QString, reason);
    Simulator::Options options;
    options.resetAfter = module == ResetsAfterReading ? 1 : 0;
    Simulator simulator(options);
    QTcpServer closing;
    connect(&closing, &QTcpServer::newConnection, this, [&closing] {
        QTcpSocket *peer = closing.nextPendingConnection();
        peer->close();
        peer->deleteLater();
    });
    const bool closesAtOnce = module == ClosesAtOnce;
    QVERIFY(closesAtOnce ? closing.listen(QHostAddress::LocalHost, 0)
                         : simulator.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closesAtOnce ? closing.serverPort() : simulator.serverPort();
    QTcpSocket panel;
    if (module == BusyWithPanel) {
        panel.connectToHost(QHostAddress::LocalHost, port);
        QTRY_VERIFY(simulator.hasClient());
    }

    const Finished send = finish(QStringLiteral(DAWNBELL_SEND_BIN),
                                 {"--host", "127.0.0.1", "--port", QString::number(port), "stop"});
    QCOMPARE(send.exitCode, int(Send::LinkFailed));
    QCOMPARE(send.err.count('\n'), 1);
    const QRegularExpression line(
            QStringLiteral("^dawnbell-send: sending to 127\\.0\\.0\\.1:%1 failed: %2\n$")
                    .arg(port)
                    .arg(reason));
    QVERIFY2(line.match(QString::fromLocal8Bit(send.err)).hasMatch(), send.err.constData());
}

#ifdef Q_OS_LINUX
namespace {

// Whether a connection request to loopback `port` has waited so long that the system has
// sent it again, a second after the first.
bool connectionRequestRepeated(quint16 port)
{
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    const QByteArray remote
            = "0100007F:" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray &line : table.readAll().split('\n')) {
        // sl local remote state queues timer retransmissions ...
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 6 && fields.at(2) == remote && fields.at(3) == "02" // SYN_SENT
            && fields.at(6).toInt(nullptr, 16) > 0)
            return true;
    }
    return false;
}

} // namespace

void tst_Send::signalDuringConnect()
{
    // A listener with a backlog of one, filled: the kernel ignores further connection requests,
    // so the sender waits for its connection.
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    QVERIFY(listener >= 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    QVERIFY(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
    QVERIFY(::listen(listener, 0) == 0);
    QVERIFY(::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) == 0);
    const quint16 port = ntohs(address.sin_port);
    QTcpSocket filler;
    filler.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(filler.waitForConnected(10000));

    const QByteArray portText = QByteArray::number(port);
    const char *argv[] = {DAWNBELL_SEND_BIN,    "--host", "127.0.0.1", "--port",
                          portText.constData(), "stop",   nullptr};
    pid_t pid = 0;
    QCOMPARE(::posix_spawn(&pid, argv[0], nullptr, nullptr, const_cast<char **>(argv), environ), 0);
    const int process = int(::syscall(SYS_pidfd_open, pid, 0));
    QVERIFY(process >= 0);
    // Well into its wait, so that a wait that spins shows in the CPU time.
    QTRY_VERIFY_WITH_TIMEOUT(connectionRequestRepeated(port), 20000);

    QElapsedTimer sinceSignal;
    sinceSignal.start();
    QCOMPARE(::kill(pid, SIGTERM), 0);
    pollfd ended{process, POLLIN, 0};
    QCOMPARE(::poll(&ended, 1, 20000), 1);
    const qint64 endedMs = sinceSignal.elapsed();
    int status = 0;
    rusage usage{};
    QCOMPARE(::wait4(pid, &status, 0, &usage), pid);
    ::close(process);
    ::close(listener);
    const qint64 cpuUs = (qint64(usage.ru_utime.tv_sec) + usage.ru_stime.tv_sec) * 1000000
            + usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
    qInfo("ended %lld ms after the signal, %lld us of CPU", endedMs, cpuUs);
    QVERIFY(!WIFEXITED(status) || WEXITSTATUS(status) != Send::Sent);
    // Waiting out the connection would take 2 s; ending at once takes a few milliseconds.
    // The wall-clock bound leaves room for a loaded machine; the processor time catches a spin.
    QVERIFY2(endedMs < 1000, QByteArray::number(endedMs));
    QVERIFY2(cpuUs < 50000, QByteArray::number(cpuUs));
}
#endif

void tst_Send::unwritableOutput_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    const QString send = QStringLiteral(DAWNBELL_SEND_BIN);
    const QString sim = QStringLiteral(DAWNBELL_SIM_BIN);
    QTest::newRow("send --help") << send << QStringList{"--help"};
    QTest::newRow("send --version") << send << QStringList{"--version"};
    QTest::newRow("send --dry-run") << send << QStringList{"--dry-run", "stop"};
    QTest::newRow("sim --help") << sim << QStringList{"--help"};
    QTest::newRow("sim --version") << sim << QStringList{"--version"};
}

void tst_Send::unwritableOutput()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        QSKIP("no /dev/full here");
    const Finished run = finish(program, arguments, QStringLiteral("/dev/full"));
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err.count('\n'), 1);
    QVERIFY2(run.err.contains(": cannot write to standard output: "), run.err.constData());
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
