// Prints how far after the PC's whole second the first byte of dawnbell-send's "T" command
// arrives at a loopback listener, beside a send that does not wait for the second.
//
//   bench_send PATH-OF-dawnbell-send [RUNS]
//
// Each run starts the program at a random point of a second, as a timer or a person would.

#include "commanddecoder.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDeadlineTimer>
#include <QtCore/QProcess>
#include <QtCore/QRandomGenerator>
#include <QtCore/QThread>
#include <QtNetwork/QTcpServer>
#include <QtNetwork/QTcpSocket>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#ifdef Q_OS_LINUX
#    include <poll.h>
#    include <sys/socket.h>
#    include <time.h>
#endif

namespace {

constexpr int DefaultRuns = 50;
constexpr int Lead = 2; // dawnbell-send's default lead, which the anchor adds too
constexpr char NaiveFlag[] = "--naive-send";

qint64 wallMicroseconds()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

// The anchor: connect, then send the clock's current second plus the lead at once.
int naiveSend(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(2000))
        return 1;
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket.write(Protocol::bytes(Protocol::setTime(QDateTime::currentDateTime().addSecs(Lead))));
    socket.flush();
    socket.waitForBytesWritten(2000);
    socket.disconnectFromHost();
    return 0;
}

struct Arrival
{
    qint64 atUs = -1; // wall clock when the first byte arrived
    bool stampedByKernel = false;
    QByteArray bytes;
};

#ifdef Q_OS_LINUX
// Asks for the kernel's receive time with each read, so that a delay in waking this process
// does not count against the sender. Accepted sockets take it over from the listener.
void stampArrivals(qintptr socket)
{
    const int on = 1;
    setsockopt(int(socket), SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
}

// Reads everything the peer sends until it closes, with the receive time of the first read.
Arrival receive(qintptr socket)
{
    Arrival arrival;
    const QDeadlineTimer deadline(5000);
    pollfd ready{int(socket), POLLIN, 0};
    while (poll(&ready, 1, int(deadline.remainingTime())) == 1) {
        char buffer[256];
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
        iovec part{buffer, sizeof buffer};
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t count = recvmsg(int(socket), &message, 0);
        if (count <= 0)
            break;
        if (arrival.atUs < 0) {
            const cmsghdr *header = CMSG_FIRSTHDR(&message);
            if (header && header->cmsg_level == SOL_SOCKET
                && header->cmsg_type == SCM_TIMESTAMPNS) {
                timespec at;
                std::memcpy(&at, CMSG_DATA(header), sizeof at);
                arrival.atUs = qint64(at.tv_sec) * 1000000 + at.tv_nsec / 1000;
                arrival.stampedByKernel = true;
            } else {
                arrival.atUs = wallMicroseconds();
            }
        }
        arrival.bytes.append(buffer, count);
    }
    return arrival;
}
#else
void stampArrivals(qintptr) { }

Arrival receive(QTcpSocket &peer)
{
    Arrival arrival;
    if (!peer.waitForReadyRead(5000))
        return arrival;
    arrival.atUs = wallMicroseconds();
    const QDeadlineTimer deadline(5000);
    do {
        arrival.bytes += peer.readAll();
    } while (peer.waitForReadyRead(int(deadline.remainingTime())));
    return arrival;
}
#endif

// Starts `program` at a random point of a second and records the command it delivers.
Arrival measureOnce(QTcpServer &server, const QString &program, const QStringList &arguments)
{
    QThread::usleep(QRandomGenerator::global()->bounded(1000000));
    QProcess process;
    process.start(program, arguments);
    Arrival arrival;
    if (server.waitForNewConnection(5000)) {
        QTcpSocket *peer = server.nextPendingConnection();
#ifdef Q_OS_LINUX
        // No event loop runs here, so Qt reads nothing from the socket behind our back.
        arrival = receive(peer->socketDescriptor());
#else
        arrival = receive(*peer);
#endif
        delete peer;
    }
    process.waitForFinished(10000);
    return arrival;
}

struct Figures
{
    double medianMs = NAN;
    double p99Ms = NAN;
    int failed = 0;
    int wrongSecond = 0;
    int stampedByKernel = 0;
};

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return NAN;
    std::sort(values.begin(), values.end());
    // Nearest rank: of 50 runs, p99 is the largest.
    const auto rank = std::size_t(std::ceil(fraction * double(values.size())));
    return values[std::max<std::size_t>(rank, 1) - 1];
}

Figures measure(QTcpServer &server, const QString &program, const QStringList &arguments, int runs)
{
    std::vector<double> afterSecondMs;
    Figures figures;
    for (int run = 0; run < runs; ++run) {
        const Arrival arrival = measureOnce(server, program, arguments);
        Protocol::Decoder decoder;
        const QList<Protocol::Decoder::Event> events = decoder.feed(arrival.bytes);
        std::optional<QDateTime> set;
        if (arrival.atUs >= 0 && events.size() == 1 && events.first().command)
            set = Protocol::clockTimeOf(*events.first().command);
        if (!set) {
            ++figures.failed;
            continue;
        }
        figures.stampedByKernel += arrival.stampedByKernel ? 1 : 0;
        const qint64 wholeSecondMs = arrival.atUs / 1000000 * 1000;
        afterSecondMs.push_back(double(arrival.atUs % 1000000) / 1000.0);
        // The second the command names, less the lead, is the one it arrived in.
        if (set->addSecs(-Lead).toMSecsSinceEpoch() != wholeSecondMs)
            ++figures.wrongSecond;
    }
    figures.medianMs = percentile(afterSecondMs, 0.5);
    figures.p99Ms = percentile(afterSecondMs, 0.99);
    return figures;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3 && arguments.at(1) == QLatin1String(NaiveFlag))
        return naiveSend(quint16(arguments.at(2).toUInt()));
    if (arguments.size() < 2 || arguments.size() > 3) {
        std::fprintf(stderr, "usage: bench_send PATH-OF-dawnbell-send [RUNS]\n");
        return 2;
    }
    const int runs = arguments.size() == 3 ? arguments.at(2).toInt() : DefaultRuns;
    if (runs < 1) {
        std::fprintf(stderr, "RUNS must be a positive number\n");
        return 2;
    }

    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0)) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1\n");
        return 2;
    }
    stampArrivals(server.socketDescriptor());
    const QString port = QString::number(server.serverPort());
    const Figures send = measure(server, arguments.at(1),
                                 {QStringLiteral("--host"), QStringLiteral("127.0.0.1"),
                                  QStringLiteral("--port"), port, QStringLiteral("time")},
                                 runs);
    const Figures naive = measure(server, QCoreApplication::applicationFilePath(),
                                  {QLatin1String(NaiveFlag), port}, runs);

    std::printf("first byte of \"T\" after the whole second, %d runs each (arrival times from the "
                "kernel: %d and %d):\n",
                runs, send.stampedByKernel, naive.stampedByKernel);
    std::printf("  dawnbell-send time          median %.2f ms  p99 %.2f ms  failed %d  "
                "wrong second %d\n",
                send.medianMs, send.p99Ms, send.failed, send.wrongSecond);
    std::printf("  send at once (anchor)       median %.2f ms  p99 %.2f ms  failed %d\n",
                naive.medianMs, naive.p99Ms, naive.failed);
    return 0;
}
