#include "clocksettings.h"

#include "deviceconstants.h"

#include <optional>

namespace {

// The first of `first` to `last` that the saved number equals, or 0: the file may hold any
// number, and only one that names a choice selects it.
int choiceOf(const SettingValue &value, int first, int last)
{
    const std::optional<double> number = value.toNumber();
    for (int choice = first; number && choice <= last; ++choice) {
        if (*number == choice)
            return choice;
    }
    return 0;
}

SettingValue number(int value)
{
    return SettingValue::fromNumber(value);
}

} // namespace

ClockSettings::ClockSettings(QObject *parent)
    : QObject(parent)
{ }

template<class T>
bool ClockSettings::assign(T &member, const T &value, Field field)
{
    // A choice made again is still the user's choice: it is saved in the panel's own form.
    m_set |= field;
    if (member == value)
        return false;
    member = value;
    return true;
}

void ClockSettings::setAlarmHour(const QString &hour)
{
    if (hour != m_alarmHour) {
        m_alarmHour = hour;
        emit alarmChanged();
    }
}

void ClockSettings::setAlarmMinute(const QString &minute)
{
    if (minute != m_alarmMinute) {
        m_alarmMinute = minute;
        emit alarmChanged();
    }
}

void ClockSettings::setAlarmAmPm(const QString &amPm)
{
    if (amPm != m_alarmAmPm) {
        m_alarmAmPm = amPm;
        emit alarmChanged();
    }
}

void ClockSettings::setAlarmTrack(int track)
{
    if (assign(m_alarmTrack, track, Track))
        emit alarmChanged();
}

void ClockSettings::setScheme(int scheme)
{
    if (assign(m_scheme, scheme, Scheme))
        emit schemeChanged(scheme);
}

void ClockSettings::setScreen(Device::WakeUpScreen screen)
{
    if (assign(m_screen, std::optional(screen), Screen))
        emit screenChanged(screen);
}

void ClockSettings::setAnnounceHourly(bool on)
{
    if (assign(m_announceHourly, on, Announce))
        emit announceHourlyChanged(on);
}

void ClockSettings::setEndpoint(const QString &host, const QString &port)
{
    const bool hostChanged = assign(m_host, host, Endpoint);
    if (assign(m_port, port, Endpoint) || hostChanged)
        emit endpointChanged();
}

Settings::Endpoint ClockSettings::endpoint() const
{
    return Settings::endpointOf(record());
}

void ClockSettings::load(const SetupData &record)
{
    m_loaded = record;
    m_set = 0;
    m_alarmHour = record.AlarmHour.toText();
    m_alarmMinute = record.AlarmMinute.toText();
    m_alarmAmPm = record.AlarmAMPM.toText();
    m_alarmTrack = Device::TrackOffset
            + Settings::alarmButtonOf(record.AlarmTrack)
                      .value_or(Device::FirstTrack - Device::TrackOffset);
    m_scheme = choiceOf(record.BackGrounds, 1, Device::SchemeCount);
    m_screen = Device::wakeUpScreenOf(
            choiceOf(record.WakeUpScreens, Device::FirstScreenCode, Device::LastScreenCode));
    m_announceHourly = record.AnnounceHourly.toNumber() == 1.0;
    m_host = Settings::shownHostOf(record.RemoteHost).value_or(record.RemoteHost.toText());
    m_port = record.RemotePort.toText();
    emit loaded();
}

SetupData ClockSettings::record() const
{
    SetupData record = m_loaded;
    // The alarm's texts are saved as the boxes hold them, so they are always texts.
    record.AlarmHour = SettingValue::fromText(m_alarmHour);
    record.AlarmMinute = SettingValue::fromText(m_alarmMinute);
    record.AlarmAMPM = SettingValue::fromText(m_alarmAmPm);
    if (m_set & Track)
        record.AlarmTrack = number(m_alarmTrack);
    if (m_set & Scheme)
        record.BackGrounds = number(m_scheme);
    if (m_set & Screen)
        record.WakeUpScreens = number(int(*m_screen));
    if (m_set & Announce)
        record.AnnounceHourly = number(m_announceHourly ? 1 : 0);
    if (m_set & Endpoint) {
        record.RemoteHost = Settings::savedHostOf(m_host);
        record.RemotePort = SettingValue::fromText(m_port);
    }
    return record;
}
