#pragma once

#include <QtCore/QObject>

class ClockSettings;
struct WindowControls;

// The controls that show the settings, bound one way each: what the user types into the
// endpoint boxes goes into the settings, and every control follows the settings' change
// signals, so nothing writes a value back into the box it came from.
class SettingsBinding : public QObject
{
    Q_OBJECT

public:
    SettingsBinding(const WindowControls &controls, ClockSettings &settings,
                    QObject *parent = nullptr);

private:
    void bindEndpointBoxes();
    void showSettings();
    void showAlarm();
    void showAlarmTrack(int track);
    void showEndpoint();

    const WindowControls &m_controls;
    ClockSettings &m_settings;
};
