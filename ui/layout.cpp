#include "layout.h"

#include "deviceconstants.h"
#include "groupframe.h"
#include "lampshape.h"
#include "picturebox.h"

#include <QtCore/QCoreApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QFrame>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>

#include <cstring>
#include <iterator>

namespace {

constexpr GroupFrame *WindowControls::*window = nullptr;
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

using C = WindowControls;

// clang-format off
const ControlEntry layoutRows[] = {
// control, name, container, caption, left, top, width, height, font, fore, back, style, state, tab, picture, accessible name

// Header strip. The banner comes after the lamp and its label so that it lies on top of them;
// it paints no background, so both stay visible.
{into<&C::linkLamp>(), "linkLamp", window, "", 200, 28, 14, 12, standardFont, standard, black, NoStyle, normal, -1, nullptr, QT_TRANSLATE_NOOP("Layout", "Connection lamp")},
{into<&C::linkLabel>(), "linkLabel", window, QT_TRANSLATE_NOOP("Layout", "Connection to WIZ750SR!"), 223, 24, 211, 20, largeFont, standard, standard, RightAligned | AutoSize, normal, 50, nullptr, nullptr},
{into<&C::bannerLabel>(), "bannerLabel", window, QT_TRANSLATE_NOOP("Layout", "powered by:  WIZnet - Serial to Ethernet, StablE (WIZ750SR)"), 16, 0, 649, 33, bannerFont, red, standard, Centred | Transparent, normal, 22, nullptr, nullptr},
{into<&C::logoPicture>(), "logoPicture", window, "", 496, 32, 183, 42, standardFont, standard, standard, NoStyle, normal, -1, "logo.jpg", QT_TRANSLATE_NOOP("Layout", "Maker's logo")},

{into<&C::dateTimeFrame>(), "dateTimeFrame", window, QT_TRANSLATE_NOOP("Layout", "Date and Time Controls"), 8, 80, 225, 121, frameFont, standard, standard, NoStyle, normal, 19, nullptr, nullptr},
{into<&C::dateLabel>(), "dateLabel", &C::dateTimeFrame, "", 8, 16, 202, 25, boxFont, standard, standard, Border | Centred, normal, 51, nullptr, QT_TRANSLATE_NOOP("Layout", "Date")},
{into<&C::setTimeButton>(), "setTimeButton", &C::dateTimeFrame, QT_TRANSLATE_NOOP("Layout", "SET Date/Time"), 8, 48, 89, 33, standardFont, standard, standard, NoStyle, normal, 20, nullptr, nullptr},
{into<&C::timeLabel>(), "timeLabel", &C::dateTimeFrame, "", 104, 52, 113, 25, largeFont, standard, standard, Border | Centred, normal, 21, nullptr, QT_TRANSLATE_NOOP("Layout", "Time")},
{into<&C::announceBox>(), "announceBox", &C::dateTimeFrame, QT_TRANSLATE_NOOP("Layout", "Announce Hourly"), 16, 96, 113, 17, standardFont, standard, standard, NoStyle, normal, 23, nullptr, nullptr},

{into<&C::schemeFrame>(), "schemeFrame", window, QT_TRANSLATE_NOOP("Layout", "Background/Text Set-Up"), 8, 208, 225, 121, frameFont, standard, standard, NoStyle, normal, 24, nullptr, nullptr},
{into<&C::schemeBoxes, 0>(), "schemeBox1", &C::schemeFrame, Device::SchemeNames[0], 16, 24, 89, 17, standardFont, standard, standard, NoStyle, checked, 25, nullptr, nullptr},
{into<&C::schemeBoxes, 1>(), "schemeBox2", &C::schemeFrame, Device::SchemeNames[1], 16, 48, 89, 17, standardFont, standard, standard, NoStyle, normal, 26, nullptr, nullptr},
{into<&C::schemeBoxes, 2>(), "schemeBox3", &C::schemeFrame, Device::SchemeNames[2], 16, 72, 89, 17, standardFont, standard, standard, NoStyle, normal, 27, nullptr, nullptr},
{into<&C::schemeBoxes, 3>(), "schemeBox4", &C::schemeFrame, Device::SchemeNames[3], 16, 96, 89, 17, standardFont, standard, standard, NoStyle, normal, 28, nullptr, nullptr},

{into<&C::networkFrame>(), "networkFrame", window, QT_TRANSLATE_NOOP("Layout", "Network Communication Set-Up"), 8, 352, 225, 113, frameFont, standard, standard, NoStyle, normal, 29, nullptr, nullptr},
{into<&C::hostCaption>(), "hostCaption", &C::networkFrame, QT_TRANSLATE_NOOP("Layout", "Remote Host:"), 8, 24, 82, 16, captionFont, standard, standard, RightAligned | AutoSize, normal, 48, nullptr, nullptr},
{into<&C::hostEdit>(), "hostEdit", &C::networkFrame, Device::DefaultHost, 96, 24, 117, 21, boxFont, black, white, NoStyle, normal, 45, nullptr, QT_TRANSLATE_NOOP("Layout", "Remote host")},
{into<&C::portCaption>(), "portCaption", &C::networkFrame, QT_TRANSLATE_NOOP("Layout", "Remote Port:"), 8, 55, 78, 16, captionFont, standard, standard, RightAligned | AutoSize, normal, 49, nullptr, nullptr},
{into<&C::portEdit>(), "portEdit", &C::networkFrame, Device::DefaultPortText, 96, 53, 49, 24, boxFont, black, white, NoStyle, normal, 46, nullptr, QT_TRANSLATE_NOOP("Layout", "Remote port")},
{into<&C::saveAndExitButton>(), "saveAndExitButton", &C::networkFrame, QT_TRANSLATE_NOOP("Layout", "Save and Exit"), 64, 80, 89, 24, standardFont, standard, white, NoStyle, disabled, 47, nullptr, nullptr},

{into<&C::alarmFrame>(), "alarmFrame", window, QT_TRANSLATE_NOOP("Layout", "Wake Up Alarm Controls"), 240, 80, 249, 385, frameFont, standard, windowBackground, NoStyle, normal, 0, nullptr, nullptr},
{into<&C::setAlarmButton>(), "setAlarmButton", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "Set-Up WakeUp Alarm Time"), 8, 24, 65, 41, standardFont, standard, standard, NoStyle, normal, 35, nullptr, nullptr},
{into<&C::hourCaption>(), "hourCaption", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "Hour"), 105, 24, 32, 17, standardFont, standard, standard, Centred | Transparent, normal, 41, nullptr, nullptr},
{into<&C::minuteCaption>(), "minuteCaption", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "Min"), 144, 24, 32, 17, standardFont, standard, standard, Centred | Transparent, normal, 40, nullptr, nullptr},
{into<&C::amPmCaption>(), "amPmCaption", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "AM/PM"), 180, 24, 43, 17, standardFont, standard, standard, Centred | Transparent, normal, 39, nullptr, nullptr},
{into<&C::alarmHourEdit>(), "alarmHourEdit", &C::alarmFrame, "", 104, 40, 33, 25, boxFont, red, standard, Centred | TwoTypedCharacters, normal, 38, nullptr, QT_TRANSLATE_NOOP("Layout", "Alarm hour")},
{into<&C::alarmMinuteEdit>(), "alarmMinuteEdit", &C::alarmFrame, "", 144, 40, 33, 25, boxFont, red, standard, Centred | TwoTypedCharacters, normal, 37, nullptr, QT_TRANSLATE_NOOP("Layout", "Alarm minute")},
{into<&C::alarmAmPmEdit>(), "alarmAmPmEdit", &C::alarmFrame, "", 184, 40, 33, 25, boxFont, red, standard, Centred | TwoTypedCharacters, normal, 36, nullptr, QT_TRANSLATE_NOOP("Layout", "Alarm AM/PM")},
{into<&C::entrySeparator>(), "entrySeparator", &C::alarmFrame, "", 8, 80, 232, 0, standardFont, standard, standard, NoStyle, normal, -1, nullptr, QT_TRANSLATE_NOOP("Layout", "Separator")},
{into<&C::playAlarmButton>(), "playAlarmButton", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "Play WakeUp Alarm"), 16, 104, 65, 41, standardFont, standard, standard, NoStyle, normal, 18, nullptr, nullptr},
{into<&C::stopAlarmButton>(), "stopAlarmButton", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "Stop WakeUp Alarm"), 16, 152, 65, 41, standardFont, standard, standard, NoStyle, normal, 1, nullptr, nullptr},
{into<&C::trackButtons, 0>(), "trackButton1", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "Alarm #1"), 88, 96, 65, 25, standardFont, darkBlue, windowBackground, NoStyle, checked, 17, nullptr, nullptr},
{into<&C::trackButtons, 1>(), "trackButton2", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "Alarm #2"), 88, 120, 65, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 16, nullptr, nullptr},
{into<&C::trackButtons, 2>(), "trackButton3", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "Alarm #3"), 88, 144, 65, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 15, nullptr, nullptr},
{into<&C::trackButtons, 3>(), "trackButton4", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "Alarm #4"), 88, 168, 65, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 14, nullptr, nullptr},
{into<&C::trackButtons, 4>(), "trackButton5", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "Alarm #5"), 88, 192, 65, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 13, nullptr, nullptr},
{into<&C::trackButtons, 5>(), "trackButton6", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "Alarm #6"), 88, 216, 65, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 12, nullptr, nullptr},
{into<&C::trackButtons, 6>(), "trackButton7", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "Alarm #7"), 88, 240, 65, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 11, nullptr, nullptr},
{into<&C::trackButtons, 7>(), "trackButton8", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "Alarm #8"), 88, 264, 65, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 10, nullptr, nullptr},
{into<&C::trackButtons, 8>(), "trackButton9", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "Alarm #9"), 160, 96, 65, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 9, nullptr, nullptr},
{into<&C::trackButtons, 9>(), "trackButton10", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "Alarm #10"), 160, 120, 73, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 8, nullptr, nullptr},
{into<&C::trackButtons, 10>(), "trackButton11", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "Alarm #11"), 160, 144, 73, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 7, nullptr, nullptr},
{into<&C::trackButtons, 11>(), "trackButton12", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "Alarm #12"), 160, 168, 73, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 6, nullptr, nullptr},
{into<&C::trackButtons, 12>(), "trackButton13", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "Alarm #13"), 160, 192, 73, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 5, nullptr, nullptr},
{into<&C::trackButtons, 13>(), "trackButton14", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "Alarm #14"), 160, 216, 73, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 4, nullptr, nullptr},
{into<&C::trackButtons, 14>(), "trackButton15", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "Alarm #15"), 160, 240, 73, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 3, nullptr, nullptr},
{into<&C::trackButtons, 15>(), "trackButton16", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "Alarm #16"), 160, 264, 73, 25, standardFont, darkBlue, windowBackground, NoStyle, normal, 2, nullptr, nullptr},
{into<&C::trackSeparator>(), "trackSeparator", &C::alarmFrame, "", 8, 296, 232, 0, standardFont, standard, standard, NoStyle, normal, -1, nullptr, QT_TRANSLATE_NOOP("Layout", "Separator")},
{into<&C::enableAlarmButton>(), "enableAlarmButton", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "Enable WakeUp Alarm"), 8, 312, 153, 27, standardFont, standard, standard, NoStyle, normal, 43, nullptr, nullptr},
{into<&C::testButton>(), "testButton", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "TEST!"), 168, 320, 73, 41, largeFont, standard, standard, NoStyle, normal, 42, nullptr, nullptr},
{into<&C::disableAlarmButton>(), "disableAlarmButton", &C::alarmFrame, QT_TRANSLATE_NOOP("Layout", "Disable WakeUp Alarm"), 8, 352, 153, 27, standardFont, standard, standard, NoStyle, normal, 44, nullptr, nullptr},

