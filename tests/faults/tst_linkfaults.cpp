#include "commanddecoder.h"
#include "common/connectionwait.h"
#include "devicelink.h"
#include "linkstate.h"
#include "tcplinksocket.h"

#include <QtCore/QElapsedTimer>
#include <QtCore/QTimer>
#include <QtNetwork/QTcpServer>
#include <QtNetwork/QTcpSocket>
#include <QtTest/QtTest>

#include <arpa/inet.h>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

using Protocol::Pieces;

// The real link against devices that misbehave: absent, stuck in the handshake, hanging up,
// resetting, or no longer reading.
class tst_LinkFaults : public QObject
{
    Q_OBJECT

private slots:
    void nothingListeningThenDeviceAppears();
    void handshakeNeverCompletes();
    void deviceDropsConnection_data();
    void deviceDropsConnection();
    void deviceStopsReading();

private:
    void verifyWaitEndsRedWithoutSpinning(DeviceLink &link);
};

namespace {

// A plain listening socket that Qt's event loop never sees, so nothing accepts or reads from
// it unless the test does.
class RawListener
{
public:
    RawListener(int backlog, int receiveBuffer = 0)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (m_fd < 0)
            return;
        if (receiveBuffer > 0) {
            // Set before listen() so the accepted socket inherits it with a small window.
            ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        }
        sockaddr_in address = loopback(0);
        socklen_t length = sizeof address;
        if (::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
            || ::listen(m_fd, backlog) != 0
            || ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
            ::close(m_fd);
            m_fd = -1;
            return;
        }
        m_port = ntohs(address.sin_port);
    }
    ~RawListener()
    {
        for (int fd : m_accepted)
            ::close(fd);
        if (m_fd >= 0)
            ::close(m_fd);
    }
    RawListener(const RawListener &) = delete;
    RawListener &operator=(const RawListener &) = delete;

    static sockaddr_in loopback(quint16 port)
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return address;
    }

    bool isListening() const { return m_fd >= 0; }
    quint16 port() const { return m_port; }

    // A queued connection, non-blocking, or -1 when none is waiting.
    int acceptOne()
    {
        const int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0)
            m_accepted.push_back(fd);
        return fd;
    }

private:
    int m_fd = -1;
    quint16 m_port = 0;
    std::vector<int> m_accepted;
};

// Client sockets that connect to a listener and are never accepted; they hold its queue full.
class QueueFiller
{
public:
    ~QueueFiller()
    {
        for (int fd : m_fds)
            ::close(fd);
    }

    // Opens connections until one no longer completes its handshake, which means the
    // listener's accept queue is full. Bounded in count and in time per connection.
    bool fill(quint16 port)
    {
        constexpr int MaxFillers = 16;
        constexpr int HandshakeWaitMs = 300;
        const sockaddr_in address = RawListener::loopback(port);
        for (int i = 0; i < MaxFillers; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (fd < 0)
                return false;
            m_fds.push_back(fd);
            if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
                continue;
            if (errno != EINPROGRESS)
                return false;
            pollfd entry{fd, POLLOUT, 0};
            if (::poll(&entry, 1, HandshakeWaitMs) == 0)
                return true; // this one is stuck: the queue is full
        }
        return false;
    }

private:
    std::vector<int> m_fds;
};

quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

Pieces timeCommand(int n)
{
    static const QDateTime base(QDate(2018, 7, 4), QTime(0, 0, 0));
    return Protocol::setTime(base.addSecs(n % 86400));
}

// Runs one connection attempt to its end and reports the processor time it took, in
// milliseconds.
double connectCpuMs(DeviceLink &link)
{
    const std::clock_t start = std::clock();
    connectAndWait(link);
    return double(std::clock() - start) * 1000.0 / CLOCKS_PER_SEC;
}

// Reads everything the socket has now, without blocking.
QByteArray drain(int fd)
{
    QByteArray received;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        received.append(buffer, n);
    }
    return received;
}

// The connection wait must neither end early nor busy-wait: a spinning loop would burn a
// whole core for the two seconds, and timers must still run during it.
constexpr double MaxConnectCpuMs = Device::ConnectWaitMs / 2.0;
constexpr int TickMs = 50;

} // namespace

