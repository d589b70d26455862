#include "clockformat.h"

namespace {

const QLatin1Char quote('\'');
const QLatin1Char zoneField('t');

bool isOpeningBracket(QChar c)
{
    return c == QLatin1Char('(') || c == QLatin1Char('[');
}

bool isClosingBracket(QChar c)
{
    return c == QLatin1Char(')') || c == QLatin1Char(']');
}

void dropTrailingBlanks(QString &text)
{
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
}

} // namespace

QString dateCaption(const QDate &date, const QLocale &locale)
{
    // dayOfWeek() numbers Monday as 1 whatever the locale's first day of the week, so the name
    // is always that of the date itself. The name stands alone in the caption, so it takes the
    // nominative form: Finnish "keskiviikko", not the inflected "keskiviikkona" of a sentence.
    return locale.standaloneDayName(date.dayOfWeek(), QLocale::LongFormat) + QStringLiteral(",  ")
            + locale.toString(date, QStringLiteral("MMM dd, yyyy"));
}

QString timeCaption(const QTime &time, const QLocale &locale)
{
    return locale.toString(time, timeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat)));
}

QString timeFormatWithoutZone(const QString &format)
{
    QString result;
    bool quoted = false;
    bool zoneRemoved = false; // blanks right after a removed zone field are dropped too
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == quote) {
            quoted = !quoted; // '' inside quotes toggles twice and so stays quoted
            zoneRemoved = false;
            result += c;
            continue;
        }
        if (quoted || c != zoneField) {
            if (zoneRemoved && c.isSpace())
                continue;
            if (zoneRemoved && isClosingBracket(c) && !result.isEmpty()
                && isOpeningBracket(result.back())) {
                result.chop(1);
                dropTrailingBlanks(result);
                continue;
            }
            if (zoneRemoved && !result.isEmpty())
                result += QLatin1Char(' '); // the zone sat between two fields
            zoneRemoved = false;
            result += c;
            continue;
        }
        while (i + 1 < format.size() && format.at(i + 1) == zoneField)
            ++i;
        dropTrailingBlanks(result);
        zoneRemoved = true;
    }
    return result;
}

int msecsToNextSecond(const QTime &time)
{
    return 1000 - time.msec() + ClockTicker::MarginMs;
}

ClockTicker::ClockTicker(std::function<QDateTime()> clock, QObject *parent)
    : QObject(parent)
    , m_clock(std::move(clock))
{
    m_timer.setSingleShot(true);
    // A coarse timer may fire up to 5 % of its interval late, which would put the captions
    // tens of milliseconds behind the clock.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ClockTicker::onTimeout);
}

void ClockTicker::start()
{
    m_timer.start(msecsToNextSecond(m_clock().time()));
}

void ClockTicker::stop()
{
    m_timer.stop();
}

void ClockTicker::onTimeout()
{
    start();
    emit ticked();
}