{into<&C::screenFrame>(), "screenFrame", window, QT_TRANSLATE_NOOP("Layout", "Wake Up Screens Selection"), 496, 80, 193, 385, frameFont, standard, standard, NoStyle, normal, 30, nullptr, nullptr},
{into<&C::screenBoxes, 0>(), "screenBox1", &C::screenFrame, QT_TRANSLATE_NOOP("Layout", "Screen 1"), 40, 23, 73, 17, standardFont, standard, standard, NoStyle, checked, 31, nullptr, nullptr},
{into<&C::screen1Picture>(), "screen1Picture", &C::screenFrame, "", 40, 40, 109, 94, standardFont, standard, standard, NoStyle, normal, -1, "screen1.jpg", QT_TRANSLATE_NOOP("Layout", "Wake-up screen 1")},
{into<&C::screenBoxes, 1>(), "screenBox2", &C::screenFrame, QT_TRANSLATE_NOOP("Layout", "Screen 2"), 40, 143, 73, 17, standardFont, standard, standard, NoStyle, normal, 33, nullptr, nullptr},
{into<&C::screen2Picture>(), "screen2Picture", &C::screenFrame, "", 40, 160, 109, 94, standardFont, standard, standard, NoStyle, normal, -1, "screen2.bmp", QT_TRANSLATE_NOOP("Layout", "Wake-up screen 2")},
{into<&C::screenBoxes, 2>(), "screenBox3", &C::screenFrame, QT_TRANSLATE_NOOP("Layout", "Screen 3"), 40, 263, 73, 17, standardFont, standard, standard, NoStyle, normal, 34, nullptr, nullptr},
{into<&C::screen3Preview>(), "screen3Preview", &C::screenFrame, QT_TRANSLATE_NOOP("Layout", "WAKE UP"), 40, 280, 109, 94, wakeUpFont, white, red, Centred | WordWrap, normal, 32, nullptr, QT_TRANSLATE_NOOP("Layout", "Wake-up screen 3")},
};
// clang-format on

// WindowControls holds pointers only: one per row, and its three groups.
constexpr std::size_t controlGroupCount = 3;
static_assert(std::size(layoutRows)
                      == sizeof(WindowControls) / sizeof(QWidget *) - controlGroupCount,
              "a member of WindowControls has no row in the layout table, or a row too many");

const std::vector<ControlEntry> layoutTable(std::begin(layoutRows), std::end(layoutRows));

} // namespace

FontStyle windowFontStyle()
{
    return {sans, 8.25, false, false};
}

QString layoutText(const char *text)
{
    return QCoreApplication::translate("Layout", text);
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
