// Prints figures for the device link: processor time of the connection wait, latency of a
// command to a loopback listener, and TCP segments per command.

#include "deviceconstants.h"
#include "devicelink.h"
#include "linkstate.h"
#include "tcplinksocket.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QEventLoop>
#include <QtCore/QTimer>
#include <QtNetwork/QTcpServer>
#include <QtNetwork/QTcpSocket>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

#ifdef Q_OS_LINUX
#    include <linux/tcp.h>
#    include <netinet/in.h>
#    include <sys/socket.h>
#endif

namespace {

constexpr int LatencySends = 2000;
constexpr int SegmentSends = 200;

double cpuSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

// Serves events until the link's connection wait has ended.
void connectAndWait(DeviceLink &link)
{
    QEventLoop loop;
    QObject::connect(&link, &DeviceLink::connectionWaitEnded, &loop, &QEventLoop::quit);
    link.connectToDevice();
    loop.exec();
}

void runEventsFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A listener whose accept queue is full, so a further handshake never completes and a
// connection attempt stays under way for the whole wait.
struct SilentDevice
{
    QTcpServer server;
    std::vector<std::unique_ptr<QTcpSocket>> fillers;

    bool start()
    {
        if (!server.listen(QHostAddress::LocalHost, 0))
            return false;
        server.pauseAccepting();
        for (int i = 0; i < 200; ++i) {
            auto filler = std::make_unique<QTcpSocket>();
            filler->connectToHost(QHostAddress::LocalHost, server.serverPort());
            fillers.push_back(std::move(filler));
        }
        runEventsFor(300);
        return true;
    }
};

struct Connected
{
    QTcpServer server;
    TcpLinkSocket socket;
    DeviceLink link{socket};
    QTcpSocket *peer = nullptr;

    bool start()
    {
        if (!server.listen(QHostAddress::LocalHost, 0))
            return false;
        socket.setRemotePort(server.serverPort());
        connectAndWait(link);
        if (socket.state() != LinkState::Connected)
            return false;
        if (!server.hasPendingConnections() && !server.waitForNewConnection(2000))
            return false;
        peer = server.nextPendingConnection();
        return peer != nullptr;
    }

    // Runs events until the peer holds `size` bytes, then takes them.
    void receive(qint64 size)
    {
        QEventLoop loop;
        QObject::connect(peer, &QTcpSocket::readyRead, &loop, [&] {
            if (peer->bytesAvailable() >= size)
                loop.quit();
        });
        if (peer->bytesAvailable() < size)
            loop.exec();
        peer->read(size);
    }
};

qint64 dataSegmentsIn(QTcpSocket *socket)
{
#ifdef Q_OS_LINUX
    tcp_info info{};
    socklen_t length = sizeof info;
    if (::getsockopt(int(socket->socketDescriptor()), IPPROTO_TCP, TCP_INFO, &info, &length) == 0)
        return info.tcpi_data_segs_in;
#else
    Q_UNUSED(socket);
#endif
    return -1;
}

void connectionWait()
{
    SilentDevice device;
    if (!device.start()) {
        std::printf("connection wait: no listener\n");
        return;
    }

    TcpLinkSocket socket;
    socket.setRemotePort(device.server.serverPort());
    DeviceLink link(socket);
    QElapsedTimer wall;
    wall.start();
    double cpu = cpuSeconds();
    connectAndWait(link);
    cpu = cpuSeconds() - cpu;
    const qint64 ms = wall.elapsed();
    const LinkState endState = socket.state();

    // The shape this replaces: poll the event queue until the time is up.
    TcpLinkSocket polled;
    polled.setRemotePort(device.server.serverPort());
    polled.connectToDevice();
    QElapsedTimer pollWall;
    pollWall.start();
    double pollCpu = cpuSeconds();
    while (pollWall.elapsed() < Device::ConnectWaitMs && polled.state() != LinkState::Connected)
        QCoreApplication::processEvents();
    pollCpu = cpuSeconds() - pollCpu;

    std::printf("1. unanswered connection wait (state %s at the end: %s)\n",
                Link::stateName(endState),
                endState == LinkState::Connecting ? "handshake pending" : "not pending");
    std::printf("   %-28s %8s %10s %8s\n", "", "wall ms", "cpu ms", "cpu %");
    std::printf("   %-28s %8lld %10.1f %8.1f\n", "connection wait (sleeps)", ms, cpu * 1000,
                100.0 * cpu * 1000 / double(ms));
    std::printf("   %-28s %8lld %10.1f %8.1f\n", "polling loop (anchor)", pollWall.elapsed(),
                pollCpu * 1000, 100.0 * pollCpu * 1000 / double(pollWall.elapsed()));
}

void sendLatency()
{
    Connected device;
    if (!device.start()) {
        std::printf("2. latency: no connection\n");
        return;
    }
    const Protocol::Pieces command
            = Protocol::setTime(QDateTime(QDate(2018, 7, 4), QTime(15, 5, 32)));
    const qint64 size = Protocol::bytes(command).size();
    std::vector<qint64> micros;
    micros.reserve(LatencySends);
    QElapsedTimer clock;
    for (int i = 0; i < LatencySends; ++i) {
        clock.start();
        if (!device.link.sendToDevice(command))
            break;
        device.receive(size);
        micros.push_back(clock.nsecsElapsed() / 1000);
    }
    if (micros.empty()) {
        std::printf("2. latency: nothing sent\n");
        return;
    }
    std::sort(micros.begin(), micros.end());
    const auto at = [&](double q) { return micros[size_t(q * double(micros.size() - 1))]; };
    std::printf("2. sendToDevice to bytes at a loopback listener, %zu \"T\" commands\n",
                micros.size());
    std::printf("   median %lld us, p99 %lld us, max %lld us\n", at(0.5), at(0.99), micros.back());
}

void segmentsPerCommand()
{
    Connected device;
    if (!device.start()) {
        std::printf("3. segments: no connection\n");
        return;
    }
    const Protocol::Pieces command
            = Protocol::setTime(QDateTime(QDate(2018, 7, 4), QTime(15, 5, 32)));
    const qint64 size = Protocol::bytes(command).size();

    // Each command completes at the listener before the next is sent, so segments of two
    // commands never merge; the kernel's data-segment counter gives the exact figure.
    const qint64 before = dataSegmentsIn(device.peer);
    for (int i = 0; i < SegmentSends; ++i) {
        device.link.sendToDevice(command);
        device.receive(size);
    }
    const qint64 linkSegments = dataSegmentsIn(device.peer) - before;

    // The shape this replaces: every piece handed to the network on its own.
    const qint64 anchorBefore = dataSegmentsIn(device.peer);
    for (int i = 0; i < SegmentSends; ++i) {
        for (const QByteArray &piece : command) {
            device.socket.write(piece);
            device.socket.flush();
        }
        device.receive(size);
    }
    const qint64 anchorSegments = dataSegmentsIn(device.peer) - anchorBefore;

    std::printf("3. TCP data segments per \"T\" command (%d commands, counted by the receiving "
                "kernel)\n",
                SegmentSends);
    if (before < 0) {
        std::printf("   not available on this platform\n");
        return;
    }
    std::printf("   %-28s %8.2f\n", "sendToDevice (one flush)",
                double(linkSegments) / SegmentSends);
    std::printf("   %-28s %8.2f\n", "flush per piece (anchor)",
                double(anchorSegments) / SegmentSends);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    connectionWait();
    sendLatency();
    segmentsPerCommand();
    return 0;
}
