#include "controlpanel.h"

#include "alarmentry.h"
#include "clocksettings.h"
#include "commands.h"
#include "deviceconstants.h"
#include "devicelink.h"
#include "platform.h"

#include <optional>

ControlPanel::ControlPanel(DeviceLink &link, ClockSettings &settings, Platform &platform,
                           QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_settings(settings)
    , m_platform(platform)
{ }

void ControlPanel::onSetTimeClicked()
{
    // One reading of the clock, advanced as a whole, so a carry of the lead reaches the
    // minute, hour and date instead of sending seconds 60 and 61.
    const QDateTime at = m_platform.now().addSecs(Device::TimeLeadSeconds);
    m_link.sendToDevice(Protocol::setTime(at));
}

void ControlPanel::onAlarmHourEdited(const QString &text)
{
    emit alarmEntrySent(false);
    m_settings.setAlarmHour(text);
}

void ControlPanel::onAlarmMinuteEdited(const QString &text)
{
    emit alarmEntrySent(false);
    m_settings.setAlarmMinute(text);
}

void ControlPanel::onAlarmAmPmEdited(const QString &text)
{
    emit alarmEntrySent(false);
    m_settings.setAlarmAmPm(text);
}

void ControlPanel::takeSelectedTrack(int selectedTrack)
{
    // With no track button selected the track in force stays.
    if (selectedTrack != NoTrackSelected)
        m_settings.setAlarmTrack(selectedTrack);
}

void ControlPanel::onSetAlarmClicked(int selectedTrack)
{
    const QString hour = m_settings.alarmHour();
    const QString minute = m_settings.alarmMinute();
    const QString amPm = m_settings.alarmAmPm();
    if (hour.isEmpty() || minute.isEmpty() || amPm.isEmpty()) {
        m_platform.beep();
        return;
    }
    // A time the clock cannot show is refused like an empty box: the entry stays red.
    if (!Device::isAlarmTime(hour, minute, amPm)) {
        m_platform.beep();
        return;
    }
    takeSelectedTrack(selectedTrack);
    const std::optional<Protocol::Pieces> pieces
            = Protocol::setAlarm(hour, minute, amPm, m_settings.alarmTrack());
    if (!pieces)
        return;
    if (m_link.sendToDevice(*pieces))
        emit alarmEntrySent(true);
}

void ControlPanel::onPlayAlarmClicked(int selectedTrack)
{
    takeSelectedTrack(selectedTrack);
    m_link.sendToDevice(Protocol::playTrack(m_settings.alarmTrack()));
}

void ControlPanel::sendCommand(Protocol::Action action)
{
    m_link.sendToDevice(Protocol::command(action));
}

void ControlPanel::onDisableAlarmClicked()
{
    m_link.sendToDevice(Protocol::disableAlarm());
    emit disableAlarmAvailable(false);
    emit enableAlarmAvailable(true);
}

void ControlPanel::onEnableAlarmClicked()
{
    m_link.sendToDevice(Protocol::enableAlarm());
    emit disableAlarmAvailable(true);
    emit enableAlarmAvailable(false);
}

void ControlPanel::onTestClicked()
{
    m_link.sendToDevice(Protocol::test());
    emit disableAlarmAvailable(true);
}

void ControlPanel::onAnnounceClicked(bool on)
{
    // The setting follows the box before the link is looked at, sent or not.
    m_settings.setAnnounceHourly(on);
    m_link.sendToDevice(Protocol::announceHourly(on));
}

void ControlPanel::onSchemeChosen(int scheme)
{
    // The saved scheme is the one the device took, not the one shown.
    if (m_link.sendToDevice(Protocol::colourScheme(scheme)))
        m_settings.setScheme(scheme);
}

void ControlPanel::onScreenChosen(int screen)
{
    const std::optional<Device::WakeUpScreen> chosen = Device::wakeUpScreenOf(screen);
    if (chosen && m_link.sendToDevice(Protocol::wakeUpScreen(*chosen)))
        m_settings.setScreen(*chosen);
}

void ControlPanel::onScreenBoxClicked()
{
    emit disableAlarmAvailable(true);
}
