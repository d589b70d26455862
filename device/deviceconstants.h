#pragma once

#include <QtCore/QtGlobal>

// Values that the link, the settings file, the window's layout and the simulator share. Each
// is written here once; its text forms are derived from it.
namespace Device {

// Where the module is reached until the user's settings name another endpoint. Loopback, so
// that a panel that has never been set up talks to nothing but the local simulator.
inline constexpr char DefaultHost[] = "127.0.0.1";
inline constexpr quint16 DefaultPort = 5000;

// "SET Date/Time" sets the device this many seconds ahead of the PC's clock, for the time
// the command takes to reach the device and be taken in.
inline constexpr int TimeLeadSeconds = 2;

// The alarm buttons "Alarm #1" to "Alarm #16" play tracks TrackOffset + 1 to TrackOffset + 16.
inline constexpr int TrackOffset = 149;

namespace Detail {
struct PortText
{
    char text[6] = {};
};

constexpr PortText portText(quint16 port)
{
    char reversed[5] = {};
    int digits = 0;
    do {
        reversed[digits++] = char('0' + port % 10);
        port /= 10;
    } while (port != 0);
    PortText result;
    for (int i = 0; i < digits; ++i)
        result.text[i] = reversed[digits - 1 - i];
    return result;
}

inline constexpr PortText DefaultPortText = portText(DefaultPort);
} // namespace Detail

// DefaultPort in decimal, as the endpoint box and the settings file show it.
inline constexpr const char *DefaultPortText = Detail::DefaultPortText.text;

} // namespace Device
