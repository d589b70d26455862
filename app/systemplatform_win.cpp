#include "systemplatform.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QCryptographicHash>
#include <QtCore/QDir>
#include <QtCore/QStandardPaths>

#include <cstdio>
#include <shlobj.h>
#include <windows.h>

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

} // namespace

// A pipe name, which is the machine's and not a folder's: made of the account's own lock path,
// so that each account calls its own copy. The pipe admits this account alone.
QString SystemPlatform::callName(const QString &lockPath)
{
    return QStringLiteral("dawnbell-")
            + QString::fromLatin1(
                    QCryptographicHash::hash(lockPath.toUtf8(), QCryptographicHash::Sha256)
                            .toHex());
}

void SystemPlatform::prepareProcess()
{
    attachParentConsole();
}

// The account's local application-data folder: every account has its own, and it stays on
// this PC, as the running copy does. (Qt's runtime location is the home folder on Windows,
// where a lock file would be in the user's way.)
SystemPlatform::LockPlace SystemPlatform::lockPlace(QString *failure)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        *failure = QCoreApplication::translate("SystemPlatform",
                                               "no local application-data folder %1")
                           .arg(QDir::toNativeSeparators(folder));
        return {};
    }
    return {QDir(folder).filePath(QStringLiteral("dawnbell.lock")), false};
}

// A process of this account can be asked for its exit code, even an elevated one; one that
// cannot has ended, or its number now belongs to a process of the system or of another account.
bool SystemPlatform::isRunningHere(qint64 pid)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return false;
    DWORD exitCode = 0;
    const bool running = GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

// QLockFile names the machine by its computer name, as the environment gives it.
QString SystemPlatform::machineName()
{
    return qEnvironmentVariable("COMPUTERNAME");
}

// The account's roaming application-data folder, which follows the account to every PC it
// logs on to, as the rest of its settings do.
QString SystemPlatform::configHome()
{
    PWSTR path = nullptr;
    QString folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &path)))
        folder = QDir::fromNativeSeparators(QString::fromWCharArray(path));
    CoTaskMemFree(path);
    return folder;
}
