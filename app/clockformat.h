#pragma once

#include <QtCore/QDate>
#include <QtCore/QDateTime>
#include <QtCore/QLocale>
#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtCore/QTime>
#include <QtCore/QTimer>

#include <functional>

// Captions of the date and time labels; the caller passes the clock reading and the locale so
// that the captions can be checked for any instant and any regional setting.

// Full standalone weekday name, a comma and two blanks, then "MMM dd, yyyy" in the locale's
// language: en_US 2018-01-01 gives "Monday,  Jan 01, 2018".
QString dateCaption(const QDate &date, const QLocale &locale);

// The locale's long time format without its time zone: en_US 21:05:07 gives "9:05:07 PM".
QString timeCaption(const QTime &time, const QLocale &locale);

// `format` (a QLocale time format) with its time-zone fields, the blanks next to them and any
// brackets left empty removed; quoted text is kept as it stands.
QString timeFormatWithoutZone(const QString &format);

// Milliseconds from `time` until just after the next whole second, when a caption refreshed
// shows the new second.
int msecsToNextSecond(const QTime &time);

// Ticks just after each whole second of a clock. Every tick aims anew at the next second as
// the clock reads it, so the captions change with the clock's own second whatever moment the
// ticker started, and a late tick does not delay the ones after it.
class ClockTicker : public QObject
{
    Q_OBJECT

public:
    // How far past the whole second a tick aims: a timer that fires a little early still
    // finds the new second.
    static constexpr int MarginMs = 5;

    explicit ClockTicker(std::function<QDateTime()> clock, QObject *parent = nullptr);

    void start();
    void stop();
    bool isActive() const { return m_timer.isActive(); }
    // The wait before the next tick, as aimed when the ticker last read the clock.
    int nextTickDelay() const { return m_timer.interval(); }

signals:
    void ticked();

private:
    void onTimeout();

    std::function<QDateTime()> m_clock;
    QTimer m_timer;
};
