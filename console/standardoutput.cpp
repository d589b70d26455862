#include "standardoutput.h"

#include <QtCore/QByteArray>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace Console {

int printLast(const char *program, const QString &text)
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
