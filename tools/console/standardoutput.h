#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QString>

#include <cerrno>
#include <cstdio>
#include <cstring>

// The last output of a command-line tool (its help, its version, a dry run's bytes), written so
// that a full disk, a closed terminal or a redirection that cannot be written is noticed: the
// text is written and standard output closed, and any failure on the way is told.
namespace Console {

// Writes `text` and closes standard output. Returns 0, or 1 after one line on stderr that
// starts with `program`.
inline int printLast(const char *program, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    errno = 0;
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout)
            == size_t(bytes.size());
    int error = errno;
    // Most of a failure shows only when the buffer is flushed, which closing does.
    const bool closed = std::fclose(stdout) == 0;
    if (written && closed)
        return 0;
    if (written || error == 0)
        error = errno;
    std::fprintf(stderr, "%s: cannot write to standard output: %s\n", program,
                 error != 0 ? std::strerror(error) : "write failed");
    return 1;
}

} // namespace Console
