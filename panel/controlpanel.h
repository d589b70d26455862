#pragma once

#include "panelcontrols.h"

#include <QtCore/QObject>

class DeviceLink;
class Platform;
class QButtonGroup;
class QColor;
struct SetupData;

// Turns the user's actions on the panel's controls into device commands and settings.
class ControlPanel : public QObject
{
    Q_OBJECT

public:
    // Text colours of the alarm entry boxes: red until the entry went out.
    static constexpr Qt::GlobalColor EntryUnsent = Qt::red;
    static constexpr Qt::GlobalColor EntrySent = Qt::black;

    // Every control in `controls` must be set; the handlers are connected here.
    ControlPanel(const PanelControls &controls, DeviceLink &link, SetupData &record,
                 Platform &platform, QObject *parent = nullptr);

    // Shows the record, already read and validated, in the controls. The alarm and endpoint
    // boxes run their change handlers as typing would; the check boxes are set without their
    // click handlers, so loading sends nothing and cannot overwrite the saved choices.
    void showSettings();

    void onSetTimeClicked();

    void onAlarmHourEdited();
    void onAlarmMinuteEdited();
    void onAlarmAmPmEdited();
    void onSetAlarmClicked();
    void onPlayAlarmClicked();
    void onStopAlarmClicked();
    void onDisableAlarmClicked();
    void onEnableAlarmClicked();
    void onTestClicked();

    void onAnnounceToggled(bool on);
    void onSchemeClicked(int scheme);
    void onScreenClicked(int screen);

    void onEndpointEdited();

private:
    void connectHandlers();
    void setEntryColour(const QColor &colour);
    void takeSelectedTrack();

    PanelControls m_controls;
    DeviceLink &m_link;
    SetupData &m_record;
    Platform &m_platform;
};