// A connection attempt that finds no device waits the whole two seconds, keeps timers running,
// costs little processor time, and reports that the link did not come up.
void tst_LinkFaults::verifyWaitEndsRedWithoutSpinning(DeviceLink &link)
{
    QTimer ticker;
    int ticks = 0;
    connect(&ticker, &QTimer::timeout, this, [&ticks] { ++ticks; });
    ticker.start(TickMs);

    QElapsedTimer elapsed;
    elapsed.start();
    QSignalSpy outcomes(&link, &DeviceLink::connectionWaitEnded);
    const double cpuMs = connectCpuMs(link);
    QVERIFY2(elapsed.elapsed() >= Device::ConnectWaitMs - 100,
             qPrintable(QString::number(elapsed.elapsed())));
    QVERIFY2(cpuMs < MaxConnectCpuMs, qPrintable(QString::number(cpuMs)));
    QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
    QCOMPARE(outcomes.size(), 1);
    QCOMPARE(outcomes.at(0).at(0).toBool(), false);
}

void tst_LinkFaults::nothingListeningThenDeviceAppears()
{
    const quint16 port = freePort();
    QVERIFY(port != 0);
    TcpLinkSocket socket;
    socket.setRemotePort(port);
    DeviceLink link(socket);

    verifyWaitEndsRedWithoutSpinning(link);
    if (QTest::currentTestFailed())
        return;

    // While nobody listens, each press is dropped and retries; none of them blocks.
    for (int i = 0; i < 3; ++i) {
        QVERIFY(!link.sendToDevice(Protocol::test()));
        QTRY_COMPARE(socket.state(), LinkState::Error);
    }

    // The clock is switched on: the next press reconnects and the one after goes out.
    QTcpServer device;
    if (!device.listen(QHostAddress::LocalHost, port))
        QSKIP("the ephemeral port was taken by someone else meanwhile");
    QVERIFY(!link.sendToDevice(Protocol::test()));
    QTRY_COMPARE(socket.state(), LinkState::Connected);
    QTRY_VERIFY(device.hasPendingConnections());
    QTcpSocket *peer = device.nextPendingConnection();
    QVERIFY(link.sendToDevice(Protocol::stopAlarm()));
    QTRY_COMPARE(peer->bytesAvailable(), qint64(1));
    QCOMPARE(peer->readAll(), QByteArray("S"));
}

void tst_LinkFaults::handshakeNeverCompletes()
{
    RawListener listener(0);
    QVERIFY(listener.isListening());
    QueueFiller filler;
    QVERIFY2(filler.fill(listener.port()), "could not fill the accept queue");

    TcpLinkSocket socket;
    socket.setRemotePort(listener.port());
    DeviceLink link(socket);
    QSignalSpy states(&socket, &LinkSocket::stateChanged);

    verifyWaitEndsRedWithoutSpinning(link);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(socket.state(), LinkState::Connecting);
    for (const QList<QVariant> &change : std::as_const(states)) {
        const LinkState state = change.at(0).value<LinkState>();
        QVERIFY2(state >= LinkState::ResolvingHost && state <= LinkState::Connecting,
                 Link::stateName(state));
    }

    // A press during the attempt is dropped and must neither restart nor wait for it. A wait
    // for the handshake would take seconds; the drop takes microseconds.
    states.clear();
    QElapsedTimer elapsed;
    elapsed.start();
    for (int i = 0; i < 100; ++i)
        QVERIFY(!link.sendToDevice(timeCommand(i)));
    QVERIFY2(elapsed.elapsed() < 1000, qPrintable(QString::number(elapsed.elapsed())));
    QCOMPARE(socket.state(), LinkState::Connecting);
    QCOMPARE(states.count(), 0);
    QCOMPARE(socket.bytesToWrite(), qint64(0));
}

void tst_LinkFaults::deviceDropsConnection_data()
{
    QTest::addColumn<bool>("reset");
    QTest::addColumn<QByteArray>("talkBack");
    QTest::newRow("hangs up") << false << QByteArray();
    QTest::newRow("resets") << true << QByteArray();
    QTest::newRow("talks, then hangs up") << false << QByteArray(4096, 'x');
    QTest::newRow("talks, then resets") << true << QByteArray(4096, 'x');
}

