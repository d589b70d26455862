#pragma once

#include <QtGui/QColor>
#include <QtGui/QPalette>

#include <vector>

// Kinds of control the window is made of; each maps onto one widget class.
enum class ControlKind {
    Label,       // QLabel
    PushButton,  // QPushButton
    LineEdit,    // QLineEdit
    CheckBox,    // ChoiceBox, a QCheckBox
    RadioButton, // QRadioButton
    GroupBox,    // QGroupBox
    Picture,     // PictureBox
    Lamp,        // LampShape
    Line,        // a thin separator
};

// A font as the layout states it; no family means the window's own font.
struct FontStyle
{
    const char *family = nullptr;
    double pointSize = 0;
    bool bold = false;
    bool underline = false;
};

// A colour as the layout states it: the kind's default, a colour of its own, or a role of the
// desktop's palette, so that the window takes the desktop's colour settings.
struct ColourChoice
{
    enum Source { Default, Fixed, Role };
    Source source = Default;
    QColor colour;                               // with Fixed
    QPalette::ColorRole role = QPalette::Window; // with Role

    static ColourChoice standard() { return {}; }
    static ColourChoice fixed(const QColor &colour) { return {Fixed, colour}; }
    static ColourChoice palette(QPalette::ColorRole role) { return {Role, QColor(), role}; }
};

// Appearance flags, combined with |.
enum ControlStyle : unsigned {
    NoStyle = 0,
    Centred = 1 << 0,
    RightAligned = 1 << 1,
    Border = 1 << 2,      // single-line border
    Transparent = 1 << 3, // paints no background
    AutoSize = 1 << 4,    // width follows the caption, Left kept
    WordWrap = 1 << 5,
    TwoTypedCharacters = 1 << 6, // the user may type at most two characters
};

enum class InitialState { Normal, Checked, Disabled };

// One control of the window: everything about it that is not behaviour.
struct ControlEntry
{
    ControlKind kind;
    const char *name;
    const char *container;        // "" for the window's client area
    const char *caption;          // caption, or initial text of a text box
    int left, top, width, height; // pixels at 96 dpi, from the container's outer top-left corner
    FontStyle font;
    ColourChoice foreColour;
    ColourChoice backColour;
    unsigned style;
    InitialState state;
    int tabIndex;               // place in the window's tab order; -1 for controls without one
    const char *picture;        // resource path, or nullptr
    const char *accessibleName; // nullptr: the caption
};

// The window's client area in pixels at 96 dpi; it keeps this size.
constexpr int windowWidth = 693;
constexpr int windowHeight = 468;

// The text colour of the alarm entry boxes: red from an edit until the entry goes out.
namespace EntryColour {
inline const QColor Unsent = Qt::red;
inline const QColor Sent = Qt::black;
} // namespace EntryColour

// The window's font, which every control without a font of its own uses.
FontStyle windowFontStyle();

// Every control of the window, containers before their contents, in stacking order (later rows
// lie on top of earlier ones).
const std::vector<ControlEntry> &dawnbellLayout();

// The row of `name`, or nullptr.
const ControlEntry *findControlEntry(const char *name);
