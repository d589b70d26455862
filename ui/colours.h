#pragma once

#include <QtGui/QColor>

class QPalette;

// The desktop colour roles the layout uses, numbered as the layout table's colour values are.
enum class SystemColour {
    MenuBackground = 4,
    WindowBackground = 5,
    WindowText = 8,
    ButtonFace = 15,
    ButtonText = 18,
};

// The device and the settings speak blue-green-red integers (red in the low byte); widgets
// speak QColor. These are the only conversions between the two.
QColor colourFromBgr(int bgr);
int bgrFromColour(const QColor &colour);

QColor systemColour(SystemColour role, const QPalette &palette);

// The connection lamp's fill colours, blue-green-red.
namespace LampColour {
inline constexpr int Black = 0x000000; // no connection run has ended yet
inline constexpr int Red = 0x0000FF;
inline constexpr int Green = 0x00FF00;
inline constexpr int Yellow = 0x00FFFF;

// The lamp after a connection run: red when the link did not come up; when it did, green,
// or yellow if it was green already, so that a second success in a row shows as a change.
constexpr int afterConnectRun(int current, bool connected)
{
    if (!connected)
        return Red;
    return current == Green ? Yellow : Green;
}
} // namespace LampColour

// The text colour of the alarm entry boxes: red from an edit until the entry goes out.
namespace EntryColour {
inline constexpr QRgb Unsent = 0xFFFF0000;
inline constexpr QRgb Sent = 0xFF000000;
} // namespace EntryColour
