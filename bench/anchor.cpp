// The yardstick for the panel's start-up figures: the least a Qt widget program of the same
// shape can do. It connects once to the device port, waits for the connection in an event
// loop, then shows one fixed-size window with one text label that a one-second timer
// refreshes. The label is sized to its text before the window shows, as any window that lays
// out text must be, so the anchor pays for the system's font list and one font face before its
// window maps; a label left at a fixed size would put that cost after the window maps.
//
//   bench_anchor                  one connection to 127.0.0.1:5000, event-loop wait of up to 2 s
//   bench_anchor --poll [PORT]    two waits of 2 s that poll the event queue without pause, the
//                                 first on port 5000, the second on PORT (default 5000)

#include <QtCore/QDateTime>
#include <QtCore/QElapsedTimer>
#include <QtCore/QEventLoop>
#include <QtCore/QTimer>
#include <QtNetwork/QTcpSocket>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLabel>
#include <QtWidgets/QWidget>

namespace {

constexpr quint16 DevicePort = 5000;
constexpr int WaitMs = 2000;
constexpr int TickMs = 1000;
constexpr int WindowWidth = 693;
constexpr int WindowHeight = 468;

// Waits without spending processor time: the loop sleeps until the socket reports or the time
// is up.
void waitInEventLoop(QTcpSocket &socket)
{
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    deadline.start(WaitMs);
    if (socket.state() != QAbstractSocket::ConnectedState)
        loop.exec();
}

// The shape whose cost the panel's wait is measured against: poll the event queue until the
// socket is connected or the time is up. A refused connection does not end it early.
void waitByPolling(QTcpSocket &socket)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < WaitMs && socket.state() != QAbstractSocket::ConnectedState)
        QCoreApplication::processEvents();
}

void connectTo(QTcpSocket &socket, quint16 port)
{
    socket.abort();
    socket.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const bool poll = arguments.contains(QStringLiteral("--poll"));
    quint16 secondPort = DevicePort;
    if (poll && arguments.size() > 2)
        secondPort = quint16(arguments.constLast().toUInt());

    QWidget window;
    window.setWindowTitle(QStringLiteral("bench_anchor"));
    window.setFixedSize(WindowWidth, WindowHeight);
    QLabel clock(&window);
    clock.move(20, 20);
    auto tick = [&clock] {
        clock.setText(QDateTime::currentDateTime().toString(QStringLiteral("dddd h:mm:ss AP")));
        clock.adjustSize();
    };
    tick();
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &clock, tick);
    timer.start(TickMs);

    QTcpSocket socket;
    connectTo(socket, DevicePort);
    if (poll) {
        waitByPolling(socket);
        connectTo(socket, secondPort);
        waitByPolling(socket);
    } else {
        waitInEventLoop(socket);
    }

    window.show();
    return app.exec();
}
