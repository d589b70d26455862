#pragma once

#include <QtCore/QString>
#include <QtCore/QStringList>

// Why the display the toolkit would open a window on does not answer, in one line that names
// it, or empty when it answers or no display server is involved. The toolkit aborts the
// process when it cannot open its display, so this is asked before it starts. `arguments`
// are the program's, its name first: the toolkit's -platform and -display options choose the
// display as much as the environment does.
QString unreachableDisplay(const QStringList &arguments);
