#include "standardoutput.h"

#include "programvoice.h"
#include "standardstreams.h"

#include <QtCore/QByteArray>
#include <QtCore/QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace Console {

namespace {

QString failureText(int error)
{
    if (StandardStreams::outputWasClosed()) {
        return QCoreApplication::translate("Console",
                                           "cannot write to standard output: it was closed when "
                                           "the program started; start it with its output open, "
                                           "or send the output to a file");
    }
    const QString reason = error != 0 ? QString::fromLocal8Bit(std::strerror(error))
                                      : QCoreApplication::translate("Console", "the write failed");
    if (error == ENOSPC) {
        return QCoreApplication::translate("Console",
                                           "cannot write to standard output: %1; free some space, "
                                           "or send the output elsewhere")
                .arg(reason);
    }
    return QCoreApplication::translate("Console",
                                       "cannot write to standard output: %1; send the output "
                                       "elsewhere")
            .arg(reason);
}

} // namespace

int printLast(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    // A closed output holds the null device, which would take the text without a word.
    errno = 0;
    const bool written = !StandardStreams::outputWasClosed()
            && std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout)
                    == size_t(bytes.size());
    int error = errno;
    // Most of a failure shows only when the buffer is flushed, which closing does.
    const bool closed = std::fclose(stdout) == 0;
    if (written && closed)
        return 0;
    if (written || error == 0)
        error = errno;
    tell(failureText(error));
    return 1;
}

} // namespace Console
