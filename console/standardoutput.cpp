#include "standardoutput.h"

#include <QtCore/QByteArray>
#include <QtCore/QCoreApplication>
#include <QtCore/QString>

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
    const QString reason = error != 0 ? QString::fromLocal8Bit(std::strerror(error))
                                      : QCoreApplication::translate("Console", "write failed");
    std::fprintf(
            stderr, "%s: %s\n", program,
            qPrintable(QCoreApplication::translate("Console", "cannot write to standard output: %1")
                               .arg(reason)));
    return 1;
}

} // namespace Console
