#pragma once

// The link-state codes that the panel tests, as the module's socket reports them.
namespace LinkState {
inline constexpr int Closed = 0;
inline constexpr int ResolvingHost = 4;
inline constexpr int HostResolved = 5;
inline constexpr int Connecting = 6;
inline constexpr int Connected = 7;
inline constexpr int ClosedByPeer = 8; // until we close our end
inline constexpr int Error = 9;        // until we close or connect again
} // namespace LinkState
