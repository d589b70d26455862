#include "systemplatform.h"

#include <QtCore/QAbstractNativeEventFilter>
#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QSocketNotifier>
#include <QtCore/QStandardPaths>
#include <QtGui/QDesktopServices>
#include <QtGui/QGuiApplication>
#include <QtWidgets/QApplication>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QWidget>

// The one place for calls that exist on Unix only.
#ifdef Q_OS_UNIX
#    include <cerrno>
#    include <csignal>
#    include <fcntl.h>
#    include <unistd.h>
#endif
#ifdef DAWNBELL_HAVE_XCB
#    include <xcb/xcb.h>
#endif

void SystemPlatform::prepareProcess()
{
#ifdef Q_OS_UNIX
    // Past a file-size limit a write must fail like any other, so the atomic save keeps the
    // old settings file and the panel still ends normally, instead of the signal killing it.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

QDateTime SystemPlatform::now() const
{
    return QDateTime::currentDateTime();
}

QString SystemPlatform::lockFilePath()
{
    // The session's runtime folder is the account's own (Qt takes it only when the account
    // owns it), and the lock is named after the account's number, never after a variable
    // such as USER that a user can change or unset.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
#ifdef Q_OS_UNIX
    const QString name = QStringLiteral("dawnbell-%1.lock").arg(::getuid());
#else
    const QString name = QStringLiteral("dawnbell.lock");
#endif
    return QDir(folder).filePath(name);
}

bool SystemPlatform::claimSingleCopy()
{
    m_lock = std::make_unique<QLockFile>(lockFilePath());
    // No age limit: a lock is stale only when the copy that took it is gone, which QLockFile
    // checks by its process id, so a killed panel never blocks the next start.
    m_lock->setStaleLockTime(0);
    return m_lock->tryLock(0);
}

void SystemPlatform::showMessage(const QString &caption, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok);
    box.exec();
}

bool SystemPlatform::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

void SystemPlatform::beep()
{
    QApplication::beep();
}

void SystemPlatform::endProcess()
{
    QCoreApplication::exit(0);
}

// Tells the watch when another client destroys the window's native counterpart, which the
// toolkit itself does not report: the process would live on without a window.
class ShutdownWatch::WindowFilter : public QAbstractNativeEventFilter
{
public:
    WindowFilter(ShutdownWatch *watch, quintptr windowId)
        : m_watch(watch)
        , m_windowId(windowId)
    { }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
#ifdef DAWNBELL_HAVE_XCB
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        if ((event->response_type & 0x7f) != XCB_DESTROY_NOTIFY)
            return false;
        const auto *destroyed = static_cast<const xcb_destroy_notify_event_t *>(message);
        if (destroyed->window == m_windowId) {
            QMetaObject::invokeMethod(
                    m_watch,
                    [watch = m_watch] {
                        emit watch->endRequested(QStringLiteral("window destroyed"));
                    },
                    Qt::QueuedConnection);
        }
#else
        Q_UNUSED(eventType);
        Q_UNUSED(message);
#endif
        return false;
    }

private:
    ShutdownWatch *m_watch;
    quintptr m_windowId;
};

namespace {

#ifdef Q_OS_UNIX
// The signal handler's end of the pipe; the event loop reads the other end.
int signalPipe[2] = {-1, -1};

// Only async-signal-safe calls here: the signal's number goes down the pipe, and the event
// loop does the rest.
void onTerminationSignal(int signal)
{
    const int savedErrno = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

QString signalName(int signal)
{
    switch (signal) {
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGINT:
        return QStringLiteral("SIGINT");
    case SIGHUP:
        return QStringLiteral("SIGHUP");
    case SIGQUIT:
        return QStringLiteral("SIGQUIT");
    }
    return QStringLiteral("signal %1").arg(signal);
}
#endif

} // namespace

ShutdownWatch::ShutdownWatch(QObject *parent)
    : QObject(parent)
{
    watchSignals();
    // The session manager ends the session: a logout or a shutdown of the desktop.
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this,
                [this] { emit endRequested(QStringLiteral("end of session")); });
    }
}

ShutdownWatch::~ShutdownWatch()
{
    if (m_windowFilter)
        QCoreApplication::instance()->removeNativeEventFilter(m_windowFilter.get());
#ifdef Q_OS_UNIX
    // Past this point no event loop reads the pipe: a signal ends the process at once again.
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT})
        std::signal(signal, SIG_DFL);
#endif
}

void ShutdownWatch::watchWindow(QWidget *window)
{
    if (m_windowFilter || !QCoreApplication::instance())
        return;
    m_windowFilter = std::make_unique<WindowFilter>(this, window->winId());
    QCoreApplication::instance()->installNativeEventFilter(m_windowFilter.get());
}

void ShutdownWatch::watchSignals()
{
#ifdef Q_OS_UNIX
    if (signalPipe[0] < 0) {
        if (::pipe(signalPipe) != 0)
            return;
        for (const int fd : signalPipe) {
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
            ::fcntl(fd, F_SETFL, O_NONBLOCK);
        }
    }
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        while (::read(signalPipe[0], &byte, 1) == 1)
            emit endRequested(signalName(byte));
    });

    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT})
        ::sigaction(signal, &action, nullptr);
#endif
}
