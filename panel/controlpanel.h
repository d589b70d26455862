#pragma once

#include "panelcontrols.h"

#include <QtCore/QObject>

#include <array>

class DeviceLink;
class Platform;
class QCheckBox;
struct SetupData;

// Turns the user's actions on the panel's controls into device commands and settings.
class ControlPanel : public QObject
{
    Q_OBJECT

public:
    // The "T" command sets the device this far ahead, for the time the bytes take to arrive.

    // Text colours of the alarm entry boxes, blue-green-red: red until the entry went out.
    static constexpr int EntryUnsent = 255;
    static constexpr int EntrySent = 0;

    // Every control in `controls` must be set; the handlers are connected here.
    ControlPanel(const PanelControls &controls, DeviceLink &link, SetupData &record,
                 Platform &platform, QObject *parent = nullptr);

    // Shows the record, already read and validated, in the controls. The alarm and endpoint
    // boxes run their change handlers as typing would; the check boxes are set without their
    // click handlers, so loading sends nothing and cannot overwrite the saved choices.
    void showSettings();

    void CMDSET_TIME_Click();

    void Text_SATH_Change();
    void Text_SATM_Change();
    void Text_SATAMPM_Change();
    void CMDSet_WUA_Click();
    void CMDPlay_WUA_Click();
    void CMDStop_WUA_Click();
    void CMDSet_DWUA_Click();
    void CMDSet_EWUA_Click();
    void CMDSet_TEST_Click();

    void Check1_Click();
    void Check21_Click();
    void Check22_Click();
    void Check23_Click();
    void Check24_Click();
    void Check31_Click();
    void Check32_Click();
    void Check33_Click();

    void Text5_Change(int index);

private:
    static constexpr int FirstScreen = 5;

    void connectHandlers();
    void setEntryColour(int colour);
    void scanTrack();
    void schemeClicked(int scheme);
    void screenClicked(int screen);

    PanelControls m_controls;
    DeviceLink &m_link;
    SetupData &m_record;
    Platform &m_platform;
    std::array<QCheckBox *, 4> m_schemeBoxes{};
    std::array<QCheckBox *, 3> m_screenBoxes{};
};
