#include "commandport.h"
#include "simulator.h"

#include "common/connectionwait.h"
#include "devicelink.h"
#include "linkstate.h"
#include "modulefinder.h"
#include "modulewords.h"
#include "tcplinksocket.h"

#include <QtNetwork/QTcpSocket>
#include <QtNetwork/QUdpSocket>
#include <QtTest/QtTest>

#ifdef Q_OS_WIN
#    include <windows.h>
#endif

using namespace Protocol;

// The device simulator, run in-process against the real link.
class tst_Simulator : public QObject
{
    Q_OBJECT

private slots:
    void describe_data();
    void describe();
    void decodesWhatTheLinkWrites();
    void survivesGarbage();
    void oneClientAtATime();
    void closeAfterMakesLinkReconnect();
    void resetAfterBreaksLink();
    void noReadKeepsQueueBounded();
    void search_data();
    void search();
    void requestVerdict_data();
    void requestVerdict();
};

namespace {

// A simulator on an ephemeral loopback port, with the lines it prints.
struct Harness
{
    explicit Harness(const Simulator::Options &options = {})
        : simulator(options)
    {
        QObject::connect(&simulator, &Simulator::line, &simulator,
                         [this](const QString &text) { lines.append(text); });
        // What a listener keeping the device's state hears: peers, "-" for an end, commands.
        QObject::connect(&simulator, &Simulator::clientConnected, &simulator,
                         [this](const QString &peer) { events.append(peer); });
        QObject::connect(&simulator, &Simulator::clientDisconnected, &simulator,
                         [this] { events.append("-"); });
        QObject::connect(&simulator, &Simulator::commandReceived, &simulator,
                         [this](const Command &command) { events.append(command.raw); });
        listening = simulator.listen(QHostAddress::LocalHost, 0);
        socket.setRemotePort(simulator.serverPort());
    }

    QStringList lines; // first, so that they outlive the simulator
    QStringList events;
    Simulator simulator;
    bool listening = false;
    TcpLinkSocket socket;
    DeviceLink link{socket};
};

Decoder::Event commandEvent(const QByteArray &bytes)
{
    Decoder decoder;
    const QList<Decoder::Event> events = decoder.feed(bytes);
    return events.value(0);
}

} // namespace

void tst_Simulator::describe_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("line");
    QTest::newRow("T") << bytes(setTime(QDateTime(QDate(2018, 7, 4), QTime(15, 5, 32))))
                       << "T  clock set to 2018-07-04 15:05:32";
    QTest::newRow("T impossible")
            << QByteArray("T,13,01,18, 3, 105, 32,2,0")
            << "T  clock set to an impossible time \"T,13,01,18, 3, 105, 32,2,0\"";
    QTest::newRow("A") << bytes(*setAlarm(u"6", u"30", u"AM", 150))
                       << "A  alarm 6:30 AM, track 150";
    QTest::newRow("A pm") << bytes(*setAlarm(u"07", u"05", u"PM", 165))
                          << "A  alarm 7:05 PM, track 165";
    QTest::newRow("P") << bytes(playTrack(152)) << "P  play track 152";
    // The other one-byte commands take their words from their rows in the same way.
    QTest::newRow("S") << QByteArray("S") << "S  stop alarm";
    QTest::newRow("1") << QByteArray("1") << "1  colour scheme Black/Green";
    QTest::newRow("4") << QByteArray("4") << "4  colour scheme Teal/Black";
    QTest::newRow("5") << QByteArray("5") << "5  wake-up screen 1";
    QTest::newRow("7") << QByteArray("7") << "7  wake-up screen 3";
    QTest::newRow("malformed") << QByteArray("x\"\\\x01\xff")
                               << "?  malformed bytes: \"x\\\"\\\\\\x01\\xff\"";
}

void tst_Simulator::describe()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, line);
    QCOMPARE(Simulator::describe(commandEvent(bytes)), line);
}

