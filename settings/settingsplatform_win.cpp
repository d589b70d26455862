#include "settingsplatform.h"

#include <QtCore/QDir>

#include <windows.h>

namespace Settings {

// Qt does not report a file's link count, so the settings layer asks the system.
qint64 linkCount(const QString &path)
{
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
}

} // namespace Settings