void tst_LinkFaults::deviceDropsConnection()
{
    QFETCH(bool, reset);
    QFETCH(QByteArray, talkBack);

    QTcpServer device;
    QVERIFY(device.listen(QHostAddress::LocalHost, 0));
    TcpLinkSocket socket;
    socket.setRemotePort(device.serverPort());
    DeviceLink link(socket);
    QVERIFY(connectAndWait(link));
    QTRY_VERIFY(device.hasPendingConnections());
    QTcpSocket *first = device.nextPendingConnection();

    QVERIFY(link.sendToDevice(Protocol::enableAlarm()));
    QTRY_COMPARE(first->bytesAvailable(), qint64(1));
    QCOMPARE(first->readAll(), QByteArray("E"));

    if (!talkBack.isEmpty()) {
        first->write(talkBack);
        QVERIFY(first->waitForBytesWritten(5000));
    }
    if (reset) {
        // A zero linger time turns the close into a reset.
        const linger noLinger{1, 0};
        QVERIFY(::setsockopt(int(first->socketDescriptor()), SOL_SOCKET, SO_LINGER, &noLinger,
                             sizeof noLinger)
                == 0);
    }
    first->close();
    if (reset) {
        QTRY_VERIFY2(socket.state() == LinkState::ClosedByPeer
                             || socket.state() == LinkState::Error,
                     Link::stateName(socket.state()));
    } else {
        QTRY_COMPARE(socket.state(), LinkState::ClosedByPeer);
    }

    // The press that finds the broken link is dropped and starts a fresh connection...
    QVERIFY(!link.sendToDevice(Protocol::stopAlarm()));
    QTRY_COMPARE(socket.state(), LinkState::Connected);
    QTRY_VERIFY(device.hasPendingConnections());
    QTcpSocket *second = device.nextPendingConnection();
    // ...and the next press goes out whole on it, with nothing of the dropped one.
    const Pieces command = timeCommand(3600);
    QVERIFY(link.sendToDevice(command));
    const QByteArray expected = Protocol::bytes(command);
    QTRY_COMPARE(second->bytesAvailable(), qint64(expected.size()));
    QCOMPARE(second->readAll(), expected);
}

void tst_LinkFaults::deviceStopsReading()
{
    RawListener listener(1, 4096);
    QVERIFY(listener.isListening());
    TcpLinkSocket socket;
    socket.setRemotePort(listener.port());
    DeviceLink link(socket);
    QVERIFY(connectAndWait(link));
    const int peer = listener.acceptOne();
    QVERIFY(peer >= 0);

    // The user keeps pressing from the event loop while the device reads nothing. The flood
    // runs until the queue has overflowed and the clock timer has ticked many times since:
    // a send that blocked on the full socket would stop both.
    constexpr int Batch = 64;
    constexpr int MaxCommands = 400000; // several times what the kernel's buffers hold
    constexpr int TicksAfterOverflow = 20;
    QByteArray accepted;
    int sent = 0;
    int dropped = 0;
    int ticksAtOverflow = -1;
    qint64 maxQueued = 0;

    QTimer ticker;
    int ticks = 0;
    connect(&ticker, &QTimer::timeout, this, [&ticks] { ++ticks; });
    ticker.start(10);

    QTimer flooder;
    flooder.setInterval(0);
    connect(&flooder, &QTimer::timeout, this, [&] {
        for (int i = 0; i < Batch && sent < MaxCommands; ++i) {
            const Pieces command = timeCommand(sent++);
            if (link.sendToDevice(command)) {
                accepted += Protocol::bytes(command);
            } else {
                ++dropped;
                if (ticksAtOverflow < 0)
                    ticksAtOverflow = ticks;
            }
            maxQueued = qMax(maxQueued, socket.bytesToWrite());
        }
        if (sent >= MaxCommands
            || (ticksAtOverflow >= 0 && ticks - ticksAtOverflow >= TicksAfterOverflow))
            flooder.stop();
    });
    flooder.start();
    QTRY_VERIFY_WITH_TIMEOUT(!flooder.isActive(), 60000);

    QVERIFY2(dropped > 0, "the queue never overflowed");
    QVERIFY2(ticksAtOverflow >= 0 && ticks - ticksAtOverflow >= TicksAfterOverflow,
             qPrintable(QStringLiteral("ticks %1 since overflow at %2 of %3 commands")
                                .arg(ticks - ticksAtOverflow)
                                .arg(sent - dropped)
                                .arg(sent)));
    QVERIFY2(maxQueued <= DeviceLink::MaxQueuedBytes + Protocol::MaxCommandBytes,
             qPrintable(QString::number(maxQueued)));
    QCOMPARE(socket.state(), LinkState::Connected);

    // The device reads again: what arrives is exactly the accepted commands, in order, and
    // every byte belongs to a whole command.
    QByteArray received;
    QTRY_VERIFY_WITH_TIMEOUT((received += drain(peer),
                              received.size() >= accepted.size() && socket.bytesToWrite() == 0),
                             30000);
    received += drain(peer);
    QCOMPARE(received.size(), accepted.size());
    QVERIFY(received == accepted);

    Protocol::Decoder decoder;
    int commands = 0;
    for (qsizetype offset = 0; offset < received.size(); offset += 4096) {
        for (const Protocol::Decoder::Event &event : decoder.feed(received.mid(offset, 4096))) {
            QVERIFY2(event.command, event.malformed.left(64).constData());
            ++commands;
        }
    }
    QVERIFY(decoder.finish().isEmpty());
    QCOMPARE(commands, sent - dropped);
}

QTEST_GUILESS_MAIN(tst_LinkFaults)
#include "tst_linkfaults.moc"
