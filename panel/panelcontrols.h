#pragma once

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;

// The window's controls that the command handlers and the settings loader work on.
struct PanelControls
{
    QPushButton *setTimeButton = nullptr;
    QPushButton *setAlarmButton = nullptr;
    QPushButton *playAlarmButton = nullptr;
    QPushButton *stopAlarmButton = nullptr;
    QPushButton *enableAlarmButton = nullptr;
    QPushButton *disableAlarmButton = nullptr;
    QPushButton *testButton = nullptr;
    QPushButton *saveAndExitButton = nullptr;

    QLineEdit *alarmHourEdit = nullptr;
    QLineEdit *alarmMinuteEdit = nullptr;
    QLineEdit *alarmAmPmEdit = nullptr;
    QLineEdit *hostEdit = nullptr;
    QLineEdit *portEdit = nullptr;

    QCheckBox *announceBox = nullptr;

    // The alarm track buttons, exclusive, with the track numbers as ids.
    QButtonGroup *trackGroup = nullptr;
    // The colour scheme boxes, not exclusive, with the scheme numbers 1 and up as ids.
    QButtonGroup *schemeGroup = nullptr;
    // The wake-up screen boxes, not exclusive, with the screen codes as ids.
    QButtonGroup *screenGroup = nullptr;
};
