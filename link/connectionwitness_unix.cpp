#include "connectionwitness.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Link {

qintptr holdConnection(qintptr descriptor)
{
    return descriptor < 0 ? -1 : ::dup(int(descriptor));
}

bool wasReset(qintptr held)
{
#ifdef TCP_INFO
    // An orderly close leaves our end waiting to close in turn; a reset leaves nothing.
    tcp_info info{};
    socklen_t size = sizeof info;
    return held >= 0 && ::getsockopt(int(held), IPPROTO_TCP, TCP_INFO, &info, &size) == 0
            && info.tcpi_state == TCP_CLOSE;
#else
    Q_UNUSED(held);
    return false;
#endif
}

void releaseConnection(qintptr held)
{
    if (held >= 0)
        ::close(int(held));
}

} // namespace Link
