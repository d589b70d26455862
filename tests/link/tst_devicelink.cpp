#include "recordingsocket.h"

#include "common/connectionwait.h"
#include "devicelink.h"
#include "tcplinksocket.h"

#include <QtCore/QLoggingCategory>
#include <QtCore/QScopeGuard>
#include <QtNetwork/QTcpServer>
#include <QtTest/QtTest>

using Protocol::Pieces;

// The connection procedure and the send rule.
class tst_DeviceLink : public QObject
{
    Q_OBJECT

private slots:
    void connectReportsOutcome_data();
    void connectReportsOutcome();
    void connectWaitsOutErrors();
    void connectClosesFirstUnlessClosed_data();
    void connectClosesFirstUnlessClosed();
    void sendByState_data();
    void sendByState();
    void overFullQueueDropsWholeCommand_data();
    void overFullQueueDropsWholeCommand();
    void droppedCommandStartsConnection();
    void diagnosticsTellWhy();
};

namespace {

Pieces timePieces() // 26 bytes
{
    return Protocol::setTime(QDateTime(QDate(2018, 7, 4), QTime(15, 5, 32)));
}

QList<QByteArray> writesOf(const Pieces &pieces)
{
    QList<QByteArray> calls;
    for (const QByteArray &piece : pieces)
        calls.append("write " + piece);
    calls.append("flush");
    return calls;
}

quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

} // namespace

void tst_DeviceLink::connectReportsOutcome_data()
{
    QTest::addColumn<bool>("firstAnswers");
    QTest::addColumn<bool>("secondAnswers");
    QTest::newRow("both connect") << true << true;
    QTest::newRow("second fails") << true << false;
    QTest::newRow("first fails") << false << true;
    QTest::newRow("no device") << false << false;
}

void tst_DeviceLink::connectReportsOutcome()
{
    QFETCH(bool, firstAnswers);
    QFETCH(bool, secondAnswers);

    QTcpServer device;
    QVERIFY(device.listen(QHostAddress::LocalHost, 0));
    const quint16 refused = freePort();
    TcpLinkSocket socket;
    DeviceLink link(socket);
    QSignalSpy outcomes(&link, &DeviceLink::connectionWaitEnded);

    // The clock display must keep ticking while a run waits.
    QTimer ticker;
    int ticks = 0;
    connect(&ticker, &QTimer::timeout, this, [&ticks] { ++ticks; });
    ticker.start(100);

    QList<bool> returned;
    for (bool answers : {firstAnswers, secondAnswers}) {
        socket.setRemotePort(answers ? device.serverPort() : refused);
        ticks = 0;
        QElapsedTimer elapsed;
        elapsed.start();
        returned.append(connectAndWait(link));
        const qint64 ms = elapsed.elapsed();
        if (answers) {
            QCOMPARE(socket.state(), LinkState::Connected);
            QVERIFY(ms < Device::ConnectWaitMs); // the wait ends with the connection
        } else {
            QVERIFY2(ms >= 1900 && ms < 5000, qPrintable(QString::number(ms)));
            QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
        }
    }
    const QList<bool> expected{firstAnswers, secondAnswers};
    QCOMPARE(returned, expected);
    QCOMPARE(outcomes.size(), 2);
    QCOMPARE(outcomes.at(0).at(0).toBool(), firstAnswers);
    QCOMPARE(outcomes.at(1).at(0).toBool(), secondAnswers);
}

void tst_DeviceLink::connectWaitsOutErrors()
{
    // A failed attempt followed by a success inside the window still counts as connected:
    // the error neither ends the wait nor is taken as the verdict.
    RecordingSocket socket;
    DeviceLink link(socket);
    QTimer::singleShot(0, &socket, [&socket] { socket.setState(LinkState::Error); });
    QTimer::singleShot(300, &socket, [&socket] { socket.setState(LinkState::Connected); });
    QVERIFY(connectAndWait(link));

    socket.setState(LinkState::Closed);
    QTimer::singleShot(0, &socket, [&socket] { socket.setState(LinkState::Error); });
    QElapsedTimer elapsed;
    elapsed.start();
    QVERIFY(!connectAndWait(link));
    QVERIFY2(elapsed.elapsed() >= 1900, qPrintable(QString::number(elapsed.elapsed())));
}

void tst_DeviceLink::connectClosesFirstUnlessClosed_data()
{
    QTest::addColumn<LinkState>("state");
    QTest::addColumn<bool>("closes");
    QTest::newRow("closed") << LinkState::Closed << false;
    QTest::newRow("connecting") << LinkState::Connecting << true;
    QTest::newRow("connected") << LinkState::Connected << true;
    QTest::newRow("closed by peer") << LinkState::ClosedByPeer << true;
    QTest::newRow("error") << LinkState::Error << true;
}

void tst_DeviceLink::connectClosesFirstUnlessClosed()
{
    QFETCH(LinkState, state);
    QFETCH(bool, closes);
    RecordingSocket socket;
    socket.setState(state);
    DeviceLink link(socket);
    connect(&socket, &LinkSocket::stateChanged, this, [&socket](LinkState reached) {
        if (reached == LinkState::Connecting)
            QTimer::singleShot(0, &socket, [&socket] { socket.setState(LinkState::Connected); });
    });
    QVERIFY(connectAndWait(link));
    const QList<QByteArray> expected = closes ? QList<QByteArray>{"close", "connect"}
                                              : QList<QByteArray>{"connect"};
    QCOMPARE(socket.calls, expected);
}

