#include "settingsplatform.h"

#include <QtCore/QDir>
#include <QtCore/QFile>

// Qt does not report a file's link count, so the settings layer asks the system here, in the
// one place where it depends on the platform.
#if defined(Q_OS_UNIX)
#    include <sys/stat.h>
#elif defined(Q_OS_WIN)
#    include <windows.h>
#endif

namespace Settings {

qint64 linkCount(const QString &path)
{
#if defined(Q_OS_UNIX)
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return 1;
    return static_cast<qint64>(info.st_nlink);
#elif defined(Q_OS_WIN)
    const QString native = QDir::toNativeSeparators(path);
    const HANDLE file = CreateFileW(reinterpret_cast<const wchar_t *>(native.utf16()), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    BY_HANDLE_FILE_INFORMATION info = {};
    const bool known = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    return known ? static_cast<qint64>(info.nNumberOfLinks) : 1;
#else
    Q_UNUSED(path);
    return 1;
#endif
}

} // namespace Settings
