#include "devicestate.h"

#include "deviceconstants.h"

namespace {

// The clock's face counts hours from 1 to 12 and knows no time zone; its time is kept as
// UTC fields so that daylight-saving changes of the host never move it.
QDateTime zoneless(const QDateTime &time)
{
    return QDateTime(time.date(), time.time(), Qt::UTC);
}

QString twoDigits(qint64 value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

DeviceState::Scheme DeviceState::scheme(int number)
{
    // The background and the digits of each scheme, as its name says.
    static constexpr Qt::GlobalColor colours[Device::SchemeCount][2] = {
            {Qt::black, Qt::green},
            {Qt::black, Qt::red},
            {Qt::blue, Qt::yellow},
            {Qt::darkCyan, Qt::black}, // teal
    };
    Q_ASSERT(number >= 1 && number <= Device::SchemeCount);
    const int index = qBound(1, number, Device::SchemeCount) - 1;
    return {Device::SchemeNames[index], colours[index][0], colours[index][1]};
}

QString DeviceState::clockText(qint64 hour, qint64 minute, bool morning)
{
    return QStringLiteral("%1:%2 %3")
            .arg(hour)
            .arg(twoDigits(minute), morning ? QStringLiteral("AM") : QStringLiteral("PM"));
}

void DeviceState::advance(qint64 nowMs)
{
    if (nowMs <= m_now)
        return;
    const std::optional<QDateTime> before = timeAt(m_now);
    m_now = nowMs;
    if (!before)
        return;
    const QDateTime after = *timeAt(m_now);
    // The monotonic moment at which the device's time showed `moment`.
    auto monotonicAt = [&](const QDateTime &moment) { return m_now - moment.msecsTo(after); };

    if (const std::optional<QTime> alarmAt = alarmTimeOfDay(); alarmAt && m_alarmEnabled) {
        QDateTime next(before->date(), *alarmAt, Qt::UTC);
        if (next <= *before)
            next = next.addDays(1);
        if (next <= after) {
            m_ringing = true;
            m_playing = m_alarm->track;
        }
    }
    if (m_announce) {
        const QDateTime lastHour(after.date(), QTime(after.time().hour(), 0), Qt::UTC);
        if (lastHour > *before) {
            m_announcedHour = lastHour.time().hour();
            m_announceUntil = monotonicAt(lastHour) + AnnounceShowMs;
        }
    }
}

void DeviceState::receive(const Protocol::Command &command, qint64 nowMs)
{
    using Protocol::Action;
    advance(nowMs);
    const Protocol::CommandRow *row = Protocol::commandRow(command.code);
    if (!row)
        return;
    const QList<qint64> &f = command.fields;
    switch (row->action) {
    case Action::SetClock:
        // A time that cannot be leaves the clock as it was.
        if (const std::optional<QDateTime> time = Protocol::clockTimeOf(command)) {
            m_setTime = zoneless(*time);
            m_setAt = m_now;
        }
        break;
    case Action::SetAlarm:
        m_alarm = Alarm{f[0], f[1], f[2] == 1, f[3]};
        break;
    case Action::PlayTrack:
        m_playing = f[0];
        break;
    case Action::StopAlarm:
        m_playing.reset();
        m_ringing = false;
        break;
    case Action::DisableAlarm:
        m_alarmEnabled = false;
        break;
    case Action::EnableAlarm:
        m_alarmEnabled = true;
        break;
    case Action::Test:
        m_testUntil = m_now + TestShowMs;
        break;
    case Action::AnnounceHours:
        m_announce = true;
        break;
    case Action::StopAnnouncing:
        m_announce = false;
        break;
    case Action::ChooseScheme:
        m_scheme = row->choice;
        break;
    case Action::ChooseScreen:
        m_screen = Device::wakeUpScreenNumbered(row->choice).value_or(m_screen);
        break;
    default:
        // A command the simulated clock shows nothing of; the simulator only logs it.
        break;
    }
}

std::optional<QDateTime> DeviceState::timeAt(qint64 nowMs) const
{
    if (!m_setTime)
        return std::nullopt;
    return m_setTime->addMSecs(nowMs - m_setAt);
}

std::optional<QDateTime> DeviceState::time() const
{
    const std::optional<QDateTime> now = timeAt(m_now);
    if (!now)
        return std::nullopt;
    // The device ticks once a second: the shown second changes only when a whole one passed.
    return now->addMSecs(-now->time().msec());
}

std::optional<QTime> DeviceState::alarmTimeOfDay() const
{
    if (!m_alarm)
        return std::nullopt;
    const Alarm &a = *m_alarm;
    if (a.hour < 0 || a.hour > 12 || a.minute < 0 || a.minute > 59)
        return std::nullopt;
    const qint64 hour = a.hour % 12 + (a.morning ? 0 : 12);
    return QTime(int(hour), int(a.minute));
}

DeviceState::Overlay DeviceState::overlay() const
{
    if (m_now < m_testUntil)
        return Overlay::Test;
    return m_ringing ? Overlay::Alarm : Overlay::None;
}

QString DeviceState::timeText() const
{
    const std::optional<QDateTime> now = time();
    if (!now)
        return QStringLiteral("--:--:--");
    const QTime t = now->time();
    const int dialHour = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    return QStringLiteral("%1:%2:%3 %4")
            .arg(dialHour)
            .arg(twoDigits(t.minute()), twoDigits(t.second()),
                 t.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

QString DeviceState::dateText() const
{
    const std::optional<QDateTime> now = time();
    return now ? now->date().toString(QStringLiteral("ddd yyyy-MM-dd")) : QString();
}

QString DeviceState::alarmText() const
{
    const QString enabled = m_alarmEnabled ? tr("enabled") : tr("disabled");
    if (!m_alarm)
        return tr("Alarm not set, %1").arg(enabled);
    const Alarm &a = *m_alarm;
    QString text = tr("Alarm %1").arg(clockText(a.hour, a.minute, a.morning));
    if (!alarmTimeOfDay())
        text += tr(" (not a time of day)");
    text += tr(", track %1").arg(a.track);
    if (a.track >= Device::FirstTrack && a.track <= Device::LastTrack)
        text += tr(" (Alarm #%1)").arg(a.track - Device::TrackOffset);
    return text + QStringLiteral(", ") + enabled;
}

QString DeviceState::announceText() const
{
    return m_announce ? tr("Hourly announcement on") : tr("Hourly announcement off");
}

QString DeviceState::screenText() const
{
    return tr("Wake-up screen %1").arg(Device::screenNumber(m_screen));
}

QString DeviceState::linkText() const
{
    return m_peer.isEmpty() ? tr("waiting for the panel")
                            : tr("panel connected from %1").arg(m_peer);
}

QString DeviceState::eventText() const
{
    QStringList parts;
    if (m_now < m_announceUntil)
        parts << tr("announce %1:00").arg(twoDigits(m_announcedHour));
    if (m_playing)
        parts << tr("playing track %1").arg(*m_playing);
    return parts.join(QStringLiteral(", "));
}

QString DeviceState::overlayText() const
{
    switch (overlay()) {
    case Overlay::Test:
        return QStringLiteral("TEST");
    case Overlay::Alarm:
        return m_playing ? tr("playing track %1").arg(*m_playing) : QString();
    case Overlay::None:
        break;
    }
    return QString();
}
