#include "colours.h"

#include <QtGui/QPalette>

QColor colourFromBgr(int bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

int bgrFromColour(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return rgb.red() | (rgb.green() << 8) | (rgb.blue() << 16);
}

QColor systemColour(SystemColour role, const QPalette &palette)
{
    switch (role) {
    case SystemColour::MenuBackground:
        return palette.color(QPalette::Window);
    case SystemColour::WindowBackground:
        return palette.color(QPalette::Base);
    case SystemColour::WindowText:
        return palette.color(QPalette::Text);
    case SystemColour::ButtonFace:
        return palette.color(QPalette::Button);
    case SystemColour::ButtonText:
        return palette.color(QPalette::ButtonText);
    }
    return palette.color(QPalette::Window);
}
