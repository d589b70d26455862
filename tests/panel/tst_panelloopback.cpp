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
    socket.setRemoteHost(QStringLiteral("127.0.0.1"));
    socket.setRemotePort(server.serverPort());
    PanelRig rig(socket);
    rig.c.Text_SATH->setText(QStringLiteral("6"));
    rig.c.Text_SATM->setText(QStringLiteral("30"));
    rig.c.Text_SATAMPM->setText(QStringLiteral("AM"));
    rig.c.Option1[1]->setChecked(true);

    // Closed: the command is dropped and a connection starts.
    PanelRig::click(rig.c.CMDSet_TEST);
    QTRY_VERIFY(server.hasPendingConnections());
    QTcpSocket *peer = server.nextPendingConnection();
    QVERIFY(peer);
    QTRY_COMPARE(socket.state(), LinkState::Connected);

    QByteArray received;
    connect(peer, &QTcpSocket::readyRead, peer, [&] { received += peer->readAll(); });
    PanelRig::click(rig.c.CMDSET_TIME);
    PanelRig::click(rig.c.CMDSet_WUA);
    PanelRig::click(rig.c.Check23);
    PanelRig::click(rig.c.CMDSet_TEST);
    const QByteArray expected = "T,07,04,18, 3, 105, 32,2,0"
                                "A, 6, 30,1, 150, 0"
                                "3!";
    QTRY_COMPARE(received, expected);
    QCOMPARE(rig.entryColours(), QList<int>({0, 0, 0}));
    QCOMPARE(rig.record.BackGrounds, SettingValue::fromNumber(3));
}

QTEST_MAIN(TestPanelLoopback)
#include "tst_panelloopback.moc"
