#pragma once

#include <QtGui/QColor>

class QPalette;

// The platform colour roles that the layout names by their classic system colour numbers.
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
