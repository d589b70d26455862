#include "layout.h"

#include "deviceconstants.h"

#include <cstring>

namespace {

constexpr const char *window = "";
constexpr const char *sans = "MS Sans Serif";

constexpr FontStyle standardFont{};
constexpr FontStyle frameFont{sans, 8.25, true, false};
constexpr FontStyle boxFont{sans, 9.75, true, false};
constexpr FontStyle captionFont{sans, 9.75, false, false};
constexpr FontStyle largeFont{sans, 12, true, false};
constexpr FontStyle bannerFont{"Calibri", 14.25, true, true};
constexpr FontStyle wakeUpFont{sans, 24, true, false};

const ColourChoice standard = ColourChoice::standard();
const ColourChoice windowBackground = ColourChoice::palette(QPalette::Window);
const ColourChoice red = ColourChoice::fixed(Qt::red);
const ColourChoice white = ColourChoice::fixed(Qt::white);
const ColourChoice black = ColourChoice::fixed(Qt::black);
const ColourChoice darkBlue = ColourChoice::fixed(QColor(0, 0, 0x40));

constexpr InitialState normal = InitialState::Normal;
constexpr InitialState checked = InitialState::Checked;
constexpr InitialState disabled = InitialState::Disabled;

using K = ControlKind;

// clang-format off
const std::vector<ControlEntry> layoutTable = {
// kind, name, container, caption, left, top, width, height, font, fore, back, style, state, tab, picture, accessible name

// Header strip. The banner comes after the lamp and its label so that it lies on top of them;
// it paints no background, so both stay visible.
{K::Lamp, "linkLamp", window, "", 200, 28, 14, 12, standardFont, standard, black, NoStyle, normal, -1, nullptr, "Connection lamp"},
{K::Label, "linkLabel", window, "Connection to WIZ750SR!", 223, 24, 211, 20, largeFont, standard, standard, RightAligned | AutoSize, normal, 50, nullptr, nullptr},
{K::Label, "bannerLabel", window, "powered by:  WIZnet - Serial to Ethernet, StablE (WIZ750SR)", 16, 0, 649, 33, bannerFont, red, standard, Centred | Transparent, normal, 22, nullptr, nullptr},
{K::Picture, "logoPicture", window, "", 496, 32, 183, 42, standardFont, standard, standard, NoStyle, normal, -1, ":/pictures/logo.jpg", "Maker's logo"},

{K::GroupBox, "dateTimeFrame", window, "Date and Time Controls", 8, 80, 225, 121, frameFont, standard, standard, NoStyle, normal, 19, nullptr, nullptr},
{K::Label, "dateLabel", "dateTimeFrame", "", 8, 16, 202, 25, boxFont, standard, standard, Border | Centred, normal, 51, nullptr, "Date"},
{K::PushButton, "setTimeButton", "dateTimeFrame", "SET Date/Time", 8, 48, 89, 33, standardFont, standard, standard, NoStyle, normal, 20, nullptr, nullptr},
{K::Label, "timeLabel", "dateTimeFrame", "", 104, 52, 113, 25, largeFont, standard, standard, Border | Centred, normal, 21, nullptr, "Time"},
{K::CheckBox, "announceBox", "dateTimeFrame", "Announce Hourly", 16, 96, 113, 17, standardFont, standard, standard, NoStyle, normal, 23, nullptr, nullptr},

{K::GroupBox, "schemeFrame", window, "Background/Text Set-Up", 8, 208, 225, 121, frameFont, standard, standard, NoStyle, normal, 24, nullptr, nullptr},
{K::CheckBox, "schemeBox1", "schemeFrame", Device::SchemeNames[0], 16, 24, 89, 17, standardFont, standard, standard, NoStyle, checked, 25, nullptr, nullptr},
{K::CheckBox, "schemeBox2", "schemeFrame", Device::SchemeNames[1], 16, 48, 89, 17, standardFont, standard, standard, NoStyle, normal, 26, nullptr, nullptr},
{K::CheckBox, "schemeBox3", "schemeFrame", Device::SchemeNames[2], 16, 72, 89, 17, standardFont, standard, standard, NoStyle, normal, 27, nullptr, nullptr},
{K::CheckBox, "schemeBox4", "schemeFrame", Device::SchemeNames[3], 16, 96, 89, 17, standardFont, standard, standard, NoStyle, normal, 28, nullptr, nullptr},

{K::GroupBox, "networkFrame", window, "Network Communication Set-Up", 8, 352, 225, 113, frameFont, standard, standard, NoStyle, normal, 29, nullptr, nullptr},
{K::Label, "hostCaption", "networkFrame", "Remote Host:", 8, 24, 82, 16, captionFont, standard, standard, RightAligned | AutoSize, normal, 48, nullptr, nullptr},
{K::LineEdit, "hostEdit", "networkFrame", Device::DefaultHost, 96, 24, 117, 21, boxFont, black, white, NoStyle, normal, 45, nullptr, "Remote host"},
{K::Label, "portCaption", "networkFrame", "Remote Port:", 8, 55, 78, 16, captionFont, standard, standard, RightAligned | AutoSize, normal, 49, nullptr, nullptr},
{K::LineEdit, "portEdit", "networkFrame", Device::DefaultPortText, 96, 53, 49, 24, boxFont, black, white, NoStyle, normal, 46, nullptr, "Remote port"},
{K::PushButton, "saveAndExitButton", "networkFrame", "Save and Exit", 64, 80, 89, 24, standardFont, standard, white, NoStyle, disabled, 47, nullptr, nullptr},

{K::GroupBox, "alarmFrame", window, "Wake Up Alarm Controls", 240, 80, 249, 385, frameFont, standard, windowBackground, NoStyle, normal, 0, nullptr, nullptr},
{K::PushButton, "setAlarmButton", "alarmFrame", "Set-Up WakeUp Alarm Time", 8, 24, 65, 41, standardFont, standard, standard, NoStyle, normal, 35, nullptr, nullptr},
{K::Label, "hourCaption", "alarmFrame", "Hour", 105, 24, 32, 17, standardFont, standard, standard, Centred | Transparent, normal, 41, nullptr, nullptr},
{K::Label, "minuteCaption", "alarmFrame", "Min", 144, 24, 32, 17, standardFont, standard, standard, Centred | Transparent, normal, 40, nullptr, nullptr},
{K::Label, "amPmCaption", "alarmFrame", "AM/PM", 180, 24, 43, 17, standardFont, standard, standard, Centred | Transparent, normal, 39, nullptr, nullptr},
{K::LineEdit, "alarmHourEdit", "alarmFrame", "", 104, 40, 33, 25, boxFont, red, standard, Centred | TwoTypedCharacters, normal, 38, nullptr, "Alarm hour"},
{K::LineEdit, "alarmMinuteEdit", "alarmFrame", "", 144, 40, 33, 25, boxFont, red, standard, Centred | TwoTypedCharacters, normal, 37, nullptr, "Alarm minute"},
{K::LineEdit, "alarmAmPmEdit", "alarmFrame", "", 184, 40, 33, 25, boxFont, red, standard, Centred | TwoTypedCharacters, normal, 36, nullptr, "Alarm AM/PM"},
{K::Line, "entrySeparator", "alarmFrame", "", 8, 80, 232, 0, standardFont, standard, standard, NoStyle, normal, -1, nullptr, "Separator"},
{K::PushButton, "playAlarmButton", "alarmFrame", "Play WakeUp Alarm", 16, 104, 65, 41, standardFont, standard, standard, NoStyle, normal, 18, nullptr, nullptr},
{K::PushButton, "stopAlarmButton", "alarmFrame", "Stop WakeUp Alarm", 16, 152, 65, 41, standardFont, standard, standard, NoStyle, normal, 1, nullptr, nullptr},
{K::RadioButton, "trackButton1", "alarmFrame", "Alarm #1", 88, 96, 65, 25, standardFont, darkBlue, windowBackground, NoStyle, checked, 17, nullptr, nullptr},
{K::RadioButton, "trackButton2", "alarmFrame", "Alarm #2", 88, 120, 65, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 16, nullptr, nullptr},
{K::RadioButton, "trackButton3", "alarmFrame", "Alarm #3", 88, 144, 65, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 15, nullptr, nullptr},
{K::RadioButton, "trackButton4", "alarmFrame", "Alarm #4", 88, 168, 65, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 14, nullptr, nullptr},
{K::RadioButton, "trackButton5", "alarmFrame", "Alarm #5", 88, 192, 65, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 13, nullptr, nullptr},
{K::RadioButton, "trackButton6", "alarmFrame", "Alarm #6", 88, 216, 65, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 12, nullptr, nullptr},
{K::RadioButton, "trackButton7", "alarmFrame", "Alarm #7", 88, 240, 65, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 11, nullptr, nullptr},
{K::RadioButton, "trackButton8", "alarmFrame", "Alarm #8", 88, 264, 65, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 10, nullptr, nullptr},
{K::RadioButton, "trackButton9", "alarmFrame", "Alarm #9", 160, 96, 65, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 9, nullptr, nullptr},
{K::RadioButton, "trackButton10", "alarmFrame", "Alarm #10", 160, 120, 73, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 8, nullptr, nullptr},
{K::RadioButton, "trackButton11", "alarmFrame", "Alarm #11", 160, 144, 73, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 7, nullptr, nullptr},
{K::RadioButton, "trackButton12", "alarmFrame", "Alarm #12", 160, 168, 73, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 6, nullptr, nullptr},
{K::RadioButton, "trackButton13", "alarmFrame", "Alarm #13", 160, 192, 73, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 5, nullptr, nullptr},
{K::RadioButton, "trackButton14", "alarmFrame", "Alarm #14", 160, 216, 73, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 4, nullptr, nullptr},
{K::RadioButton, "trackButton15", "alarmFrame", "Alarm #15", 160, 240, 73, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 3, nullptr, nullptr},
{K::RadioButton, "trackButton16", "alarmFrame", "Alarm #16", 160, 264, 73, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 2, nullptr, nullptr},
{K::Line, "trackSeparator", "alarmFrame", "", 8, 296, 232, 0, standardFont, standard, standard, NoStyle, normal, -1, nullptr, "Separator"},
{K::PushButton, "enableAlarmButton", "alarmFrame", "Enable WakeUp Alarm", 8, 312, 153, 27, standardFont, standard, standard, NoStyle, normal, 43, nullptr, nullptr},
{K::PushButton, "testButton", "alarmFrame", "TEST!", 168, 320, 73, 41, largeFont, standard, standard, NoStyle, normal, 42, nullptr, nullptr},
{K::PushButton, "disableAlarmButton", "alarmFrame", "Disable WakeUp Alarm", 8, 352, 153, 27, standardFont, standard, standard, NoStyle, normal, 44, nullptr, nullptr},

{K::GroupBox, "screenFrame", window, "Wake Up Screens Selection", 496, 80, 193, 385, frameFont, standard, standard, NoStyle, normal, 30, nullptr, nullptr},
{K::CheckBox, "screenBox1", "screenFrame", "Screen 1", 40, 23, 73, 17, standardFont, standard, standard, NoStyle, checked, 31, nullptr, nullptr},
{K::Picture, "screen1Picture", "screenFrame", "", 40, 40, 109, 94, standardFont, standard, standard, NoStyle, normal, -1, ":/pictures/screen1.jpg", "Wake-up screen 1"},
{K::CheckBox, "screenBox2", "screenFrame", "Screen 2", 40, 143, 73, 17, standardFont, standard, standard, NoStyle, normal, 33, nullptr, nullptr},
{K::Picture, "screen2Picture", "screenFrame", "", 40, 160, 109, 94, standardFont, standard, standard, NoStyle, normal, -1, ":/pictures/screen2.bmp", "Wake-up screen 2"},
{K::CheckBox, "screenBox3", "screenFrame", "Screen 3", 40, 263, 73, 17, standardFont, standard, standard, NoStyle, normal, 34, nullptr, nullptr},
{K::Label, "screen3Preview", "screenFrame", "WAKE UP", 40, 280, 109, 94, wakeUpFont, white, red, Centred | WordWrap, normal, 32, nullptr, "Wake-up screen 3"},
};
// clang-format on

} // namespace

FontStyle windowFontStyle()
{
    return {sans, 8.25, false, false};
}

const std::vector<ControlEntry> &dawnbellLayout()
{
    return layoutTable;
}

const ControlEntry *findControlEntry(const char *name)
{
    for (const ControlEntry &entry : layoutTable) {
        if (std::strcmp(entry.name, name) == 0)
            return &entry;
    }
    return nullptr;
}
