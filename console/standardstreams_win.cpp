#include "standardstreams.h"

namespace StandardStreams {

// A Windows program's streams are handles the system gives it or not; a missing one takes no
// number that a later file could reuse, and writing to it fails as a write.
void holdClosedOnes() { }

bool outputWasClosed()
{
    return false;
}

} // namespace StandardStreams
