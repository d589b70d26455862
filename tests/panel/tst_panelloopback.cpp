#include "panelrig.h"

#include "tcplinksocket.h"

#include <QtNetwork/QTcpServer>
#include <QtNetwork/QTcpSocket>

// The handlers over the real socket layer, to a listener on the loopback interface only.
class TestPanelLoopback : public QObject
{
    Q_OBJECT

private slots:
    void firstCommandConnectsLaterOnesArrive();
};

void TestPanelLoopback::firstCommandConnectsLaterOnesArrive()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    TcpLinkSocket socket;
    PanelRig rig(socket);
    socket.setRemotePort(server.serverPort());
    PanelRig::paste(rig.c.alarmHourEdit, QStringLiteral("6"));
    PanelRig::paste(rig.c.alarmMinuteEdit, QStringLiteral("30"));
    PanelRig::paste(rig.c.alarmAmPmEdit, QStringLiteral("AM"));
    rig.trackButton(1)->setChecked(true);

    // Closed: the command is dropped and a connection starts.
    PanelRig::click(rig.c.testButton);
    QTRY_VERIFY(server.hasPendingConnections());
    QTcpSocket *peer = server.nextPendingConnection();
    QVERIFY(peer);
    QTRY_COMPARE(socket.state(), LinkState::Connected);

    QByteArray received;
    connect(peer, &QTcpSocket::readyRead, peer, [&] { received += peer->readAll(); });
    PanelRig::click(rig.c.setTimeButton);
    PanelRig::click(rig.c.setAlarmButton);
    PanelRig::click(rig.c.schemeBoxes[2]);
    PanelRig::click(rig.c.testButton);
    const QByteArray expected = "T,07,04,18, 3, 105, 32,2,0"
                                "A, 6, 30,1, 150, 0"
                                "3!";
    QTRY_COMPARE(received, expected);
    QCOMPARE(rig.entryColours(), QList<QColor>(3, Qt::black));
    QCOMPARE(rig.saved().BackGrounds, SettingValue::fromNumber(3));
}

QTEST_MAIN(TestPanelLoopback)
#include "tst_panelloopback.moc"
