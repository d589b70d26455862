#pragma once

#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The window's controls that the command handlers and the settings loader work on.
struct PanelControls
{
    QPushButton *CMDSET_TIME = nullptr;
    QPushButton *CMDSet_WUA = nullptr;
    QPushButton *CMDPlay_WUA = nullptr;
    QPushButton *CMDStop_WUA = nullptr;
    QPushButton *CMDSet_EWUA = nullptr;
    QPushButton *CMDSet_DWUA = nullptr;
    QPushButton *CMDSet_TEST = nullptr;
    QPushButton *CMD_SaveExit = nullptr;

    QLineEdit *Text_SATH = nullptr;
    QLineEdit *Text_SATM = nullptr;
    QLineEdit *Text_SATAMPM = nullptr;
    std::array<QLineEdit *, 2> Text5{}; // 0 remote host, 1 remote port

    // Option1(1) to Option1(16); there is no member 0.
    std::array<QRadioButton *, 17> Option1{};

    QCheckBox *Check1 = nullptr;
    QCheckBox *Check21 = nullptr;
    QCheckBox *Check22 = nullptr;
    QCheckBox *Check23 = nullptr;
    QCheckBox *Check24 = nullptr;
    QCheckBox *Check31 = nullptr;
    QCheckBox *Check32 = nullptr;
    QCheckBox *Check33 = nullptr;
};
