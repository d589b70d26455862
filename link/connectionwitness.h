#pragma once

#include <QtCore/QtGlobal>

// A second handle on a TCP connection's socket, held while the connection is up, so that how
// the peer ended it can still be read after Qt has closed its own handle: Qt reads a reset
// as the end of the stream and tells it like an orderly close. While the second handle is
// held the system keeps the connection, so it is released before the connection is closed.
namespace Link {

// The second handle, or -1 when the system offers none.
qintptr holdConnection(qintptr descriptor);
// Whether the peer ended the held connection with a reset rather than an orderly close.
bool wasReset(qintptr held);
void releaseConnection(qintptr held);

} // namespace Link
