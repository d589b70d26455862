#pragma once

#include <QtCore/QObject>
#include <QtCore/QString>

class ClockSettings;
class DeviceLink;
class Platform;
namespace Protocol {
enum class Action;
}

// Turns what the user does on the panel into commands to the clock and changes of the
// settings. It knows no widgets: the window hands it the values the user entered and shows
// what it reports.
class ControlPanel : public QObject
{
    Q_OBJECT

public:
    // No track is selected among the alarm's track buttons.
    static constexpr int NoTrackSelected = -1;

    ControlPanel(DeviceLink &link, ClockSettings &settings, Platform &platform,
                 QObject *parent = nullptr);

    void onSetTimeClicked();
    // For a button that sends one command without fields and changes nothing else.
    void sendCommand(Protocol::Action action);

    // The user edited an alarm entry box.
    void onAlarmHourEdited(const QString &text);
    void onAlarmMinuteEdited(const QString &text);
    void onAlarmAmPmEdited(const QString &text);
    // `selectedTrack` is the checked track button's track, or NoTrackSelected.
    void onSetAlarmClicked(int selectedTrack);
    void onPlayAlarmClicked(int selectedTrack);
    void onDisableAlarmClicked();
    void onEnableAlarmClicked();
    void onTestClicked();
    // The user checked (`on`) or cleared the announce box; a change from code sends nothing.
    void onAnnounceClicked(bool on);
    // A scheme or screen box became the one chosen.
    void onSchemeChosen(int scheme);
    void onScreenChosen(int screen);
    // Any click on a screen box, whether or not it changes the choice.
    void onScreenBoxClicked();

signals:
    // The alarm entry went out as it stands (true), or was edited since (false).
    void alarmEntrySent(bool sent);
    // Whether "Enable WakeUp Alarm" and "Disable WakeUp Alarm" may be pressed.
    void enableAlarmAvailable(bool available);
    void disableAlarmAvailable(bool available);

private:
    void takeSelectedTrack(int selectedTrack);

    DeviceLink &m_link;
    ClockSettings &m_settings;
    Platform &m_platform;
};
