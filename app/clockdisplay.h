#pragma once

#include "clockformat.h"

#include <QtCore/QObject>

class Platform;
class QLabel;

// The PC's weekday, date and time in two labels, refreshed just after each whole second of
// the platform's clock.
class ClockDisplay : public QObject
{
    Q_OBJECT

public:
    ClockDisplay(Platform &platform, QLabel *dateLabel, QLabel *timeLabel,
                 QObject *parent = nullptr);

    // Paints both labels from the clock's reading now.
    void show();
    void stop() { m_ticker.stop(); }

private:
    Platform &m_platform;
    QLabel *m_dateLabel = nullptr;
    QLabel *m_timeLabel = nullptr;
    ClockTicker m_ticker;
};
