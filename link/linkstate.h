#pragma once

#include <QtCore/QObject>

namespace Link {
Q_NAMESPACE

// The states of the link, with the codes the module's socket reports for them. The codes are
// kept because they are what the socket layer promises; Q_ENUM_NS lets logs and test failures
// print the names.
enum class State {
    Closed = 0,
    ResolvingHost = 4,
    HostResolved = 5,
    Connecting = 6,
    Connected = 7,
    ClosedByPeer = 8, // until we close our end
    Error = 9,        // until we close or connect again
};
Q_ENUM_NS(State)

// The state's name without scope ("Connected"), for log lines.
const char *stateName(State state);

} // namespace Link

using LinkState = Link::State;