void tst_DeviceLink::sendByState_data()
{
    QTest::addColumn<LinkState>("state");
    QTest::addColumn<Pieces>("pieces");
    QTest::addColumn<QList<QByteArray>>("calls");
    QTest::addColumn<bool>("written");
    const QList<QByteArray> none;
    QTest::newRow("closed") << LinkState::Closed << timePieces() << QList<QByteArray>{"connect"}
                            << false;
    QTest::newRow("error") << LinkState::Error << timePieces() << QList<QByteArray>{"connect"}
                           << false;
    QTest::newRow("closed by peer") << LinkState::ClosedByPeer << timePieces()
                                    << QList<QByteArray>{"close", "connect"} << false;
    QTest::newRow("resolving") << LinkState::ResolvingHost << timePieces() << none << false;
    QTest::newRow("resolved") << LinkState::HostResolved << timePieces() << none << false;
    QTest::newRow("connecting") << LinkState::Connecting << timePieces() << none << false;
    QTest::newRow("time") << LinkState::Connected << timePieces() << writesOf(timePieces()) << true;
    const Pieces alarm = *Protocol::setAlarm(u"6", u"30", u"AM", 150);
    QTest::newRow("alarm") << LinkState::Connected << alarm << writesOf(alarm) << true;
    QTest::newRow("stop") << LinkState::Connected << Protocol::stopAlarm()
                          << writesOf(Protocol::stopAlarm()) << true;
    QTest::newRow("nothing to send") << LinkState::Connected << Pieces() << none << false;
}

void tst_DeviceLink::sendByState()
{
    QFETCH(LinkState, state);
    QFETCH(Pieces, pieces);
    QFETCH(QList<QByteArray>, calls);
    QFETCH(bool, written);
    RecordingSocket socket;
    socket.setState(state);
    DeviceLink link(socket);
    QSignalSpy outcomes(&link, &DeviceLink::connectionWaitEnded);
    QCOMPARE(link.sendToDevice(pieces), written);
    QCOMPARE(socket.calls, calls);
    QCOMPARE(outcomes.size(), 0);
}

void tst_DeviceLink::overFullQueueDropsWholeCommand_data()
{
    QTest::addColumn<qint64>("queued");
    QTest::addColumn<bool>("written");
    const qint64 size = Protocol::bytes(timePieces()).size();
    QTest::newRow("empty queue") << qint64(0) << true;
    QTest::newRow("fits exactly") << DeviceLink::MaxQueuedBytes - size << true;
    QTest::newRow("one byte over") << DeviceLink::MaxQueuedBytes - size + 1 << false;
    QTest::newRow("full") << DeviceLink::MaxQueuedBytes << false;
}

void tst_DeviceLink::overFullQueueDropsWholeCommand()
{
    QFETCH(qint64, queued);
    QFETCH(bool, written);
    RecordingSocket socket;
    socket.setState(LinkState::Connected);
    socket.queued = queued;
    DeviceLink link(socket);
    QCOMPARE(link.sendToDevice(timePieces()), written);
    QCOMPARE(socket.calls, written ? writesOf(timePieces()) : QList<QByteArray>());
}

void tst_DeviceLink::droppedCommandStartsConnection()
{
    QTcpServer device;
    QVERIFY(device.listen(QHostAddress::LocalHost, 0));
    TcpLinkSocket socket;
    socket.setRemotePort(device.serverPort());
    DeviceLink link(socket);

    QVERIFY(!link.sendToDevice(timePieces()));
    QVERIFY(socket.state() != LinkState::Closed);
    QTRY_COMPARE(socket.state(), LinkState::Connected);
    QTRY_VERIFY(device.hasPendingConnections());
    QTcpSocket *peer = device.nextPendingConnection();
    QCOMPARE(peer->bytesAvailable(), qint64(0)); // the first command was dropped

    QVERIFY(link.sendToDevice(timePieces()));
    QTRY_COMPARE(peer->bytesAvailable(), qint64(26));
    QCOMPARE(peer->readAll(), QByteArray("T,07,04,18, 3, 105, 32,2,0"));
}

void tst_DeviceLink::diagnosticsTellWhy()
{
    QLoggingCategory::setFilterRules(QStringLiteral("dawnbell.link=true"));
    const auto restore = qScopeGuard([] { QLoggingCategory::setFilterRules(QString()); });
    using Re = QRegularExpression;

    TcpLinkSocket socket;
    socket.setRemotePort(freePort());
    DeviceLink link(socket);
    QTest::ignoreMessage(QtInfoMsg, Re(R"(^connecting to 127\.0\.0\.1 port \d+$)"));
    QTest::ignoreMessage(QtDebugMsg, Re("^state Closed -> (ResolvingHost|Connecting)$"));
    QTest::ignoreMessage(QtInfoMsg, "command \"S\" dropped: link closed, connecting");
    QTest::ignoreMessage(QtInfoMsg, Re("^socket error: .+"));
    QTest::ignoreMessage(QtDebugMsg, Re("^state (ResolvingHost|Connecting) -> Error$"));
    QVERIFY(!link.sendToDevice(Protocol::stopAlarm()));
    QTRY_COMPARE(socket.state(), LinkState::Error);

    RecordingSocket stuck;
    stuck.setState(LinkState::Connected);
    stuck.queued = DeviceLink::MaxQueuedBytes;
    DeviceLink stuckLink(stuck);
    QTest::ignoreMessage(QtInfoMsg, Re(R"(^command "E" dropped: queue over its bound \(65536 )"));
    QVERIFY(!stuckLink.sendToDevice(Protocol::enableAlarm()));
}

QTEST_GUILESS_MAIN(tst_DeviceLink)
#include "tst_devicelink.moc"