void tst_Simulator::decodesWhatTheLinkWrites()
{
    Harness h;
    QVERIFY(h.listening);
    QVERIFY(connectAndWait(h.link));
    QTRY_COMPARE(h.lines.size(), 1);
    QVERIFY(h.lines.first().startsWith("connected 127.0.0.1:"));

    QVERIFY(h.link.sendToDevice(setTime(QDateTime(QDate(2019, 1, 1), QTime(0, 0, 0)))));
    QVERIFY(h.link.sendToDevice(*setAlarm(u" 06", u"00", u"am", 151)));
    QVERIFY(h.link.sendToDevice(colourScheme(3)));
    QVERIFY(h.link.sendToDevice(announceHourly(true)));
    const QStringList expected{"T  clock set to 2019-01-01 00:00:00", "A  alarm 6:00 AM, track 151",
                               "3  colour scheme Blue/Yellow", "H  hourly announcement on"};
    QTRY_COMPARE(h.lines.mid(1), expected);

    h.socket.close();
    QTRY_COMPARE(h.lines.last(), QStringLiteral("disconnected"));
    QCOMPARE(h.events.size(), 6);
    QVERIFY(h.events.first().startsWith("127.0.0.1:"));
    QCOMPARE(h.events.mid(1),
             QStringList({"T,01,01,19, 0, 100, 0,1,0", "A, 6, 0,1, 151, 0", "3", "H", "-"}));
}

void tst_Simulator::survivesGarbage()
{
    Harness h;
    QVERIFY(h.listening);
    QTcpSocket raw;
    raw.connectToHost(QHostAddress::LocalHost, h.simulator.serverPort());
    QVERIFY(raw.waitForConnected(5000));
    QByteArray garbage;
    for (int i = 0; i < 256; ++i)
        garbage += char(i);
    garbage += QByteArray(5000, '9') + "A, " + QByteArray(100, '8') + "T,12,3";
    raw.write(garbage);
    raw.write("E");
    raw.flush();
    QTRY_VERIFY(h.lines.contains("E  enable alarm"));
    QVERIFY(h.lines.size() > 2);
    QVERIFY(h.lines.at(1).startsWith("?  malformed bytes: \"\\x00\\x01"));

    // A command cut by the end of the connection is reported, not lost.
    raw.write("P, 15");
    raw.flush();
    raw.disconnectFromHost();
    QTRY_COMPARE(h.lines.last(), QStringLiteral("disconnected"));
    QCOMPARE(h.lines.at(h.lines.size() - 2), QStringLiteral("?  malformed bytes: \"P, 15\""));
    QCOMPARE(h.events.mid(h.events.size() - 2), QStringList({"E", "-"}));
}

void tst_Simulator::oneClientAtATime()
{
    Harness h;
    QVERIFY(h.listening);
    QVERIFY(connectAndWait(h.link));

    TcpLinkSocket second;
    second.setRemotePort(h.simulator.serverPort());
    second.connectToDevice();
    QTRY_VERIFY(second.state() == LinkState::ClosedByPeer || second.state() == LinkState::Error);
    QTRY_VERIFY(h.lines.size() >= 2);
    QVERIFY(h.lines.at(1).startsWith("refused 127.0.0.1:"));

    // The first client is untouched.
    QVERIFY(h.link.sendToDevice(stopAlarm()));
    QTRY_COMPARE(h.lines.last(), QStringLiteral("S  stop alarm"));

    // It closes and connects again in one go, before the simulator has read the end: served.
    h.socket.close();
    h.socket.connectToDevice();
    QTRY_COMPARE(h.socket.state(), LinkState::Connected);
    QVERIFY(h.link.sendToDevice(disableAlarm()));
    QTRY_COMPARE(h.lines.last(), QStringLiteral("D  disable alarm"));
    QCOMPARE(h.lines.filter("refused").size(), 1);
}

