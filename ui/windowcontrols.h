#pragma once

#include "deviceconstants.h"

#include <array>

class ChoiceGroup;
class GroupFrame;
class LampShape;
class PictureBox;
class QButtonGroup;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Every control of the window by what it is for, each of its own widget class. It holds
// pointers only: each control is filled by the layout table's row that names its member (a
// count in layout.cpp checks that every member has one), and the groups by the form.
struct WindowControls
{
    // Header strip
    LampShape *linkLamp = nullptr;
    QLabel *linkLabel = nullptr;
    QLabel *bannerLabel = nullptr;
    PictureBox *logoPicture = nullptr;

    // Date and time
    GroupFrame *dateTimeFrame = nullptr;
    QLabel *dateLabel = nullptr;
    QLabel *timeLabel = nullptr;
    QPushButton *setTimeButton = nullptr;
    QCheckBox *announceBox = nullptr;

    // Colour schemes: schemeBoxes[n - 1] chooses scheme n.
    GroupFrame *schemeFrame = nullptr;
    std::array<QCheckBox *, Device::SchemeCount> schemeBoxes{};

    // Network endpoint
    GroupFrame *networkFrame = nullptr;
    QLabel *hostCaption = nullptr;
    QLineEdit *hostEdit = nullptr;
    QLabel *portCaption = nullptr;
    QLineEdit *portEdit = nullptr;
    QPushButton *saveAndExitButton = nullptr;

    // Wake-up alarm: trackButtons[n - 1] is "Alarm #n".
    GroupFrame *alarmFrame = nullptr;
    QPushButton *setAlarmButton = nullptr;
    QLabel *hourCaption = nullptr;
    QLabel *minuteCaption = nullptr;
    QLabel *amPmCaption = nullptr;
    QLineEdit *alarmHourEdit = nullptr;
    QLineEdit *alarmMinuteEdit = nullptr;
    QLineEdit *alarmAmPmEdit = nullptr;
    QFrame *entrySeparator = nullptr;
    QPushButton *playAlarmButton = nullptr;
    QPushButton *stopAlarmButton = nullptr;
    std::array<QRadioButton *, Device::TrackCount> trackButtons{};
    QFrame *trackSeparator = nullptr;
    QPushButton *enableAlarmButton = nullptr;
    QPushButton *testButton = nullptr;
    QPushButton *disableAlarmButton = nullptr;

    // Wake-up screens: screenBoxes[n - 1] chooses screen n, shown below it by its preview.
    GroupFrame *screenFrame = nullptr;
    std::array<QCheckBox *, Device::ScreenCount> screenBoxes{};
    PictureBox *screen1Picture = nullptr;
    PictureBox *screen2Picture = nullptr;
    PictureBox *screen3Preview = nullptr;

    // The three one-of-n choices. The track buttons are exclusive, with the track numbers
    // Device::FirstTrack and up as ids. The scheme and screen boxes are choice groups, with
    // the scheme numbers 1 and up and the screen codes Device::FirstScreenCode and up as ids,
    // which the commands send.
    QButtonGroup *trackGroup = nullptr;
    ChoiceGroup *schemeGroup = nullptr;
    ChoiceGroup *screenGroup = nullptr;
};
