#include "linkstate.h"
#include "tcplinksocket.h"

#include <QtNetwork/QTcpServer>
#include <QtTest/QtTest>

#ifndef Q_OS_WIN
#    include <sys/socket.h>
#endif

// The socket layer against real loopback listeners.
class tst_TcpLinkSocket : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void refusedPortReportsError();
    void writesReachThePeer();
    void peerCloseHoldsUntilWeClose_data();
    void peerCloseHoldsUntilWeClose();
    void stateChangesAreReportedOnce();
};

namespace {

quint16 freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort(); // closed again when the probe goes
}

void aimAt(TcpLinkSocket &socket, quint16 port)
{
    socket.setRemoteHost(QStringLiteral("127.0.0.1"));
    socket.setRemotePort(port);
}

} // namespace

void tst_TcpLinkSocket::defaults()
{
    TcpLinkSocket socket;
    QCOMPARE(socket.remoteHost(), QStringLiteral("127.0.0.1"));
    QCOMPARE(socket.remotePort(), quint16(5000));
    QCOMPARE(socket.state(), LinkState::Closed);
    QVERIFY(!socket.write("S"));
    QCOMPARE(socket.bytesToWrite(), qint64(0));
}

void tst_TcpLinkSocket::refusedPortReportsError()
{
    const quint16 port = freePort();
    QVERIFY(port != 0);
    TcpLinkSocket socket;
    aimAt(socket, port);
    socket.connectToDevice();
    QTRY_COMPARE(socket.state(), LinkState::Error);
    // The error stays until we act: events alone do not clear it.
    QCoreApplication::processEvents();
    QCOMPARE(socket.state(), LinkState::Error);
    QVERIFY(!socket.write("S"));
    QCOMPARE(socket.bytesToWrite(), qint64(0));
    socket.close();
    QCOMPARE(socket.state(), LinkState::Closed);

    // A new attempt leaves the closed state and is refused again, whether the system tells the
    // refusal later or, as Wine does on loopback, before the attempt returns.
    QSignalSpy changes(&socket, &LinkSocket::stateChanged);
    socket.connectToDevice();
    QTRY_COMPARE(socket.state(), LinkState::Error);
    QVERIFY(changes.size() >= 2);
    QVERIFY(changes.first().first().value<LinkState>() != LinkState::Error);
}

void tst_TcpLinkSocket::writesReachThePeer()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    TcpLinkSocket socket;
    aimAt(socket, server.serverPort());
    socket.connectToDevice();
    const LinkState during = socket.state();
    QVERIFY2(during >= LinkState::ResolvingHost && during <= LinkState::Connecting,
             Link::stateName(during));
    QVERIFY(!socket.write("S")); // not connected yet
    QTRY_COMPARE(socket.state(), LinkState::Connected);
    QTRY_VERIFY(server.hasPendingConnections());
    QTcpSocket *peer = server.nextPendingConnection();

    for (const char *piece : {"P", ",", " 152", ",", " 0"})
        QVERIFY(socket.write(piece));
    socket.flush();
    QTRY_COMPARE(peer->bytesAvailable(), qint64(9));
    QCOMPARE(peer->readAll(), QByteArray("P, 152, 0"));

    // What the module sends back is dropped without disturbing the link.
    peer->write(QByteArray(4096, 'x'));
    peer->flush();
    QTRY_COMPARE(peer->bytesToWrite(), qint64(0));
    QVERIFY(socket.write("S"));
    socket.flush();
    QTRY_COMPARE(peer->bytesAvailable(), qint64(1));
    QCOMPARE(peer->readAll(), QByteArray("S"));
    QCOMPARE(socket.state(), LinkState::Connected);
}

void tst_TcpLinkSocket::peerCloseHoldsUntilWeClose_data()
{
    QTest::addColumn<bool>("reset");
    QTest::newRow("orderly close") << false;
#ifndef Q_OS_WIN // where the system tells a reset apart
    QTest::newRow("reset") << true;
#endif
}

void tst_TcpLinkSocket::peerCloseHoldsUntilWeClose()
{
    QFETCH(bool, reset);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    TcpLinkSocket socket;
    aimAt(socket, server.serverPort());
    socket.connectToDevice();
    QTRY_COMPARE(socket.state(), LinkState::Connected);
    QTRY_VERIFY(server.hasPendingConnections());
    QTcpSocket *peer = server.nextPendingConnection();
#ifndef Q_OS_WIN
    const linger noLinger{1, 0}; // makes the close a reset
    if (reset)
        setsockopt(int(peer->socketDescriptor()), SOL_SOCKET, SO_LINGER, &noLinger,
                   sizeof noLinger);
#endif
    peer->close();

    QTRY_COMPARE(socket.state(), LinkState::ClosedByPeer);
    QCOMPARE(socket.closedByReset(), reset);
    QCoreApplication::processEvents();
    QCOMPARE(socket.state(), LinkState::ClosedByPeer);
    QVERIFY(!socket.write("S"));

    socket.close();
    QCOMPARE(socket.state(), LinkState::Closed);
    socket.connectToDevice();
    QTRY_COMPARE(socket.state(), LinkState::Connected);
}

void tst_TcpLinkSocket::stateChangesAreReportedOnce()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    TcpLinkSocket socket;
    aimAt(socket, server.serverPort());
    QSignalSpy spy(&socket, &LinkSocket::stateChanged);
    socket.connectToDevice();
    QTRY_COMPARE(socket.state(), LinkState::Connected);
    socket.close();

    QList<LinkState> states;
    for (const QList<QVariant> &arguments : spy)
        states.append(arguments.at(0).value<LinkState>());
    QVERIFY(states.size() >= 3);
    QCOMPARE(states.last(), LinkState::Closed);
    QCOMPARE(states.at(states.size() - 2), LinkState::Connected);
    for (int i = 1; i < states.size(); ++i)
        QVERIFY2(states[i] != states[i - 1], "a state was reported twice in a row");
    QVERIFY(states.first() != LinkState::Closed); // starting from closed is no change
}

QTEST_GUILESS_MAIN(tst_TcpLinkSocket)
#include "tst_tcplinksocket.moc"
