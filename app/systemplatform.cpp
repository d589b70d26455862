#include "systemplatform.h"

#include <QtCore/QAbstractNativeEventFilter>
#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <QtCore/QSocketNotifier>
#include <QtCore/QStandardPaths>
#include <QtCore/QSysInfo>
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
#    include <sys/stat.h>
#    include <unistd.h>
#endif
#ifdef DAWNBELL_HAVE_XCB
#    include <xcb/xcb.h>
#endif

// The one place for calls that exist on Windows only.
#ifdef Q_OS_WIN
#    include <cstdio>
#    include <shlobj.h>
#    include <windows.h>
#    include <QtCore/QMutex>
#    include <QtCore/QMutexLocker>
#endif

#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
namespace {

bool isUsableHandle(HANDLE handle)
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

// The panel is a window program, so Windows starts it without a console. Started from one,
// it joins it: --help, --version and the messages print there, and closing that console or
// Ctrl+C in it ends the panel through the shutdown that every way out takes. Output that
// the caller sent to a file or a pipe stays there.
void attachParentConsole()
{
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!isUsableHandle(GetStdHandle(STD_OUTPUT_HANDLE)))
        std::freopen("CONOUT$", "w", stdout);
    if (!isUsableHandle(GetStdHandle(STD_ERROR_HANDLE)))
        std::freopen("CONOUT$", "w", stderr);
}

// The watch that console events go to. The system calls the handler on a thread of its
// own, so the pointer is only read and cleared under the lock.
QMutex consoleWatchLock;
ShutdownWatch *consoleWatch = nullptr;

QString consoleEventName(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
        return QStringLiteral("Ctrl+C");
    case CTRL_BREAK_EVENT:
        return QStringLiteral("Ctrl+Break");
    case CTRL_CLOSE_EVENT:
        return QStringLiteral("console closed");
    }
    return QStringLiteral("console event %1").arg(event);
}

BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    {
        const QMutexLocker locker(&consoleWatchLock);
        if (!consoleWatch)
            return FALSE;
        const QString why = consoleEventName(event);
        QMetaObject::invokeMethod(
                consoleWatch, [watch = consoleWatch, why] { emit watch->endRequested(why); },
                Qt::QueuedConnection);
    }
    if (event == CTRL_CLOSE_EVENT) {
        // The system ends the process as soon as the handler returns from a close, and
        // after five seconds in any case. Staying here lets the event loop save first; the
        // process then ends by leaving main().
        Sleep(INFINITE);
    }
    return TRUE;
}

} // namespace
#endif

void SystemPlatform::prepareProcess()
{
#ifdef Q_OS_UNIX
    // Past a file-size limit a write must fail like any other, so the atomic save keeps the
    // old settings file and the panel still ends normally, instead of the signal killing it.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
#ifdef Q_OS_WIN
    attachParentConsole();
#endif
}

QDateTime SystemPlatform::now() const
{
    return QDateTime::currentDateTime();
}

namespace {

// A copy that starts at the same moment may have made the lock file without having written
// its process id into it yet; this long a second try tells it from a file that no copy will
// ever fill.
constexpr int LockSettleMs = 300;

SingleCopyClaim failedClaim(const QString &failure)
{
    return {SingleCopyClaim::Outcome::Failed, failure};
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

#ifdef Q_OS_UNIX
// An absolute path from an XDG variable; a relative one counts as unset, as the XDG base
// directory rules say.
QString xdgFolder(const char *variable)
{
    const QString value = qEnvironmentVariable(variable);
    return QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : QString();
}

// Empty when the folder is this account's and no other account can write it; otherwise
// what is wrong with it.
QString privacyProblem(const QString &folder)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0)
        return QStringLiteral("%1: %2").arg(native(folder), qt_error_string(errno));
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("%1 is not a folder").arg(native(folder));
    if (info.st_uid != ::getuid())
        return QStringLiteral("%1 belongs to another account").arg(native(folder));
    if (info.st_mode & (S_IWGRP | S_IWOTH))
        return QStringLiteral("%1 can be written by other accounts").arg(native(folder));
    return {};
}

// The session's runtime folder, when there is one that only this account can write.
QString runtimeFolder()
{
    const QString folder = xdgFolder("XDG_RUNTIME_DIR");
    return !folder.isEmpty() && privacyProblem(folder).isEmpty() ? folder : QString();
}

// Makes the folder, for this account alone, when it is missing; empty when the folder is
// there and private, otherwise what is wrong.
QString makePrivateFolder(const QString &folder)
{
    const QFileInfo info(folder);
    std::error_code error;
    std::filesystem::create_directories(info.filesystemPath(), error);
    if (error) {
        return QStringLiteral("cannot create %1: %2")
                .arg(native(info.path()), QString::fromLocal8Bit(error.message().c_str()));
    }
    if (::mkdir(QFile::encodeName(folder).constData(), S_IRWXU) != 0 && errno != EEXIST)
        return QStringLiteral("cannot create %1: %2").arg(native(folder), qt_error_string(errno));
    return privacyProblem(folder);
}

