#pragma once

#include <QtCore/QString>

// The last output of a command-line tool (its help, its version, a dry run's bytes), written so
// that a full disk, a closed terminal or a redirection that cannot be written is noticed: the
// text is written and standard output closed, and any failure on the way is told.
namespace Console {

// Writes `text` and closes standard output. Returns 0, or 1 after one line on stderr that
// says what failed and what to do.
int printLast(const QString &text);

} // namespace Console
