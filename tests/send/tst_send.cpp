#include "sendrequest.h"
#include "settingsfile.h"

#include <QtNetwork/QTcpServer>
#include <QtNetwork/QTcpSocket>
#include <QtTest/QtTest>

// dawnbell-send run as a process against a loopback listener, and its "time" arithmetic.
class tst_Send : public QObject
{
    Q_OBJECT

private slots:
    void run_data();
    void run();
    void planTime_data();
    void planTime();
};

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
    for (const char *bad :
         {"", "ring", "stop now", "alarm x 30 AM 1", "alarm 6 30 Am 1", "alarm 6 30 AM 17",
          "play 0", "scheme 5", "screen 4", "announce yes", "--lead 11 time", "--lead -1 time",
          "--lead 2 stop", "--port 0 stop", "--port 65536 stop", "--host= stop", "--loud stop"})
        row(bad, Send::BadInput);
}

void tst_Send::run()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, sent);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    const quint16 port = server.serverPort();
    if (exitCode == Send::LinkFailed)
        server.close();
    QTemporaryDir folder; // the endpoint comes from its settings file, as for the scheduled job
    SetupData record = SettingsFile::defaultRecord();
    record.RemotePort = SettingValue::fromText(QString::number(port));
    QFile file(folder.filePath(QLatin1String(SettingsFile::FileName)));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(SettingsFile::serialize(record)) > 0);
    file.close();
    const QDateTime before = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch());
    QProcess send;
    send.start(QStringLiteral(DAWNBELL_SEND_BIN), QStringList{"-C", folder.path()} + arguments);
    QVERIFY(send.waitForFinished(60000) && send.exitStatus() == QProcess::NormalExit);
    const QDateTime after = QDateTime::currentDateTime();
    QCOMPARE(send.exitCode(), exitCode);
    const bool dryRun = arguments.contains("--dry-run");
    QCOMPARE(send.readAllStandardOutput(), dryRun ? sent + '\n' : QByteArray());
    const QByteArray err = send.readAllStandardError(); // one line on failure
    QCOMPARE(err.count('\n'), exitCode == Send::Sent ? 0 : 1);
    QVERIFY2(exitCode != Send::LinkFailed || err.contains("127.0.0.1:" + QByteArray::number(port)),
             err.constData());

    if (dryRun || sent.isEmpty()) {
        QVERIFY(!server.isListening() || !server.waitForNewConnection(0));
        return;
    }
    QVERIFY(server.waitForNewConnection(10000));
    QTcpSocket *peer = server.nextPendingConnection();
    while (peer->waitForReadyRead(10000)) { } // until the sender closes
    const QByteArray received = peer->readAll();
    // "T": the whole second it went out at, plus the lead.
    QByteArrayList times;
    for (QDateTime second = before; second <= after; second = second.addSecs(1))
        times << Send::planTime(second, 7).bytes;
    QVERIFY2(sent == "T" ? times.contains(received) : received == sent, received.constData());
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