void tst_Simulator::closeAfterMakesLinkReconnect()
{
    Simulator::Options options;
    options.closeAfter = 2;
    Harness h(options);
    QVERIFY(h.listening);
    connectAndWait(h.link);
    QVERIFY(h.link.sendToDevice(stopAlarm()));
    QVERIFY(h.link.sendToDevice(test()));
    QTRY_COMPARE(h.socket.state(), LinkState::ClosedByPeer);
    QVERIFY(h.lines.endsWith("disconnected"));

    QVERIFY(!h.link.sendToDevice(enableAlarm())); // dropped, but reconnects
    QTRY_COMPARE(h.socket.state(), LinkState::Connected);
    QVERIFY(h.link.sendToDevice(disableAlarm()));
    QTRY_COMPARE(h.lines.last(), QStringLiteral("D  disable alarm"));
    QVERIFY(!h.lines.contains("E  enable alarm"));
}

void tst_Simulator::resetAfterBreaksLink()
{
#ifdef Q_OS_WIN
    // Windows reports the reset to the socket; Wine, which runs the Windows tests here, does
    // not while the socket is not reading.
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
        QSKIP("Wine tells Qt's socket nothing of a reset of a connection it is not reading");
#endif
    Simulator::Options options;
    options.resetAfter = 1;
    Harness h(options);
    QVERIFY(h.listening);
    connectAndWait(h.link);
    QVERIFY(h.link.sendToDevice(stopAlarm()));
    QTRY_VERIFY(h.socket.state() == LinkState::ClosedByPeer
                || h.socket.state() == LinkState::Error);
    QVERIFY(!h.link.sendToDevice(test()));
    QTRY_COMPARE(h.socket.state(), LinkState::Connected);
}

void tst_Simulator::noReadKeepsQueueBounded()
{
    Simulator::Options options;
    options.noRead = true;
    Harness h(options);
    QVERIFY(h.listening);
    connectAndWait(h.link);
    QCOMPARE(h.socket.state(), LinkState::Connected);

    // Far more than the kernel buffers of both ends hold, unless commands get dropped.
    const Pieces big{QByteArray(16 * 1024, 'S')};
    int dropped = 0;
    for (int i = 0; i < 8192 && dropped == 0; ++i) {
        if (!h.link.sendToDevice(big))
            ++dropped;
        QCoreApplication::processEvents();
    }
    QCOMPARE(dropped, 1);
    QVERIFY(h.socket.bytesToWrite() <= DeviceLink::MaxQueuedBytes);
    QCOMPARE(h.socket.state(), LinkState::Connected);
}

void tst_Simulator::search_data()
{
    // The simulator's search ID ("-": no command port, a socket that never answers), the one
    // searched for, whether the panel holds the simulator, and what the finder makes of it.
    QTest::addColumn<QString>("moduleId");
    QTest::addColumn<QString>("searchId");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<QString>("sentence"); // empty: no module found
    QTest::newRow("found") << ""
                           << "" << false << "The module at 127.0.0.1 is waiting for a client";
    QTest::newRow("busy") << ""
                          << "" << true
                          << "The module at 127.0.0.1 is busy: another client is connected";
    // A target the search cannot be sent to does not spoil the search of the others.
    QTest::newRow("one target unreachable")
            << ""
            << "" << false << "The module at 127.0.0.1 is waiting for a client";
    QTest::newRow("search ID") << "bell7"
                               << "bell7" << false
                               << "The module at 127.0.0.1 is waiting for a client";
    QTest::newRow("other search ID") << "bell7"
                                     << "bell8" << false << "";
    QTest::newRow("no search ID") << "bell7"
                                  << "" << false << "";
    QTest::newRow("no answer") << "-"
                               << "" << false << "";
}

