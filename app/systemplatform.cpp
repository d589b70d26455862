#include "systemplatform.h"

#include "applog.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QSysInfo>
#include <QtGui/QDesktopServices>
#include <QtNetwork/QLocalSocket>
#include <QtWidgets/QApplication>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QWidget>

#include <cerrno>

QDateTime SystemPlatform::now() const
{
    return QDateTime::currentDateTime();
}

namespace {

// A copy that starts at the same moment may have made the lock file without having written
// its process id into it yet; this long a second look tells it from a file that no copy will
// ever fill.
constexpr int LockSettleMs = 300;
// QLockFile writes a few short lines; a file longer than this says nothing more.
constexpr qint64 MaxLockBytes = 4096;

SingleCopyClaim failedClaim(const QString &failure)
{
    return {SingleCopyClaim::Outcome::Failed, failure};
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QByteArray lockBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(MaxLockBytes) : QByteArray();
}

struct LockHolder
{
    enum class Where { Nobody, ThisMachine, OtherMachine };
    Where where = Where::Nobody;
    qint64 pid = 0;
    QString machine;
};

// Who holds the lock, from the lines QLockFile writes: the process id, the program's name,
// the machine's name, its unique id and the boot's id. A file without a process id (empty,
// or cut short by a power cut during the write) names nobody. The machine is judged as
// QLockFile judges it: by its unique id when both sides know theirs, else by its name, so
// that a machine renamed since is still this one.
LockHolder holderOf(const QByteArray &bytes, const QString &thisMachine)
{
    const QList<QByteArray> lines = bytes.split('\n');
    bool ok = false;
    LockHolder holder;
    holder.pid = lines.value(0).trimmed().toLongLong(&ok);
    if (!ok || holder.pid <= 0)
        return {};
    holder.machine = QString::fromUtf8(lines.value(2).trimmed());
    const QByteArray machineId = lines.value(3).trimmed();
    const QByteArray ourId = QSysInfo::machineUniqueId();
    const bool here = !machineId.isEmpty() && !ourId.isEmpty()
            ? machineId == ourId
            : holder.machine.isEmpty() || holder.machine == thisMachine;
    holder.where = here ? LockHolder::Where::ThisMachine : LockHolder::Where::OtherMachine;
    return holder;
}

QString heldElsewhere(const QString &path, const LockHolder &holder)
{
    return QCoreApplication::translate(
                   "SystemPlatform",
                   "the lock %1 is held by process %2 on the machine \"%3\", which "
                   "shares this home folder. If Dawnbell no longer runs there, or that "
                   "machine is gone, delete %1 and start Dawnbell again.")
            .arg(native(path))
            .arg(holder.pid)
            .arg(holder.machine);
}

} // namespace

QString SystemPlatform::lockFilePath(QString *failure)
{
    QString problem;
    const LockPlace place = lockPlace(&problem);
    if (failure)
        *failure = problem;
    return place.path;
}

SingleCopyClaim SystemPlatform::claimSingleCopy()
{
    const SingleCopyClaim claim = claimLock();
    const QString name = callName(m_lock ? m_lock->fileName() : QString());
    if (claim.outcome == SingleCopyClaim::Outcome::Taken)
        answerCalls(name);
    else if (claim.outcome == SingleCopyClaim::Outcome::HeldByOtherCopy)
        callRunningCopy(name);
    return claim;
}

namespace {

// How long a later start waits for the running copy to take its call: a running copy's event
// loop takes it at once; a copy that is stuck is not waited for.
constexpr int CallWaitMs = 1000;

// Shows the main window as the user left it, though not minimised, on top and with the focus.
void bringMainWindowForward()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->parentWidget() || !window->isVisible())
            continue; // a dialog, a menu, or a window still starting up
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        window->raise();
        window->activateWindow();
    }
}

} // namespace

