#include "commandport.h"
#include "common/fakelinksocket.h"
#include "devicelink.h"
#include "lampshape.h"
#include "linklamp.h"
#include "simulator.h"

#include <QtTest/QtTest>

// The lamp's colour and words, fed by a link over a socket that does no I/O.
class tst_LinkLamp : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void afterConnectRuns_data();
    void afterConnectRuns();
    void followsTheLinkOnceStarted_data();
    void followsTheLinkOnceStarted();
    void saysWhatTheModuleSaysOfItself_data();
    void saysWhatTheModuleSaysOfItself();

private:
    std::unique_ptr<FakeLinkSocket> m_socket;
    std::unique_ptr<DeviceLink> m_link;
    std::unique_ptr<LinkLamp> m_lamp;
};

void tst_LinkLamp::init()
{
    m_socket = std::make_unique<FakeLinkSocket>();
    m_link = std::make_unique<DeviceLink>(*m_socket);
    m_lamp = std::make_unique<LinkLamp>(*m_link);
}

void tst_LinkLamp::cleanup()
{
    m_lamp.reset();
    m_link.reset();
    m_socket.reset();
}

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
    QCOMPARE(m_lamp->colour(), LampColour::Black);
    QSignalSpy changed(m_lamp.get(), &LinkLamp::changed);
    QList<QColor> seen;
    for (bool connected : outcomes) {
        emit m_link->connectionWaitEnded(connected);
        seen.append(m_lamp->colour());
    }
    QCOMPARE(seen, lamps);
    QCOMPARE(changed.size(), outcomes.size());
    QCOMPARE(m_lamp->words(), words);
    QCOMPARE(m_lamp->accessibleName(), QStringLiteral("Connection lamp: ") + words);
}

void tst_LinkLamp::followsTheLinkOnceStarted_data()
{
    QTest::addColumn<LinkState>("linkAfterStartUp");
    QTest::addColumn<qint64>("queuedBytes");
    QTest::addColumn<bool>("reconnects");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QString>("words");
    const QString dropped = QStringLiteral("Not connected: “D” (disable the alarm) was not sent: ");
    QTest::newRow("module closed the link")
            << LinkState::ClosedByPeer << qint64(0) << false << LampColour::Red
            << dropped + QStringLiteral("the module closed the connection");
    QTest::newRow("link failed") << LinkState::Error << qint64(0) << false << LampColour::Red
                                 << dropped
                    + QStringLiteral("the connection to the module had failed");
    QTest::newRow("module stopped reading")
            << LinkState::Connected << qint64(64 * 1024) << false << LampColour::Red
            << dropped + QStringLiteral("the module is not taking commands");
    QTest::newRow("the command's connection comes up")
            << LinkState::Closed << qint64(0) << true << LampColour::Green
            << QStringLiteral("Connected to 127.0.0.1:5000");
    QTest::newRow("sent") << LinkState::Connected << qint64(0) << false << LampColour::Yellow
                          << QStringLiteral("Connected to 127.0.0.1:5000");
}

// Once the start-up has ended, the lamp tells what became of the last command and of the
// link, in colour and in words.
void tst_LinkLamp::followsTheLinkOnceStarted()
{
    QFETCH(LinkState, linkAfterStartUp);
    QFETCH(qint64, queuedBytes);
    QFETCH(bool, reconnects);
    QFETCH(QColor, colour);
    QFETCH(QString, words);
    m_socket->setState(LinkState::Connected);
    emit m_link->connectionWaitEnded(true);
    emit m_link->connectionWaitEnded(true);
    m_lamp->followLink();
    QCOMPARE(m_lamp->colour(), LampColour::Yellow);

    m_socket->connectSucceeds = reconnects;
    m_socket->queuedBytes = queuedBytes;
    m_socket->setState(linkAfterStartUp);
    // A link the module closed or that failed turns the lamp red before any command.
    if (linkAfterStartUp == LinkState::ClosedByPeer || linkAfterStartUp == LinkState::Error)
        QCOMPARE(m_lamp->colour(), LampColour::Red);
    m_link->sendToDevice(Protocol::disableAlarm());
    QTRY_COMPARE(m_lamp->colour(), colour);
    // What the module says of itself may follow; it comes later from its command port.
    QVERIFY2(m_lamp->words().startsWith(words), qPrintable(m_lamp->words()));
}

void tst_LinkLamp::saysWhatTheModuleSaysOfItself_data()
{
    QTest::addColumn<bool>("moduleAnswers");
    QTest::addColumn<QString>("account");
    QTest::newRow("client mode") << true << "The module at 127.0.0.77 is in TCP client mode";
    QTest::newRow("silent") << false << "no module answered at 127.0.0.77";
}

// When the saved endpoint's link fails, the module there is asked on its command port, and
// the lamp's words end with its answer.
void tst_LinkLamp::saysWhatTheModuleSaysOfItself()
{
    QFETCH(bool, moduleAnswers);
    QFETCH(QString, account);
    const QHostAddress host(QStringLiteral("127.0.0.77"));
    Simulator simulator(Simulator::Options{});
    CommandPort::Options identity;
    identity.mode = Module::Mode::TcpClient;
    CommandPort module(simulator, identity);
    if (moduleAnswers && !module.listen(host, Module::CommandPort))
        QSKIP("the command port on 127.0.0.77 is taken");
    m_socket->setRemoteHost(host.toString());
    m_lamp->askModuleOnFailure();
    m_lamp->followLink();

    m_socket->setState(LinkState::Error);
    QTRY_VERIFY_WITH_TIMEOUT(m_lamp->words().endsWith(account), 4 * ModuleFinder::DefaultWaitMs);
    QVERIFY(m_lamp->words().startsWith(
            QStringLiteral("Not connected: the connection to 127.0.0.77:5000 failed. ")));
}

QTEST_MAIN(tst_LinkLamp)
#include "tst_linklamp.moc"
