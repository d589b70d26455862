#include "devicestate.h"

#include "deviceconstants.h"

namespace {

// The clock's face counts hours from 1 to 12 and knows no time zone; its time is kept as
// UTC fields so that daylight-saving changes of the host never move it.
QDateTime zoneless(const QDateTime &time)
{
    return QDateTime(time.date(), time.time(), Qt::UTC);
}

// The panel's alarm buttons, "Alarm #1" to "Alarm #16".
constexpr int AlarmButtons = 16;

QString twoDigits(qint64 value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

const DeviceState::Scheme &DeviceState::scheme(int number)
{
    static const Scheme schemes[SchemeCount] = {
            {"Black/Green", 0x000000, 0x00FF00},
            {"Black/Red", 0x000000, 0x0000FF},
            {"Blue/Yellow", 0xFF0000, 0x00FFFF},
            {"Teal/Black", 0x808000, 0x000000},
    };
    Q_ASSERT(number >= 1 && number <= SchemeCount);
    return schemes[qBound(1, number, SchemeCount) - 1];
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
    advance(nowMs);
    const QList<qint64> &f = command.fields;
    switch (command.code) {
    case 'T':
        // A time that cannot be leaves the clock as it was.
        if (const std::optional<QDateTime> time = Protocol::clockTimeOf(command)) {
            m_setTime = zoneless(*time);
            m_setAt = m_now;
        }
        break;
    case 'A':
        m_alarm = Alarm{f[0], f[1], f[2] == 1, f[3]};
        break;
    case 'P':
        m_playing = f[0];
        break;
    case 'S':
        m_playing.reset();
        m_ringing = false;
        break;
    case 'D':
        m_alarmEnabled = false;
        break;
    case 'E':
        m_alarmEnabled = true;
        break;
    case '!':
        m_testUntil = m_now + TestShowMs;
        break;
    case 'H':
        m_announce = true;
        break;
    case 'h':
        m_announce = false;
        break;
    case '1':
    case '2':
    case '3':
    case '4':
        m_scheme = command.code - '0';
        break;
    case '5':
    case '6':
    case '7':
        m_screen = command.code - '4';
        break;
    default:
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
    const QString enabled = m_alarmEnabled ? QStringLiteral("enabled") : QStringLiteral("disabled");
    if (!m_alarm)
        return QStringLiteral("Alarm not set, %1").arg(enabled);
    const Alarm &a = *m_alarm;
    QString text = QStringLiteral("Alarm ") + clockText(a.hour, a.minute, a.morning);
    if (!alarmTimeOfDay())
        text += QStringLiteral(" (not a time of day)");
    text += QStringLiteral(", track %1").arg(a.track);
    if (const qint64 button = a.track - Device::TrackOffset; button >= 1 && button <= AlarmButtons)
        text += QStringLiteral(" (Alarm #%1)").arg(button);
    return text + QStringLiteral(", ") + enabled;
}

QString DeviceState::announceText() const
{
    return m_announce ? QStringLiteral("Hourly announcement on")
                      : QStringLiteral("Hourly announcement off");
}

QString DeviceState::screenText() const
{
    return QStringLiteral("Wake-up screen %1").arg(m_screen);
}

QString DeviceState::linkText() const
{
    return m_peer.isEmpty() ? QStringLiteral("waiting for the panel")
                            : QStringLiteral("panel connected from %1").arg(m_peer);
}

QString DeviceState::eventText() const
{
    QStringList parts;
    if (m_now < m_announceUntil)
        parts << QStringLiteral("announce %1:00").arg(twoDigits(m_announcedHour));
    if (m_playing)
        parts << QStringLiteral("playing track %1").arg(*m_playing);
    return parts.join(QStringLiteral(", "));
}

QString DeviceState::overlayText() const
{
    switch (overlay()) {
    case Overlay::Test:
        return QStringLiteral("TEST");
    case Overlay::Alarm:
        return m_playing ? QStringLiteral("playing track %1").arg(*m_playing) : QString();
    case Overlay::None:
        break;
    }
    return QString();
}
