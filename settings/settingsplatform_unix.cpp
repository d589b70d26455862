#include "settingsplatform.h"

#include <QtCore/QFile>

#include <sys/stat.h>

namespace Settings {

// Qt does not report a file's link count, so the settings layer asks the system.
qint64 linkCount(const QString &path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return 1;
    return static_cast<qint64>(info.st_nlink);
}

} // namespace Settings
