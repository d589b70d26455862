#include "clockdisplay.h"

#include "platform.h"

#include <QtWidgets/QLabel>

ClockDisplay::ClockDisplay(Platform &platform, QLabel *dateLabel, QLabel *timeLabel,
                           QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_dateLabel(dateLabel)
    , m_timeLabel(timeLabel)
    , m_ticker([&platform] { return platform.now(); })
{
    connect(&m_ticker, &ClockTicker::ticked, this, &ClockDisplay::show);
    m_ticker.start();
}

void ClockDisplay::show()
{
    const QDateTime now = m_platform.now();
    const QLocale locale = QLocale::system();
    m_dateLabel->setText(dateCaption(now.date(), locale));
    m_timeLabel->setText(timeCaption(now.time(), locale));
}
