#include "commandport.h"
#include "common/fakelinksocket.h"
#include "devicelink.h"
#include "lampshape.h"
#include "linklamp.h"
#include "simulator.h"
#include "tcplinksocket.h"

#include <QtNetwork/QTcpServer>
#include <QtNetwork/QTcpSocket>
#include <QtTest/QtTest>

#ifndef Q_OS_WIN
#    include <sys/socket.h>
#endif

// The lamp as a link over a socket that does no I/O drives it.
struct LampRig
{
    FakeLinkSocket socket;
    DeviceLink link{socket};
    LinkLamp lamp{link};
};

class tst_LinkLamp : public QObject
{
    Q_OBJECT

private slots:
    void afterConnectRuns_data();
    void afterConnectRuns();
    void followsTheLinkOnceStarted_data();
    void followsTheLinkOnceStarted();
    void saysWhatTheModuleSaysOfItself_data();
    void saysWhatTheModuleSaysOfItself();
    void moduleThatTakesNothingTurnsTheLampRed();
};

void tst_LinkLamp::afterConnectRuns_data()
{
    QTest::addColumn<QList<bool>>("outcomes");
    QTest::addColumn<QList<QColor>>("lamps");
    QTest::addColumn<QString>("words");
    const QColor red = Qt::red, green = Qt::green, yellow = Qt::yellow;
    const QString up = QStringLiteral("Connected to 127.0.0.1:5000");
    const QString down = QStringLiteral("Not connected: no connection to 127.0.0.1:5000");
    QTest::newRow("both connect") << QList<bool>{true, true} << QList<QColor>{green, yellow} << up;
    QTest::newRow("second fails") << QList<bool>{true, false} << QList<QColor>{green, red} << down;
    QTest::newRow("first fails") << QList<bool>{false, true} << QList<QColor>{red, green} << up;
    QTest::newRow("no device") << QList<bool>{false, false} << QList<QColor>{red, red} << down;
    QTest::newRow("third success")
            << QList<bool>{true, true, true} << QList<QColor>{green, yellow, green} << up;
}

// Each connection wait turns the lamp; two successes in a row show as a change of colour.
void tst_LinkLamp::afterConnectRuns()
{
    QFETCH(QList<bool>, outcomes);
    QFETCH(QList<QColor>, lamps);
    QFETCH(QString, words);
    LampRig rig;
    QList<QColor> seen;
    for (bool connected : outcomes) {
        emit rig.link.connectionWaitEnded(connected);
        seen.append(rig.lamp.colour());
    }
    QCOMPARE(seen, lamps);
    QCOMPARE(rig.lamp.words(), words);
    // A red lamp's words end with where to find clocks.
    QCOMPARE(rig.lamp.toolTip().endsWith(LinkLamp::findClocksHint()),
             lamps.constLast() == LampColour::Red);
}

void tst_LinkLamp::followsTheLinkOnceStarted_data()
{
    QTest::addColumn<LinkState>("linkAfterStartUp");
    QTest::addColumn<qint64>("queuedBytes");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QString>("words");
    const QString dropped = QStringLiteral("Not connected: “D” (disable the alarm) was not sent: ");
    QTest::newRow("module closed the link")
            << LinkState::ClosedByPeer << qint64(0) << LampColour::Red
            << dropped + QStringLiteral("the module closed the connection");
    QTest::newRow("link failed") << LinkState::Error << qint64(0) << LampColour::Red
                                 << dropped
                    + QStringLiteral("the connection to the module had failed");
    QTest::newRow("module stopped reading")
            << LinkState::Connected << qint64(64 * 1024) << LampColour::Red
            << dropped + QStringLiteral("the module is not taking commands");
    QTest::newRow("the command's connection comes up")
            << LinkState::Closed << qint64(0) << LampColour::Green
            << QStringLiteral("Connected to 127.0.0.1:5000");
    QTest::newRow("sent") << LinkState::Connected << qint64(0) << LampColour::Yellow
                          << QStringLiteral("Connected to 127.0.0.1:5000");
}

// Once the start-up has ended, the lamp tells what became of the last command and of the
// link, in colour and in words.
void tst_LinkLamp::followsTheLinkOnceStarted()
{
    QFETCH(LinkState, linkAfterStartUp);
    QFETCH(qint64, queuedBytes);
    QFETCH(QColor, colour);
    QFETCH(QString, words);
    LampRig rig;
    rig.socket.setState(LinkState::Connected);
    emit rig.link.connectionWaitEnded(true);
    emit rig.link.connectionWaitEnded(true);
    rig.lamp.followLink();

    rig.socket.connectSucceeds = linkAfterStartUp == LinkState::Closed;
    rig.socket.queuedBytes = queuedBytes;
    rig.socket.setState(linkAfterStartUp);
    // A link the module closed or that failed turns the lamp red before any command.
    if (linkAfterStartUp == LinkState::ClosedByPeer || linkAfterStartUp == LinkState::Error)
        QCOMPARE(rig.lamp.colour(), LampColour::Red);
    rig.link.sendToDevice(Protocol::disableAlarm());
    QTRY_COMPARE(rig.lamp.colour(), colour);
    // What the module says of itself may follow; it comes later from its command port.
    QVERIFY2(rig.lamp.words().startsWith(words), qPrintable(rig.lamp.words()));
}