QString lockFolder(QString *failure)
{
    if (const QString runtime = runtimeFolder(); !runtime.isEmpty())
        return runtime;
    // Without a runtime folder of its own the lock must not go to a shared place such as
    // /tmp, where another account could put a file in its way.
    QString cache = xdgFolder("XDG_CACHE_HOME");
    if (cache.isEmpty())
        cache = QDir::home().filePath(QStringLiteral(".cache"));
    const QString folder = QDir(cache).filePath(QStringLiteral("dawnbell"));
    *failure = makePrivateFolder(folder);
    return failure->isEmpty() ? folder : QString();
}

QString lockFileName()
{
    return QStringLiteral("dawnbell-%1.lock").arg(::getuid());
}

bool processIsRunning(qint64 pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}
#elif defined(Q_OS_WIN)
// The account's local application-data folder: every account has its own, and it stays on
// this PC, as the running copy does. (Qt's runtime location is the home folder on Windows,
// where a lock file would be in the user's way.)
QString lockFolder(QString *failure)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder))
        *failure = QStringLiteral("no local application-data folder %1").arg(native(folder));
    return failure->isEmpty() ? folder : QString();
}

QString lockFileName()
{
    return QStringLiteral("dawnbell.lock");
}

bool processIsRunning(qint64 pid)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process) // gone, or another account's, which this account's lock never names
        return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD exitCode = 0;
    const bool running = GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}
#else
QString lockFolder(QString *failure)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    if (!QDir().mkpath(folder))
        *failure = QStringLiteral("cannot create %1").arg(native(folder));
    return failure->isEmpty() ? folder : QString();
}

QString lockFileName()
{
    return QStringLiteral("dawnbell.lock");
}

bool processIsRunning(qint64 pid)
{
    return pid > 0;
}
#endif

// Whether the lock file names a copy that still runs: on another machine sharing the folder
// it cannot be checked, and counts as running.
bool isHeldByRunningCopy(const QLockFile &lock)
{
    qint64 pid = 0;
    QString host;
    QString application;
    if (!lock.getLockInfo(&pid, &host, &application))
        return false;
    if (!host.isEmpty() && host != QSysInfo::machineHostName())
        return true;
    return processIsRunning(pid);
}

} // namespace

QString SystemPlatform::lockFilePath(QString *failure)
{
    // The lock is named after the account's number, never after a variable such as USER
    // that a user can change or unset.
    QString problem;
    const QString folder = lockFolder(&problem);
    if (failure)
        *failure = problem;
    return folder.isEmpty() ? QString() : QDir(folder).filePath(lockFileName());
}

SingleCopyClaim SystemPlatform::claimSingleCopy()
{
    QString failure;
    const QString path = lockFilePath(&failure);
    if (path.isEmpty())
        return failedClaim(failure);
    m_lock = std::make_unique<QLockFile>(path);
    // No age limit: a lock is stale only when the copy that took it is gone, which QLockFile
    // checks by its process id, so a killed panel never blocks the next start.
    m_lock->setStaleLockTime(0);
    for (const int waitMs : {0, LockSettleMs}) {
        if (m_lock->tryLock(waitMs))
            return {};
        const int error = errno;
        if (m_lock->error() != QLockFile::LockFailedError) {
            return failedClaim(QStringLiteral("cannot create %1: %2")
                                       .arg(native(path), qt_error_string(error)));
        }
        if (isHeldByRunningCopy(*m_lock))
            return {SingleCopyClaim::Outcome::HeldByOtherCopy, {}};
    }
    return failedClaim(QStringLiteral("%1 is in the way: no running copy holds it, and it "
                                      "cannot be replaced")
                               .arg(native(path)));
}

QString SystemPlatform::configHome()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    const QString folder = xdgFolder("XDG_CONFIG_HOME");
    return folder.isEmpty() ? QDir::home().filePath(QStringLiteral(".config")) : folder;
#elif defined(Q_OS_WIN)
    // The account's roaming application-data folder, which follows the account to every PC
    // it logs on to, as the rest of its settings do.
    PWSTR path = nullptr;
    QString folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &path)))
        folder = QDir::fromNativeSeparators(QString::fromWCharArray(path));
    CoTaskMemFree(path);
    return folder;
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
#endif
}

QString SystemPlatform::missingDisplay(const QString &platformOption, const QString &displayOption)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID)
    if (!displayOption.isEmpty())
        return {};
    const QString platform = platformOption.isEmpty() ? qEnvironmentVariable("QT_QPA_PLATFORM")
                                                      : platformOption;
    const bool hasX = !qEnvironmentVariableIsEmpty("DISPLAY");
    // With no platform named the toolkit takes X or Wayland, whichever the session offers.
    if (platform.isEmpty() && !hasX && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return QStringLiteral("no display to open the window on: neither DISPLAY nor "
                              "WAYLAND_DISPLAY is set");
    if (platform.startsWith(QLatin1String("xcb")) && !hasX)
        return QStringLiteral("no display to open the window on: DISPLAY is not set");
#else
    Q_UNUSED(platformOption);
    Q_UNUSED(displayOption);
#endif
    return {};
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
#ifdef Q_OS_WIN
    {
        const QMutexLocker locker(&consoleWatchLock);
        consoleWatch = this;
    }
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
#endif
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
    // Past this point no event loop reads the pipe, and the way out has been taken: the
    // settings are saved and the process is ending with the status that way chose. A later
    // termination signal must not end it with another one.
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT})
        std::signal(signal, SIG_IGN);
#endif
#ifdef Q_OS_WIN
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    const QMutexLocker locker(&consoleWatchLock);
    consoleWatch = nullptr;
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