void SystemPlatform::answerCalls(const QString &name)
{
    m_callServer = std::make_unique<QLocalServer>();
    m_callServer->setSocketOptions(QLocalServer::UserAccessOption);
    // Holding the lock, this copy is the only one: a socket of that name is a crashed copy's.
    QLocalServer::removeServer(name);
    if (!m_callServer->listen(name)) {
        qCInfo(lcApp).noquote() << "a later start cannot call this copy forward:"
                                << m_callServer->errorString();
        return;
    }
    QLocalServer *server = m_callServer.get();
    QObject::connect(server, &QLocalServer::newConnection, server, [server] {
        // A call carries nothing to read: being called is the request. Each one is closed at
        // once, so no caller holds anything open here.
        while (QLocalSocket *call = server->nextPendingConnection()) {
            call->abort();
            call->deleteLater();
        }
        bringMainWindowForward();
    });
}

void SystemPlatform::callRunningCopy(const QString &name)
{
    QLocalSocket call;
    call.connectToServer(name);
    if (!call.waitForConnected(CallWaitMs))
        qCInfo(lcApp).noquote() << "the running copy did not take the call:" << call.errorString();
    call.abort();
}

// A lock is the running copy's only while that copy runs on this machine. What a crash or a
// power cut leaves (a file naming a process that is gone, an empty or garbled file) and a
// lock from another machine in a folder only this machine sees are taken over. Only a lock
// from another machine in a folder that machine shares is left to the user, who can tell
// whether that machine still runs the panel.
SingleCopyClaim SystemPlatform::claimLock()
{
    QString failure;
    const LockPlace place = lockPlace(&failure);
    if (place.path.isEmpty())
        return failedClaim(failure);
    m_lock = std::make_unique<QLockFile>(place.path);
    // No age limit: a running panel holds its lock for as long as it runs.
    m_lock->setStaleLockTime(0);
    for (const int waitMs : {0, LockSettleMs}) {
        if (m_lock->tryLock(waitMs))
            return {};
        const int error = errno;
        if (m_lock->error() != QLockFile::LockFailedError) {
            return failedClaim(QCoreApplication::translate("SystemPlatform", "cannot create %1: %2")
                                       .arg(native(place.path), qt_error_string(error)));
        }
        const QByteArray bytes = lockBytes(place.path);
        const LockHolder holder = holderOf(bytes, machineName());
        if (holder.where == LockHolder::Where::ThisMachine && isRunningHere(holder.pid))
            return {SingleCopyClaim::Outcome::HeldByOtherCopy, {}};
        if (holder.where == LockHolder::Where::OtherMachine && place.seenByOtherMachines)
            return failedClaim(heldElsewhere(place.path, holder));
        const bool mayBeFilling = holder.where == LockHolder::Where::Nobody && waitMs == 0;
        if (!mayBeFilling && takeOverStaleLock(bytes))
            return {};
    }
    return failedClaim(
            QCoreApplication::translate("SystemPlatform",
                                        "%1 is in the way: no running copy holds it, and it "
                                        "cannot be replaced")
                    .arg(native(place.path)));
}

// Under the guard that QLockFile takes for its own stale locks, so that of two copies taking
// over at once neither removes the other's new lock: the file goes only while it still holds
// the bytes judged stale, and the new lock is in place before the guard is released. A file
// that a live process holds open cannot be removed at all.
bool SystemPlatform::takeOverStaleLock(const QByteArray &judgedBytes)
{
    QLockFile guard(m_lock->fileName() + QLatin1String(".rmlock"));
    if (!guard.tryLock(0) || lockBytes(m_lock->fileName()) != judgedBytes)
        return false;
    m_lock->removeStaleLockFile();
    return m_lock->tryLock(0);
}

namespace {

QMessageBox::Icon iconOf(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Information:
        break;
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::Information;
}

} // namespace

void SystemPlatform::showMessage(MessageKind kind, const QString &caption, const QString &text)
{
    QMessageBox box(iconOf(kind), caption, text, QMessageBox::Ok);
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
