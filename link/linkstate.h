#pragma once

#include <QtCore/QObject>

namespace Link {
Q_NAMESPACE

// The states of the link as the socket layer reports them, from no connection through the
// connection's setup to its end. Q_ENUM_NS lets logs and test failures print the names.
enum class State {
    Closed,
    ResolvingHost,
    HostResolved,
    Connecting,
    Connected,
    ClosedByPeer, // until we close our end
    Error,        // until we close or connect again
};
Q_ENUM_NS(State)

// The state's name without scope ("Connected"), for log lines.
const char *stateName(State state);

} // namespace Link

using LinkState = Link::State;
