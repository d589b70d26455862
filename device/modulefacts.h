#pragma once

#include <QtCore/QObject>

// What the WIZ750SR module says about itself on its command port, as far as the panel, the
// simulator and dawnbell-send need it. The module serves the port beside its data port; the
// frames it reads and writes there are built and read in link/.
namespace Module {
Q_NAMESPACE

// The module's command port, over UDP (a search to every module) and TCP.
inline constexpr quint16 CommandPort = 50001;
// A MAC address on the wire: six raw bytes.
inline constexpr int MacBytes = 6;
// A module with a search ID set answers only requests that carry the same ID, of at most
// this many characters.
inline constexpr int MaxSearchIdLength = 8;

// What the module is doing, from its "ST" answer.
enum class Status {
    Unknown, // not reported, or a word this list does not know
    Boot,
    Open,    // waiting for a client
    Connect, // a client is connected; no other can be
    Upgrade,
    AtMode,
    Udp,
};
Q_ENUM_NS(Status)

// The "ST" words, in the order of Status from Boot on.
inline constexpr const char *StatusWords[]
        = {"BOOT", "OPEN", "CONNECT", "UPGRADE", "ATMODE", "UDP"};

// The status's "ST" word; nullptr for Unknown.
inline const char *statusWord(Status status)
{
    return status == Status::Unknown ? nullptr : StatusWords[int(status) - int(Status::Boot)];
}

// How the module's data port works, from its "OP" answer; the values are the codes it sends.
enum class Mode {
    Unknown = -1,
    TcpClient = 0, // it connects out and accepts no client
    TcpServer = 1,
    TcpMixed = 2, // a server until it connects out itself
    Udp = 3,
};
Q_ENUM_NS(Mode)

inline constexpr int FirstModeCode = int(Mode::TcpClient);
inline constexpr int LastModeCode = int(Mode::Udp);
// Short names of the modes from TcpClient on, as the tools take and print them.
inline constexpr const char *ModeNames[] = {"client", "server", "mixed", "udp"};

// The mode's short name; nullptr for Unknown.
inline const char *modeName(Mode mode)
{
    return mode == Mode::Unknown ? nullptr : ModeNames[int(mode) - FirstModeCode];
}

} // namespace Module
