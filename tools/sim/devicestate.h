#pragma once

#include "commanddecoder.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDateTime>
#include <QtCore/QString>

#include <optional>

// What the simulated clock shows, worked out only from the commands it received and from a
// monotonic clock that the caller drives (so tests can step time instead of waiting).
class DeviceState
{
    Q_DECLARE_TR_FUNCTIONS(DeviceState)

public:
    // A colour scheme as the panel's captions name it, with the colours the face shows.
    struct Scheme
    {
        const char *name;
        Qt::GlobalColor background;
        Qt::GlobalColor text;
    };
    // Scheme 1 to Device::SchemeCount, as the commands "1" and up choose them.
    static Scheme scheme(int number);

    // "6:30 AM": an alarm's time as the "A" command's fields give it.
    static QString clockText(qint64 hour, qint64 minute, bool morning);

    static constexpr qint64 TestShowMs = 3000;
    static constexpr qint64 AnnounceShowMs = 5000;

    // What covers the face: nothing, the wake-up screen of a test, or of a ringing alarm.
    enum class Overlay { None, Test, Alarm };

    // Moves the monotonic clock on to nowMs (earlier values are ignored). Rings the alarm and
    // announces the hour when the device's own time passes them on the way.
    void advance(qint64 nowMs);
    // Acts on a command that arrived at nowMs.
    void receive(const Protocol::Command &command, qint64 nowMs);
    // The connected panel's address and port, or an empty text while none is connected.
    void setPeer(const QString &peer) { m_peer = peer; }

    // The device's time, to the second it shows; nothing before the first valid "T".
    std::optional<QDateTime> time() const;
    int schemeNumber() const { return m_scheme; }
    Device::WakeUpScreen screen() const { return m_screen; }
    bool alarmEnabled() const { return m_alarmEnabled; }
    bool announcesHourly() const { return m_announce; }
    std::optional<qint64> playingTrack() const { return m_playing; }
    Overlay overlay() const;

    // The texts on the face.
    QString timeText() const;     // "3:05:32 PM", dashes before the first "T"
    QString dateText() const;     // "Wed 2018-07-04", empty before the first "T"
    QString alarmText() const;    // "Alarm 6:30 AM, track 151 (Alarm #2), enabled"
    QString announceText() const; // "Hourly announcement on" / "off"
    QString screenText() const;   // "Wake-up screen 2"
    QString linkText() const;     // "waiting for the panel" / "panel connected from ..."
    QString eventText() const;    // "announce 07:00", "playing track 152", both, or empty
    QString overlayText() const;  // "TEST", "playing track 151", or empty

private:
    struct Alarm
    {
        qint64 hour = 0;
        qint64 minute = 0;
        bool morning = true;
        qint64 track = 0;
    };

    std::optional<QDateTime> timeAt(qint64 nowMs) const;
    std::optional<QTime> alarmTimeOfDay() const;

    qint64 m_now = 0;
    std::optional<QDateTime> m_setTime; // wall-clock fields of the last "T", without a zone
    qint64 m_setAt = 0;                 // m_now when it came
    int m_scheme = 1;
    Device::WakeUpScreen m_screen = Device::WakeUpScreen::Screen1;
    std::optional<Alarm> m_alarm;
    bool m_alarmEnabled = true;
    bool m_ringing = false;
    bool m_announce = false;
    std::optional<qint64> m_playing;
    qint64 m_testUntil = -1;
    qint64 m_announceUntil = -1;
    int m_announcedHour = 0;
    QString m_peer;
};
