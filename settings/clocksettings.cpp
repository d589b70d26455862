#include "clocksettings.h"

#include "alarmentry.h"
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

bool ClockSettings::assignText(QString &member, const QString &value)
{
    if (member == value)
        return false;
    member = value;
    return true;
}

void ClockSettings::setAlarmHour(const QString &hour)
{
    if (assignText(m_alarmHour, hour))
        emit alarmChanged();
}

void ClockSettings::setAlarmMinute(const QString &minute)
{
    if (assignText(m_alarmMinute, minute))
        emit alarmChanged();
}

void ClockSettings::setAlarmAmPm(const QString &amPm)
{
    if (assignText(m_alarmAmPm, Device::completedAmPm(amPm)))
        emit alarmChanged();
}

void ClockSettings::setAlarmTrack(int track)
{
    if (assign(m_alarmTrack, track, Track))
        emit alarmTrackChanged(track);
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

void ClockSettings::setHost(const QString &host)
{
    if (assignText(m_host, host))
        emit endpointChanged();
}

void ClockSettings::setPort(const QString &port)
{
    if (assignText(m_port, port))
        emit endpointChanged();
}

void ClockSettings::keepEndpoint()
{
    m_set |= Endpoint;
}

Settings::Endpoint ClockSettings::endpoint() const
{
    // The host in the file's own form, so that the link looks up the name the file keeps.
    return Settings::endpointFrom(Settings::savedHostOf(m_host), SettingValue::fromText(m_port));
}

void ClockSettings::load(const SetupData &record)
{
    m_loaded = record;
    m_set = 0;
    m_alarmHour = record.AlarmHour.toText();
    m_alarmMinute = record.AlarmMinute.toText();
    // The boxes show the alarm as texts, a lone AM/PM letter completed, and the record keeps
    // what they show.
    m_alarmAmPm = Device::completedAmPm(record.AlarmAMPM.toText());
    m_alarmTrack = Settings::alarmTrackOf(record.AlarmTrack).value_or(Device::FirstTrack);
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
