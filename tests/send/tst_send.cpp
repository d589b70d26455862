#include "link/commands.h"
#include "settings/settingsfile.h"
#include "tools/send/sendrequest.h"

#include <QtNetwork/QTcpServer>
#include <QtNetwork/QTcpSocket>
#include <QtTest/QtTest>

// dawnbell-send run as a process against loopback listeners, and its "time" arithmetic.
class tst_Send : public QObject
{
    Q_OBJECT

private slots:
    void sendsTheBytes_data();
    void sendsTheBytes();
    void timeIsTheNextWholeSecondPlusTheLead();
    void endpointFromTheSettingsFile();
    void nothingListeningExitsOne();
    void connectsNothing_data();
    void connectsNothing();
    void planTime_data();
    void planTime();
};

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run runSend(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(DAWNBELL_SEND_BIN), arguments);
    Run run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// Everything the first client wrote until it closed; the client has finished by now, so it
// is all in the system's buffers.
QByteArray received(QTcpServer &server)
{
    if (!server.hasPendingConnections() && !server.waitForNewConnection(10000))
        return "<no connection>";
    QTcpSocket *peer = server.nextPendingConnection();
    QByteArray bytes;
    QDeadlineTimer deadline(10000);
    while (peer->state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
        peer->waitForReadyRead(100);
        bytes += peer->readAll();
    }
    return bytes + peer->readAll();
}

QStringList portArguments(const QTcpServer &server)
{
    return {QStringLiteral("--port"), QString::number(server.serverPort())};
}

bool isOneErrorLine(const QByteArray &err)
{
    return err.startsWith("dawnbell-send: ") && err.endsWith('\n') && err.count('\n') == 1;
}

} // namespace

void tst_Send::sendsTheBytes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("bytes");
    const auto row = [](const char *name, const QString &arguments, const QByteArray &bytes) {
        QTest::newRow(name) << arguments.split(u' ') << bytes;
    };
    row("alarm AM", "alarm 6 30 AM 1", "A, 6, 30,1, 150, 0");
    row("alarm p, zeros", "alarm 07 05 p 16", "A, 7, 5,2, 165, 0");
    row("alarm am", "alarm 12 0 am 2", "A, 12, 0,1, 151, 0");
    row("alarm A", "alarm 6 30 A 1", "A, 6, 30,1, 150, 0");
    row("alarm pm", "alarm 6 30 pm 1", "A, 6, 30,2, 150, 0");
    row("play 3", "play 3", "P, 152, 0");
    row("play 16", "play 16", "P, 165, 0");
    row("stop", "stop", "S");
    row("enable", "enable", "E");
    row("disable", "disable", "D");
    row("test", "test", "!");
    row("announce on", "announce on", "H");
    row("announce off", "announce off", "h");
    row("scheme 1", "scheme 1", "1");
    row("scheme 4", "scheme 4", "4");
    row("screen 1", "screen 1", "5");
    row("screen 3", "screen 3", "7");
    row("options after", "stop --host 127.0.0.1", "S");
}

void tst_Send::sendsTheBytes()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, bytes);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));

    const Run run = runSend(portArguments(server) + arguments);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.exitCode, int(Send::Sent));
    QCOMPARE(received(server), bytes);
}

void tst_Send::timeIsTheNextWholeSecondPlusTheLead()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    const int lead = 7;
    const QDateTime before = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch());

    const Run run = runSend(portArguments(server)
                            << QStringLiteral("--lead") << QString::number(lead)
                            << QStringLiteral("time"));
    const QDateTime after = QDateTime::currentDateTime();
    QCOMPARE(run.exitCode, int(Send::Sent));
    const QByteArray bytes = received(server);

    Protocol::Decoder decoder;
    const QList<Protocol::Decoder::Event> events = decoder.feed(bytes);
    QCOMPARE(events.size(), 1);
    QVERIFY2(events.first().command, bytes.constData());
    const std::optional<QDateTime> set = Protocol::clockTimeOf(*events.first().command);
    QVERIFY2(set, bytes.constData());
    const QDateTime sentAt = set->addSecs(-lead);
    QVERIFY2(sentAt >= before && sentAt <= after,
             qPrintable(QStringLiteral("%1 not within %2 .. %3")
                                .arg(sentAt.toString(Qt::ISODateWithMs),
                                     before.toString(Qt::ISODateWithMs),
                                     after.toString(Qt::ISODateWithMs))));
}

void tst_Send::endpointFromTheSettingsFile()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    SetupData record = SettingsFile::defaultRecord();
    record.RemotePort = SettingValue::fromText(QString::number(server.serverPort()));
    const QByteArray file = SettingsFile::serialize(record);
    const QString path = folder.filePath(QLatin1String(SettingsFile::FileName));
    {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        QCOMPARE(out.write(file), file.size());
    }

    const Run run = runSend({QStringLiteral("-C"), folder.path(), QStringLiteral("enable")});
    QCOMPARE(run.exitCode, int(Send::Sent));
    QCOMPARE(received(server), QByteArray("E"));
    QFile in(path);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QCOMPARE(in.readAll(), file); // read, never written
}

