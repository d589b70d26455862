#include "unacknowledgedbytes.h"

#include <winsock2.h>
#include <ws2tcpip.h>

// After winsock2.h, whose types it uses.
#include <mstcpip.h>

namespace Link {

std::optional<qint64> unacknowledgedBytes(qintptr descriptor)
{
#ifdef SIO_TCP_INFO
    DWORD version = 0;
    TCP_INFO_v0 info{};
    DWORD returned = 0;
    if (WSAIoctl(SOCKET(descriptor), SIO_TCP_INFO, &version, sizeof version, &info, sizeof info,
                 &returned, nullptr, nullptr)
        != 0)
        return std::nullopt;
    // Windows tells the bytes in flight, not those it holds back while the peer's window is
    // shut; a shut window means the peer takes nothing, so at least one byte waits.
    const qint64 inFlight = info.BytesInFlight;
    return info.SndWnd == 0 ? qMax<qint64>(inFlight, 1) : inFlight;
#else
    Q_UNUSED(descriptor);
    return std::nullopt;
#endif
}

} // namespace Link
