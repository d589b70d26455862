#include "connectionwitness.h"

namespace Link {

// Windows offers no second handle that outlives Qt's closing of its own, so there a reset
// is told as a close.
qintptr holdConnection(qintptr)
{
    return -1;
}

bool wasReset(qintptr)
{
    return false;
}

void releaseConnection(qintptr) { }

} // namespace Link