void tst_LinkLamp::saysWhatTheModuleSaysOfItself_data()
{
    QTest::addColumn<QString>("endpoint"); // the module listens on 127.0.0.77, port 5000
    QTest::addColumn<LinkState>("link");
    QTest::addColumn<bool>("reset");
    QTest::addColumn<bool>("moduleAnswers");
    QTest::addColumn<QString>("words");
    const QString failed = "Not connected: the connection to 127.0.0.77:5000 failed. ";
    const QString clientMode = "The module at 127.0.0.77 is in TCP client mode";
    QTest::newRow("client mode") << "127.0.0.77:5000" << LinkState::Error << false << true
                                 << failed + clientMode;
    QTest::newRow("silent") << "127.0.0.77:5000" << LinkState::Error << false << false
                            << failed + "No module answered at 127.0.0.77";
    QTest::newRow("module closed the link")
            << "127.0.0.77:5000" << LinkState::ClosedByPeer << false << true
            << "Not connected: the module closed the connection. " + clientMode;
    QTest::newRow("module reset the link")
            << "127.0.0.77:5000" << LinkState::ClosedByPeer << true << true
            << "Not connected: the module reset the connection. " + clientMode;
    QTest::newRow("another module hears the question")
            << "127.0.0.78:5000" << LinkState::Error << false << true
            << "Not connected: the connection to 127.0.0.78:5000 failed. No module answered at "
               "127.0.0.78";
    QTest::newRow("module serves on another port")
            << "127.0.0.77:6000" << LinkState::Error << false << true
            << "Not connected: the connection to 127.0.0.77:6000 failed. The module at 127.0.0.77 "
               "serves on port 5000, not 6000";
}

// When the saved endpoint's link fails, the module there is asked on its command port, and
// the lamp's words end with its answer.
void tst_LinkLamp::saysWhatTheModuleSaysOfItself()
{
    QFETCH(QString, endpoint);
    QFETCH(LinkState, link);
    QFETCH(bool, reset);
    QFETCH(bool, moduleAnswers);
    QFETCH(QString, words);
    const QHostAddress host(QStringLiteral("127.0.0.77"));
    Simulator simulator(Simulator::Options{});
    CommandPort::Options identity;
    identity.mode = Module::Mode::TcpClient;
    CommandPort module(simulator, identity);
    // A module tells its data port, or its answer lists no module.
    if (moduleAnswers
        && !(simulator.listen(host, Device::DefaultPort)
             && module.listen(host, Module::CommandPort)))
        QSKIP("the data or command port on 127.0.0.77 is taken");
#ifdef Q_OS_WIN
    if (words.contains(u"The module at"))
        QSKIP("Wine tells a datagram from any loopback address as sent from 127.0.0.1, so the "
              "module at 127.0.0.77 cannot be told from another");
#endif
    LampRig rig;
    rig.socket.setRemoteHost(endpoint.section(u':', 0, 0));
    rig.socket.setRemotePort(endpoint.section(u':', 1).toUShort());
    rig.lamp.askModuleOnFailure();
    rig.lamp.followLink();

    rig.socket.resetByPeer = reset;
    rig.socket.setState(link);
    QTRY_COMPARE_WITH_TIMEOUT(rig.lamp.words(), words, 4 * ModuleFinder::DefaultWaitMs);
}

// A module whose serial side has stopped: a listener with a 2 KB receive buffer that takes
// the connection but reads nothing, until it accepts and reads at last.
void tst_LinkLamp::moduleThatTakesNothingTurnsTheLampRed()
{
#ifdef Q_OS_WIN
    QSKIP("the unacknowledged bytes are read from Windows' own TCP information, which Wine lacks");
#else
    QTcpServer listener;
    QVERIFY(listener.listen(QHostAddress::LocalHost));
    const int receiveBuffer = 2048; // the connection inherits it from the listener
    QCOMPARE(setsockopt(int(listener.socketDescriptor()), SOL_SOCKET, SO_RCVBUF, &receiveBuffer,
                        sizeof receiveBuffer),
             0);
    listener.pauseAccepting();
    TcpLinkSocket socket;
    socket.setRemoteHost(QStringLiteral("127.0.0.1"));
    socket.setRemotePort(listener.serverPort());
    DeviceLink link(socket);
    LinkLamp lamp(link);
    link.connectToDevice();
    QTRY_COMPARE(socket.state(), LinkState::Connected);
    lamp.followLink();

    for (int click = 0; click < 300; ++click)
        QVERIFY(link.sendToDevice(Protocol::setTime(QDateTime(QDate(2018, 7, 4), QTime(15, 5)))));
    QTRY_COMPARE_WITH_TIMEOUT(lamp.colour(), LampColour::Red, 10000);
    QVERIFY(lamp.words().contains(QStringLiteral("the module has taken nothing")));

    listener.resumeAccepting(); // the accepted socket reads all that waits
    QTRY_COMPARE_WITH_TIMEOUT(lamp.colour(), LampColour::Green, 10000);
#endif
}

QTEST_MAIN(tst_LinkLamp)
#include "tst_linklamp.moc"
