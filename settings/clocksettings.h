#pragma once

#include "settingsrecord.h"
#include "setupdata.h"

#include "deviceconstants.h"

#include <QtCore/QObject>
#include <QtCore/QString>

#include <optional>

// The user's choices for the clock, as the panel works with them: the alarm, the display
// options and the module's endpoint. The settings file's record is read into it once and
// written from it once; fields the user never touched keep the file's own values, so a
// session that changes nothing saves the bytes it loaded.
class ClockSettings : public QObject
{
    Q_OBJECT

public:
    // Empty until a record is loaded.
    explicit ClockSettings(QObject *parent = nullptr);

    // The alarm's hour, minute and AM/PM as the entry boxes hold them; the clock's rule
    // judges them only when they are sent.
    QString alarmHour() const { return m_alarmHour; }
    QString alarmMinute() const { return m_alarmMinute; }
    QString alarmAmPm() const { return m_alarmAmPm; }
    void setAlarmHour(const QString &hour);
    void setAlarmMinute(const QString &minute);
    // A single letter "a" or "p" is completed to "AM" or "PM", which the box then shows.
    void setAlarmAmPm(const QString &amPm);

    // The track the alarm plays, Device::FirstTrack to Device::LastTrack.
    int alarmTrack() const { return m_alarmTrack; }
    void setAlarmTrack(int track);

    // The colour scheme, 1 to Device::SchemeCount, 0 when the file named none of them; the
    // wake-up screen, nothing when the file named none.
    int scheme() const { return m_scheme; }
    void setScheme(int scheme);
    std::optional<Device::WakeUpScreen> screen() const { return m_screen; }
    void setScreen(Device::WakeUpScreen screen);

    bool announceHourly() const { return m_announceHourly; }
    void setAnnounceHourly(bool on);

    // The module's endpoint as the boxes hold it. An edit replaces the loaded endpoint in the
    // record only once it is kept ("Save and Exit"); every other way out saves the loaded one.
    QString host() const { return m_host; }
    QString port() const { return m_port; }
    void setHost(const QString &host);
    void setPort(const QString &port);
    void keepEndpoint();
    // Where the commands go for the endpoint as it stands, and whether it can be used.
    Settings::Endpoint endpoint() const;

    // Takes a record that the settings store gave. The record must be usable
    // (Settings::recordFrom accepted it).
    void load(const SetupData &record);
    // The record to save: the loaded one with the fields the user set since.
    SetupData record() const;

signals:
    void loaded();
    // The hour, minute or AM/PM text changed.
    void alarmChanged();
    void alarmTrackChanged(int track);
    void schemeChanged(int scheme);
    void screenChanged(Device::WakeUpScreen screen);
    void announceHourlyChanged(bool on);
    void endpointChanged();

private:
    // Fields set since the load; only these replace the loaded record's values.
    enum Field : unsigned { Track = 1, Scheme = 2, Screen = 4, Announce = 8, Endpoint = 16 };

    template<class T>
    bool assign(T &member, const T &value, Field field);
    bool assignText(QString &member, const QString &value);

    SetupData m_loaded;
    unsigned m_set = 0;
    QString m_alarmHour;
    QString m_alarmMinute;
    QString m_alarmAmPm;
    int m_alarmTrack = Device::FirstTrack;
    int m_scheme = 0;
    std::optional<Device::WakeUpScreen> m_screen;
    bool m_announceHourly = false;
    QString m_host;
    QString m_port;
};
