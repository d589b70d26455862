#include "unacknowledgedbytes.h"

#include <sys/ioctl.h>
#ifdef __linux__
#    include <linux/sockios.h>
#endif

namespace Link {

std::optional<qint64> unacknowledgedBytes(qintptr descriptor)
{
#ifdef SIOCOUTQ
    // On a TCP socket the send queue holds every byte until the peer acknowledges it.
    int bytes = 0;
    if (descriptor < 0 || ::ioctl(int(descriptor), SIOCOUTQ, &bytes) != 0)
        return std::nullopt;
    return bytes;
#else
    Q_UNUSED(descriptor);
    return std::nullopt;
#endif
}

} // namespace Link
