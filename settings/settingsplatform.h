#pragma once

#include <QtCore/QString>

namespace Settings {

// How many names (hard links) the file at `path` has; 1 when the system cannot tell. A file
// with more names shares its content with them, so replacing it by a new file would part them.
qint64 linkCount(const QString &path);

} // namespace Settings