void tst_Send::nothingListeningExitsOne()
{
    QTcpServer released;
    QVERIFY(released.listen(QHostAddress::LocalHost, 0));
    const quint16 port = released.serverPort();
    released.close();

    const Run run
            = runSend({QStringLiteral("--host"), QStringLiteral("127.0.0.1"),
                       QStringLiteral("--port"), QString::number(port), QStringLiteral("stop")});
    QCOMPARE(run.exitCode, int(Send::LinkFailed));
    QVERIFY2(isOneErrorLine(run.err), run.err.constData());
    QVERIFY2(run.err.contains("127.0.0.1:" + QByteArray::number(port)), run.err.constData());
}

void tst_Send::connectsNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    const auto bad = [](const char *arguments) {
        QTest::newRow(arguments) << QString::fromLatin1(arguments).split(u' ', Qt::SkipEmptyParts)
                                 << int(Send::BadInput) << QByteArray();
    };
    bad("ring");
    bad("stop now");
    bad("alarm 6 30 AM");
    bad("alarm x 30 AM 1");
    bad("alarm 6 3.5 AM 1");
    bad("alarm 6 30 Am 1");
    bad("alarm 6 30 AM 0");
    bad("alarm 6 30 AM 17");
    bad("play 0");
    bad("play 17");
    bad("scheme 0");
    bad("scheme 5");
    bad("screen 4");
    bad("announce yes");
    bad("--lead 11 time");
    bad("--lead -1 time");
    bad("--lead 2 stop");
    bad("--port 0 stop");
    bad("--port 65536 stop");
    bad("--port x stop");
    bad("--loud stop");
    QTest::newRow("no command") << QStringList() << int(Send::BadInput) << QByteArray();
    QTest::newRow("empty host") << QStringList{"--host", "", "stop"} << int(Send::BadInput)
                                << QByteArray();
    QTest::newRow("dry run") << QStringList{"--dry-run", "alarm", "6", "30", "AM", "1"}
                             << int(Send::Sent) << QByteArray("A, 6, 30,1, 150, 0\n");
    QTest::newRow("version") << QStringList{"--version"} << int(Send::Sent)
                             << QByteArray("dawnbell-send 1.00\n");
}

void tst_Send::connectsNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));

    // The listener's port comes first, so that a port given in the row overrides it.
    const Run run = runSend(portArguments(server) + arguments);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.out, out);
    if (exitCode == Send::BadInput)
        QVERIFY2(isOneErrorLine(run.err), run.err.constData());
    // A connection the finished process made would already wait in the backlog.
    QVERIFY(!server.waitForNewConnection(0));
}

void tst_Send::planTime_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<int>("lead");
    QTest::addColumn<QDateTime>("boundary");
    QTest::addColumn<QByteArray>("bytes");
    const auto utc = [](int y, int mo, int d, int h, int mi, int s, int ms) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
    };
    QTest::newRow("mid-second") << utc(2018, 7, 4, 15, 5, 29, 400) << 2
                                << utc(2018, 7, 4, 15, 5, 30, 0)
                                << QByteArray("T,07,04,18, 3, 105, 32,2,0");
    QTest::newRow("on the second")
            << utc(2018, 7, 4, 15, 5, 30, 0) << 2 << utc(2018, 7, 4, 15, 5, 30, 0)
            << QByteArray("T,07,04,18, 3, 105, 32,2,0");
    QTest::newRow("lead into the next day")
            << utc(2018, 12, 30, 23, 59, 58, 1) << 2 << utc(2018, 12, 30, 23, 59, 59, 0)
            << QByteArray("T,12,31,18, 0, 100, 1,1,0");
    QTest::newRow("boundary into the next month")
            << utc(2019, 2, 28, 23, 59, 59, 999) << 2 << utc(2019, 3, 1, 0, 0, 0, 0)
            << QByteArray("T,03,01,19, 0, 100, 2,1,0");
    QTest::newRow("lead into the next year")
            << utc(2018, 12, 31, 23, 59, 58, 500) << 2 << utc(2018, 12, 31, 23, 59, 59, 0)
            << QByteArray("T,01,01,19, 0, 100, 1,1,0");
    QTest::newRow("leap day, lead 10")
            << utc(2020, 2, 28, 23, 59, 59, 500) << 10 << utc(2020, 2, 29, 0, 0, 0, 0)
            << QByteArray("T,02,29,20, 0, 100, 10,1,0");
    QTest::newRow("lead 0 at noon")
            << utc(2019, 1, 1, 11, 59, 59, 250) << 0 << utc(2019, 1, 1, 12, 0, 0, 0)
            << QByteArray("T,01,01,19, 12, 100, 0,2,0");
    const QTimeZone berlin("Europe/Berlin");
    if (berlin.isValid()) {
        // The clocks go from 02:00 to 03:00: the lead crosses the hour that does not exist.
        QTest::newRow("into summer time")
                << QDateTime(QDate(2026, 3, 29), QTime(1, 59, 58, 300), berlin) << 2
                << QDateTime(QDate(2026, 3, 29), QTime(1, 59, 59), berlin)
                << QByteArray("T,03,29,26, 3, 100, 1,1,0");
    }
}

void tst_Send::planTime()
{
    QFETCH(QDateTime, now);
    QFETCH(int, lead);
    QFETCH(QDateTime, boundary);
    QFETCH(QByteArray, bytes);
    const Send::TimePlan plan = Send::planTime(now, lead);
    QCOMPARE(plan.boundary, boundary);
    QCOMPARE(plan.bytes, bytes);
}

QTEST_GUILESS_MAIN(tst_Send)
#include "tst_send.moc"
