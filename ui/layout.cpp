#include "layout.h"

#include "deviceconstants.h"

#include <cstring>

namespace {

constexpr const char *window = "";
constexpr const char *sans = "MS Sans Serif";

constexpr FontSpec standardFont{};
constexpr FontSpec frameFont{sans, 8.25, true, false};
constexpr FontSpec boxFont{sans, 9.75, true, false};
constexpr FontSpec captionFont{sans, 9.75, false, false};
constexpr FontSpec largeFont{sans, 12, true, false};
constexpr FontSpec bannerFont{"Calibri", 14.25, true, true};
constexpr FontSpec wakeUpFont{sans, 24, true, false};

constexpr ColourSpec standard = ColourSpec::standard();
constexpr ColourSpec menuBackground = ColourSpec::system(SystemColour::MenuBackground);
constexpr ColourSpec red = ColourSpec::bgr(0x0000FF);
constexpr ColourSpec white = ColourSpec::bgr(0xFFFFFF);
constexpr ColourSpec black = ColourSpec::bgr(0x000000);
constexpr ColourSpec darkBlue = ColourSpec::bgr(0x400000);

constexpr InitialState normal = InitialState::Normal;
constexpr InitialState checked = InitialState::Checked;
constexpr InitialState disabled = InitialState::Disabled;

using K = ControlKind;

// clang-format off
const std::vector<ControlSpec> layoutTable = {
// kind, name, container, caption, left, top, width, height, font, fore, back, style, state, tab, picture, accessible name

// Header strip. The banner comes after the lamp and its label so that it lies on top of them;
// it paints no background, so both stay visible.
{K::Lamp, "linkLamp", window, "", 3000, 420, 210, 180, standardFont, standard, black, NoStyle, normal, -1, nullptr, "Connection lamp"},
{K::Label, "linkLabel", window, "Connection to WIZ750SR!", 3345, 360, 3165, 300, largeFont, standard, standard, RightAligned | AutoSize, normal, 50, nullptr, nullptr},
{K::Label, "bannerLabel", window, "powered by:  WIZnet - Serial to Ethernet, StablE (WIZ750SR)", 240, 0, 9735, 495, bannerFont, red, standard, Centred | Transparent, normal, 22, nullptr, nullptr},
{K::Picture, "logoPicture", window, "", 7440, 480, 2745, 630, standardFont, standard, standard, NoStyle, normal, -1, ":/pictures/logo.jpg", "Maker's logo"},

{K::GroupBox, "dateTimeFrame", window, "Date and Time Controls", 120, 1200, 3375, 1815, frameFont, standard, standard, NoStyle, normal, 19, nullptr, nullptr},
{K::Label, "dateLabel", "dateTimeFrame", "", 120, 240, 3030, 375, boxFont, standard, standard, Border | Centred, normal, 51, nullptr, "Date"},
{K::PushButton, "setTimeButton", "dateTimeFrame", "SET Date/Time", 120, 720, 1335, 495, standardFont, standard, standard, NoStyle, normal, 20, nullptr, nullptr},
{K::Label, "timeLabel", "dateTimeFrame", "", 1560, 780, 1695, 375, largeFont, standard, standard, Border | Centred, normal, 21, nullptr, "Time"},
{K::CheckBox, "announceBox", "dateTimeFrame", "Announce Hourly", 240, 1440, 1695, 255, standardFont, standard, standard, NoStyle, normal, 23, nullptr, nullptr},

{K::GroupBox, "schemeFrame", window, "Background/Text Set-Up", 120, 3120, 3375, 1815, frameFont, standard, standard, NoStyle, normal, 24, nullptr, nullptr},
{K::CheckBox, "schemeBox1", "schemeFrame", Device::SchemeNames[0], 240, 360, 1335, 255, standardFont, standard, standard, NoStyle, checked, 25, nullptr, nullptr},
{K::CheckBox, "schemeBox2", "schemeFrame", Device::SchemeNames[1], 240, 720, 1335, 255, standardFont, standard, standard, NoStyle, normal, 26, nullptr, nullptr},
{K::CheckBox, "schemeBox3", "schemeFrame", Device::SchemeNames[2], 240, 1080, 1335, 255, standardFont, standard, standard, NoStyle, normal, 27, nullptr, nullptr},
{K::CheckBox, "schemeBox4", "schemeFrame", Device::SchemeNames[3], 240, 1440, 1335, 255, standardFont, standard, standard, NoStyle, normal, 28, nullptr, nullptr},

{K::GroupBox, "networkFrame", window, "Network Communication Set-Up", 120, 5280, 3375, 1695, frameFont, standard, standard, NoStyle, normal, 29, nullptr, nullptr},
{K::Label, "hostCaption", "networkFrame", "Remote Host:", 120, 360, 1230, 240, captionFont, standard, standard, RightAligned | AutoSize, normal, 48, nullptr, nullptr},
{K::LineEdit, "hostEdit", "networkFrame", Device::DefaultHost, 1440, 360, 1755, 315, boxFont, black, white, NoStyle, normal, 45, nullptr, "Remote host"},
{K::Label, "portCaption", "networkFrame", "Remote Port:", 120, 825, 1170, 240, captionFont, standard, standard, RightAligned | AutoSize, normal, 49, nullptr, nullptr},
{K::LineEdit, "portEdit", "networkFrame", Device::DefaultPortText, 1440, 795, 735, 360, boxFont, black, white, NoStyle, normal, 46, nullptr, "Remote port"},
{K::PushButton, "saveAndExitButton", "networkFrame", "Save and Exit", 960, 1200, 1335, 360, standardFont, standard, white, NoStyle, disabled, 47, nullptr, nullptr},

{K::GroupBox, "alarmFrame", window, "Wake Up Alarm Controls", 3600, 1200, 3735, 5775, frameFont, standard, menuBackground, NoStyle, normal, 0, nullptr, nullptr},
{K::PushButton, "setAlarmButton", "alarmFrame", "Set-Up WakeUp Alarm Time", 120, 360, 975, 615, standardFont, standard, standard, NoStyle, normal, 35, nullptr, nullptr},
{K::Label, "hourCaption", "alarmFrame", "Hour", 1575, 360, 480, 255, standardFont, standard, standard, Centred | Transparent, normal, 41, nullptr, nullptr},
{K::Label, "minuteCaption", "alarmFrame", "Min", 2160, 360, 480, 255, standardFont, standard, standard, Centred | Transparent, normal, 40, nullptr, nullptr},
{K::Label, "amPmCaption", "alarmFrame", "AM/PM", 2700, 360, 645, 255, standardFont, standard, standard, Centred | Transparent, normal, 39, nullptr, nullptr},
{K::LineEdit, "alarmHourEdit", "alarmFrame", "", 1560, 600, 495, 375, boxFont, red, standard, Centred | TwoTypedCharacters, normal, 38, nullptr, "Alarm hour"},
{K::LineEdit, "alarmMinuteEdit", "alarmFrame", "", 2160, 600, 495, 375, boxFont, red, standard, Centred | TwoTypedCharacters, normal, 37, nullptr, "Alarm minute"},
{K::LineEdit, "alarmAmPmEdit", "alarmFrame", "", 2760, 600, 495, 375, boxFont, red, standard, Centred | TwoTypedCharacters, normal, 36, nullptr, "Alarm AM/PM"},
{K::Line, "entrySeparator", "alarmFrame", "", 120, 1200, 3480, 0, standardFont, standard, standard, NoStyle, normal, -1, nullptr, "Separator"},
{K::PushButton, "playAlarmButton", "alarmFrame", "Play WakeUp Alarm", 240, 1560, 975, 615, standardFont, standard, standard, NoStyle, normal, 18, nullptr, nullptr},
{K::PushButton, "stopAlarmButton", "alarmFrame", "Stop WakeUp Alarm", 240, 2280, 975, 615, standardFont, standard, standard, NoStyle, normal, 1, nullptr, nullptr},
{K::RadioButton, "trackButton1", "alarmFrame", "Alarm #1", 1320, 1440, 975, 375, standardFont, darkBlue, menuBackground, NoStyle, checked, 17, nullptr, nullptr},
{K::RadioButton, "trackButton2", "alarmFrame", "Alarm #2", 1320, 1800, 975, 375, standardFont, darkBlue, menuBackground, NoStyle, normal, 16, nullptr, nullptr},
{K::RadioButton, "trackButton3", "alarmFrame", "Alarm #3", 1320, 2160, 975, 375, standardFont, darkBlue, menuBackground, NoStyle, normal, 15, nullptr, nullptr},
{K::RadioButton, "trackButton4", "alarmFrame", "Alarm #4", 1320, 2520, 975, 375, standardFont, darkBlue, menuBackground, NoStyle, normal, 14, nullptr, nullptr},
{K::RadioButton, "trackButton5", "alarmFrame", "Alarm #5", 1320, 2880, 975, 375, standardFont, darkBlue, menuBackground, NoStyle, normal, 13, nullptr, nullptr},
{K::RadioButton, "trackButton6", "alarmFrame", "Alarm #6", 1320, 3240, 975, 375, standardFont, darkBlue, menuBackground, NoStyle, normal, 12, nullptr, nullptr},
{K::RadioButton, "trackButton7", "alarmFrame", "Alarm #7", 1320, 3600, 975, 375, standardFont, darkBlue, menuBackground, NoStyle, normal, 11, nullptr, nullptr},
{K::RadioButton, "trackButton8", "alarmFrame", "Alarm #8", 1320, 3960, 975, 375, standardFont, darkBlue, menuBackground, NoStyle, normal, 10, nullptr, nullptr},
{K::RadioButton, "trackButton9", "alarmFrame", "Alarm #9", 2400, 1440, 975, 375, standardFont, darkBlue, menuBackground, NoStyle, normal, 9, nullptr, nullptr},
{K::RadioButton, "trackButton10", "alarmFrame", "Alarm #10", 2400, 1800, 1095, 375, standardFont, darkBlue, menuBackground, NoStyle, normal, 8, nullptr, nullptr},
{K::RadioButton, "trackButton11", "alarmFrame", "Alarm #11", 2400, 2160, 1095, 375, standardFont, darkBlue, menuBackground, NoStyle, normal, 7, nullptr, nullptr},
{K::RadioButton, "trackButton12", "alarmFrame", "Alarm #12", 2400, 2520, 1095, 375, standardFont, darkBlue, menuBackground, NoStyle, normal, 6, nullptr, nullptr},
{K::RadioButton, "trackButton13", "alarmFrame", "Alarm #13", 2400, 2880, 1095, 375, standardFont, darkBlue, menuBackground, NoStyle, normal, 5, nullptr, nullptr},
{K::RadioButton, "trackButton14", "alarmFrame", "Alarm #14", 2400, 3240, 1095, 375, standardFont, darkBlue, menuBackground, NoStyle, normal, 4, nullptr, nullptr},
{K::RadioButton, "trackButton15", "alarmFrame", "Alarm #15", 2400, 3600, 1095, 375, standardFont, darkBlue, menuBackground, NoStyle, normal, 3, nullptr, nullptr},
{K::RadioButton, "trackButton16", "alarmFrame", "Alarm #16", 2400, 3960, 1095, 375, standardFont, darkBlue, menuBackground, NoStyle, normal, 2, nullptr, nullptr},
{K::Line, "trackSeparator", "alarmFrame", "", 120, 4440, 3480, 0, standardFont, standard, standard, NoStyle, normal, -1, nullptr, "Separator"},
{K::PushButton, "enableAlarmButton", "alarmFrame", "Enable WakeUp Alarm", 120, 4680, 2295, 400, standardFont, standard, standard, NoStyle, normal, 43, nullptr, nullptr},
{K::PushButton, "testButton", "alarmFrame", "TEST!", 2520, 4800, 1095, 615, largeFont, standard, standard, NoStyle, normal, 42, nullptr, nullptr},
{K::PushButton, "disableAlarmButton", "alarmFrame", "Disable WakeUp Alarm", 120, 5280, 2295, 400, standardFont, standard, standard, NoStyle, normal, 44, nullptr, nullptr},

{K::GroupBox, "screenFrame", window, "Wake Up Screens Selection", 7440, 1200, 2895, 5775, frameFont, standard, standard, NoStyle, normal, 30, nullptr, nullptr},
{K::CheckBox, "screenBox1", "screenFrame", "Screen 1", 600, 345, 1095, 255, standardFont, standard, standard, NoStyle, checked, 31, nullptr, nullptr},
{K::Picture, "screen1Picture", "screenFrame", "", 600, 600, 1635, 1410, standardFont, standard, standard, NoStyle, normal, -1, ":/pictures/screen1.jpg", "Wake-up screen 1"},
{K::CheckBox, "screenBox2", "screenFrame", "Screen 2", 600, 2145, 1095, 255, standardFont, standard, standard, NoStyle, normal, 33, nullptr, nullptr},
{K::Picture, "screen2Picture", "screenFrame", "", 600, 2400, 1635, 1410, standardFont, standard, standard, NoStyle, normal, -1, ":/pictures/screen2.bmp", "Wake-up screen 2"},
{K::CheckBox, "screenBox3", "screenFrame", "Screen 3", 600, 3945, 1095, 255, standardFont, standard, standard, NoStyle, normal, 34, nullptr, nullptr},
{K::Label, "screen3Preview", "screenFrame", "WAKE UP", 600, 4200, 1635, 1410, wakeUpFont, white, red, Centred | WordWrap, normal, 32, nullptr, "Wake-up screen 3"},
};
// clang-format on

} // namespace

FontSpec windowFontSpec()
{
    return {sans, 8.25, false, false};
}

const std::vector<ControlSpec> &dawnbellLayout()
{
    return layoutTable;
}

const ControlSpec *findControlSpec(const char *name)
{
    for (const ControlSpec &entry : layoutTable) {
        if (std::strcmp(entry.name, name) == 0)
            return &entry;
    }
    return nullptr;
}