void tst_Simulator::search()
{
    QFETCH(QString, moduleId);
    QFETCH(QString, searchId);
    QFETCH(bool, busy);
    QFETCH(QString, sentence);
    Harness h;
    QVERIFY(h.listening);
    CommandPort commandPort(h.simulator, {moduleId, Module::Mode::TcpServer});
    connect(&commandPort, &CommandPort::line, this,
            [&h](const QString &text) { h.lines.append(text); });
    QUdpSocket silent;
    const bool answers = moduleId != "-";
    QVERIFY(answers ? commandPort.listen(QHostAddress::LocalHost, 0)
                    : silent.bind(QHostAddress::LocalHost, 0));
    if (busy)
        QVERIFY(connectAndWait(h.link));

    ModuleFinder finder;
    finder.setCommandPort(answers ? commandPort.port() : silent.localPort());
    // An answer ends the test; the wait is long, so that a busy machine cannot cut it short.
    finder.setWaitMs(sentence.isEmpty() ? 200 : 60000);
    QSignalSpy found(&finder, &ModuleFinder::moduleFound);
    QSignalSpy finished(&finder, &ModuleFinder::finished);
    // Twice to the same module: it answers both, and counts once.
    const QHostAddress local(QHostAddress::LocalHost);
    QList<QHostAddress> targets{local, local};
    if (QTest::currentDataTag() == QByteArray("one target unreachable"))
        targets.prepend(QHostAddress(QHostAddress::LocalHostIPv6)); // the socket speaks IPv4
    QVERIFY(finder.find(targets, searchId));
    if (answers)
        QTRY_COMPARE(h.lines.filter(QRegularExpression("^search from 127\\.0\\.0\\.1:")).size(), 2);
    if (sentence.isEmpty()) {
        QVERIFY(finished.wait(60000));
        QVERIFY(found.isEmpty());
        QVERIFY(!answers || h.lines.last().endsWith(": another search ID"));
        return;
    }
    QTRY_COMPARE(found.size(), 1);
    QCoreApplication::processEvents(); // the second answer, already here
    QCOMPARE(finder.modules().size(), 1);
    const ModuleFrame::ModuleInfo module = finder.modules().first();
    QCOMPARE(ModuleWords::moduleSentence(module.address, module), sentence);
    QCOMPARE(module.mac, commandPort.mac());
    QCOMPARE(module.dataPort, h.simulator.serverPort());
    QCOMPARE(module.name, "WIZ750SR");
    QCOMPARE(module.mode, Module::Mode::TcpServer);
    QCOMPARE(finder.errorString(), QString());
    QVERIFY(finished.isEmpty());
}

void tst_Simulator::requestVerdict_data()
{
    // A request (OWN: the simulator's MAC) and what the command port does with it.
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QString>("verdict");
    QTest::newRow("every module") << QByteArray("MA\xff\xff\xff\xff\xff\xff\r\nPW \r\nST\r\n")
                                  << "answered";
    QTest::newRow("this module") << QByteArray("MAOWN\r\nPW \r\nST\r\n") << "answered";
    QTest::newRow("another module")
            << "MA" + QByteArray::fromHex("020000000001") + "\r\nPW \r\nST\r\n"
            << "for another module";
    QTest::newRow("sets a value") << QByteArray("MAOWN\r\nPW \r\nST\r\nLI192.0.2.9\r\n")
                                  << "sets a value";
    QTest::newRow("garbage") << QByteArray("FIND") << "not a request";
}

void tst_Simulator::requestVerdict()
{
    QFETCH(QByteArray, request);
    QFETCH(QString, verdict);
    Harness h;
    CommandPort commandPort(h.simulator, {});
    QVERIFY(commandPort.listen(QHostAddress::LocalHost, 0));
    QString said;
    const std::optional<QByteArray> answer = commandPort.answer(
            request.replace("OWN", commandPort.mac()), QHostAddress::LocalHost, said);
    QCOMPARE(said, verdict);
    QCOMPARE(answer.has_value(), verdict == "answered");
    if (answer)
        QCOMPARE(*answer, "MA" + commandPort.mac() + "\r\nPW \r\nSTOPEN\r\n");
}

QTEST_GUILESS_MAIN(tst_Simulator)
#include "tst_simulator.moc"
