#pragma once

#include "windowcontrols.h"

#include <QtCore/QString>
#include <QtGui/QColor>
#include <QtGui/QPalette>

#include <cstddef>
#include <type_traits>
#include <utility>
#include <vector>

class QWidget;

// Kinds of control the window is made of; each maps onto one widget class.
enum class ControlKind {
    Label,       // QLabel
    PushButton,  // QPushButton
    LineEdit,    // QLineEdit
    CheckBox,    // ChoiceBox, a QCheckBox
    RadioButton, // QRadioButton
    GroupBox,    // GroupFrame, a framed container with a title
    Picture,     // PictureBox
    Lamp,        // LampShape
    Line,        // a thin separator, a QFrame
};

// The kind of control that a WindowControls member of class T holds.
template<class T>
constexpr ControlKind kindOf()
{
    if constexpr (std::is_same_v<T, QLabel>)
        return ControlKind::Label;
    else if constexpr (std::is_same_v<T, QPushButton>)
        return ControlKind::PushButton;
    else if constexpr (std::is_same_v<T, QLineEdit>)
        return ControlKind::LineEdit;
    else if constexpr (std::is_same_v<T, QCheckBox>)
        return ControlKind::CheckBox;
    else if constexpr (std::is_same_v<T, QRadioButton>)
        return ControlKind::RadioButton;
    else if constexpr (std::is_same_v<T, GroupFrame>)
        return ControlKind::GroupBox;
    else if constexpr (std::is_same_v<T, PictureBox>)
        return ControlKind::Picture;
    else if constexpr (std::is_same_v<T, LampShape>)
        return ControlKind::Lamp;
    else {
        static_assert(std::is_same_v<T, QFrame>, "no kind of control is built as this class");
        return ControlKind::Line;
    }
}

// Which member of WindowControls a row's control fills, and so the kind of widget built for it.
// The row names the member itself, so a renamed or removed member fails the build.
struct ControlSlot
{
    ControlKind kind;
    void (*fill)(WindowControls &controls, QWidget *widget);
};

// The slot of a member, `into<&WindowControls::hostEdit>()`, or of one element of an array
// member, `into<&WindowControls::schemeBoxes, 0>()`.
template<auto Member>
constexpr ControlSlot into()
{
    using Widget = std::remove_pointer_t<
            std::remove_reference_t<decltype(std::declval<WindowControls &>().*Member)>>;
    return {kindOf<Widget>(), [](WindowControls &controls, QWidget *widget) {
                controls.*Member = static_cast<Widget *>(widget);
            }};
}

template<auto Array, std::size_t Index>
constexpr ControlSlot into()
{
    using Elements = std::remove_reference_t<decltype(std::declval<WindowControls &>().*Array)>;
    static_assert(Index < std::tuple_size_v<Elements>, "no such element");
    using Widget = std::remove_pointer_t<typename Elements::value_type>;
    return {kindOf<Widget>(), [](WindowControls &controls, QWidget *widget) {
                (controls.*Array)[Index] = static_cast<Widget *>(widget);
            }};
}

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
    ControlSlot slot;
    const char *name; // the widget's object name, which tests and accessibility tools read
    GroupFrame *WindowControls::*container; // nullptr for the window's client area
    const char *caption;                    // caption, or initial text of a text box
    int left, top, width, height; // pixels at 96 dpi, from the container's outer top-left corner
    FontStyle font;
    ColourChoice foreColour;
    ColourChoice backColour;
    unsigned style;
    InitialState state;
    int tabIndex;               // place in the window's tab order; -1 for controls without one
    const char *picture;        // file in resources/, shown stretched to the box, or nullptr
    const char *accessibleName; // nullptr: the caption
};

// The window's icon, a file in resources/.
constexpr const char *windowIconFile = "dawnbell.ico";

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
// A caption or accessible name from the table in the user's language; the table marks its
// words with QT_TRANSLATE_NOOP, and a text box's initial value, unmarked, comes back as it is.
QString layoutText(const char *text);

// The row of `name`, or nullptr.
const ControlEntry *findControlEntry(const char *name);
