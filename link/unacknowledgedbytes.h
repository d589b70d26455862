#pragma once

#include <QtCore/QtGlobal>

#include <optional>

namespace Link {

// Bytes written to the TCP socket `descriptor` that the peer has not acknowledged yet: those
// the system still holds to send and those sent without an acknowledgement. Nothing when the
// system does not tell. A peer that stops reading shuts its window, and these stay.
std::optional<qint64> unacknowledgedBytes(qintptr descriptor);

} // namespace Link
