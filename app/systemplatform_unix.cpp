#include "systemplatform.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QSysInfo>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

// Beside the lock, in a folder only this account can write, so no other account can answer
// or squat the call.
QString SystemPlatform::callName(const QString &lockPath)
{
    return lockPath + QStringLiteral(".call");
}

void SystemPlatform::prepareProcess()
{
    // Past a file-size limit a write must fail like any other, so the atomic save keeps the
    // old settings file and the panel still ends normally, instead of the signal killing it.
    std::signal(SIGXFSZ, SIG_IGN);
}

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

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
        return QCoreApplication::translate("SystemPlatform", "%1 is not a folder")
                .arg(native(folder));
    if (info.st_uid != ::getuid())
        return QCoreApplication::translate("SystemPlatform", "%1 belongs to another account")
                .arg(native(folder));
    if (info.st_mode & (S_IWGRP | S_IWOTH))
        return QCoreApplication::translate("SystemPlatform", "%1 can be written by other accounts")
                .arg(native(folder));
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
        return QCoreApplication::translate("SystemPlatform", "cannot create %1: %2")
                .arg(native(info.path()), QString::fromLocal8Bit(error.message().c_str()));
    }
    if (::mkdir(QFile::encodeName(folder).constData(), S_IRWXU) != 0 && errno != EEXIST)
        return QCoreApplication::translate("SystemPlatform", "cannot create %1: %2")
                .arg(native(folder), qt_error_string(errno));
    return privacyProblem(folder);
}

} // namespace

// The lock is named after the account's number, never after a variable such as USER that a
// user can change or unset. The runtime folder lives and dies with this machine's session;
// the cache folder is in the home folder, which a network share can carry to other machines.
SystemPlatform::LockPlace SystemPlatform::lockPlace(QString *failure)
{
    const QString fileName = QStringLiteral("dawnbell-%1.lock").arg(::getuid());
    if (const QString runtime = runtimeFolder(); !runtime.isEmpty())
        return {QDir(runtime).filePath(fileName), false};
    // Without a runtime folder of its own the lock must not go to a shared place such as
    // /tmp, where another account could put a file in its way.
    QString cache = xdgFolder("XDG_CACHE_HOME");
    if (cache.isEmpty())
        cache = QDir::home().filePath(QStringLiteral(".cache"));
    const QString folder = QDir(cache).filePath(QStringLiteral("dawnbell"));
    *failure = makePrivateFolder(folder);
    if (!failure->isEmpty())
        return {};
    return {QDir(folder).filePath(fileName), true};
}

// A process that another account runs cannot be signalled (EPERM): the number was given to
// another program after the panel that wrote it ended.
bool SystemPlatform::isRunningHere(qint64 pid)
{
    return pid > 0 && ::kill(pid_t(pid), 0) == 0;
}

QString SystemPlatform::machineName()
{
    return QSysInfo::machineHostName();
}

QString SystemPlatform::configHome()
{
    const QString folder = xdgFolder("XDG_CONFIG_HOME");
    return folder.isEmpty() ? QDir::home().filePath(QStringLiteral(".config")) : folder;
}
