#include "standardstreams.h"

#include <cerrno>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace StandardStreams {

namespace {
bool outputClosed = false;
} // namespace

void holdClosedOnes()
{
    for (int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(stream, F_GETFD) != -1 || errno != EBADF)
            continue;
        if (stream == STDOUT_FILENO)
            outputClosed = true;
        // The lowest free number is this one, as every lower stream is open by now.
        const int held = ::open("/dev/null", O_RDWR);
        if (held != stream && held != -1)
            ::close(held);
    }
}

bool outputWasClosed()
{
    return outputClosed;
}

} // namespace StandardStreams
