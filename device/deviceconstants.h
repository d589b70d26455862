#pragma once

#include "wakeupscreen.h"

#include <QtCore/QtGlobal>

// Values that the link, the settings file, the window's layout and the simulator share. Each
// is written here once; where a text and a number are both needed, one is derived from the
// other.
namespace Device {

// Where the module is reached until the user's settings name another endpoint. Loopback, so
// that a panel that has never been set up talks to nothing but the local simulator.
inline constexpr char DefaultHost[] = "127.0.0.1";
// The port as the endpoint box and the settings file show it, and as a number.
inline constexpr char DefaultPortText[] = "5000";
namespace Detail {
constexpr quint16 decimal(const char *digits, quint16 value = 0)
{
    return *digits ? decimal(digits + 1, quint16(value * 10 + (*digits - '0'))) : value;
}
} // namespace Detail
inline constexpr quint16 DefaultPort = Detail::decimal(DefaultPortText);

// "SET Date/Time" sets the device this many seconds ahead of the PC's clock, for the time
// the command takes to reach the device and be taken in.
inline constexpr int TimeLeadSeconds = 2;

// The alarm buttons "Alarm #1" to "Alarm #16" play tracks TrackOffset + 1 to
// TrackOffset + TrackCount.
inline constexpr int TrackCount = 16;
inline constexpr int TrackOffset = 149;
inline constexpr int FirstTrack = TrackOffset + 1;
inline constexpr int LastTrack = TrackOffset + TrackCount;

// The colour schemes 1 to SchemeCount, by the names the panel and the clock show them under;
// scheme n is SchemeNames[n - 1] and is chosen by the command byte '0' + n. The names are the
// scheme boxes' captions, so they are translated in the layout's context wherever shown.
inline constexpr int SchemeCount = 4;
inline constexpr const char *SchemeNames[SchemeCount]
        = {QT_TRANSLATE_NOOP("Layout", "Black/Green"), QT_TRANSLATE_NOOP("Layout", "Black/Red"),
           QT_TRANSLATE_NOOP("Layout", "Blue/Yellow"), QT_TRANSLATE_NOOP("Layout", "Teal/Black")};

// How long a connection attempt to the module may take before it counts as failed.
inline constexpr int ConnectWaitMs = 2000;

} // namespace Device
