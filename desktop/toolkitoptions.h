#pragma once

#include <QtCore/QCommandLineOption>
#include <QtCore/QList>

namespace Toolkit {

// The toolkit's own command-line options that a program with a window hands on to it
// (-platform, -qwindowgeometry, -style, ...), each with what it does. A program's parser
// takes them hidden, so they are no mistakes and --help stays short; --help-all shows them.
enum class Visibility { Hidden, Shown };
QList<QCommandLineOption> options(Visibility visibility);

} // namespace Toolkit
