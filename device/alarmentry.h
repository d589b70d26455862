#pragma once

#include <QtCore/QString>
#include <QtCore/QStringView>

#include <optional>

// How the clock's numeric and AM/PM fields are read from what a person types, shared by the
// panel's boxes, dawnbell-send's arguments and the settings file's port.
namespace Device {

// Longest run of significant digits a whole number may have: enough for any field, and short
// of overflowing a 64-bit value.
inline constexpr int MaxNumberDigits = 18;

// A whole decimal number: blanks around it ignored, an optional sign, digits only (leading
// zeros allowed). Nothing for an empty text, a fraction, an exponent or anything else.
inline std::optional<qint64> wholeNumber(QStringView text)
{
    const QStringView number = text.trimmed();
    qsizetype pos = 0;
    bool negative = false;
    if (pos < number.size() && (number[pos] == u'+' || number[pos] == u'-'))
        negative = number[pos++] == u'-';
    if (pos == number.size())
        return std::nullopt;
    qint64 value = 0;
    int significant = 0;
    for (; pos < number.size(); ++pos) {
        const char16_t c = number[pos].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        if (value == 0 && c == u'0')
            continue;
        if (++significant > MaxNumberDigits)
            return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    return negative ? -value : value;
}

// The alarm's AM/PM box completes a single letter as it is typed: "a" and "A" become "AM",
// "p" and "P" become "PM"; every other text stays as typed.
inline QString completedAmPm(const QString &typed)
{
    if (typed == QLatin1String("a") || typed == QLatin1String("A"))
        return QStringLiteral("AM");
    if (typed == QLatin1String("p") || typed == QLatin1String("P"))
        return QStringLiteral("PM");
    return typed;
}

// The "A" command's flag: the alarm is in the morning for "AM" or "am", in the afternoon for
// any other text.
inline bool isMorning(QStringView amPm)
{
    return amPm == u"AM" || amPm == u"am";
}

// The alarm times the clock can show: hours 1 to 12 with AM or PM, minutes 0 to 59.
inline constexpr int FirstAlarmHour = 1;
inline constexpr int LastAlarmHour = 12;
inline constexpr int LastAlarmMinute = 59;

// Whether a whole number in `text` lies from `first` to `last`.
inline bool isNumberIn(QStringView text, int first, int last)
{
    const std::optional<qint64> value = wholeNumber(text);
    return value && *value >= first && *value <= last;
}

// The AM/PM field of an alarm the clock can show: "AM" or "PM" (or the same in small letters,
// which the "A" command reads alike) once a typed letter is completed; anything else, a
// mixed-case "Am" included, is no such field.
inline std::optional<QString> alarmAmPmOf(const QString &typed)
{
    const QString amPm = completedAmPm(typed);
    if (isMorning(amPm) || amPm == u"PM" || amPm == u"pm")
        return amPm;
    return std::nullopt;
}

// Whether the clock can show this alarm time; what it cannot show never leaves the PC.
inline bool isAlarmTime(QStringView hour, QStringView minute, const QString &amPm)
{
    return isNumberIn(hour, FirstAlarmHour, LastAlarmHour) && isNumberIn(minute, 0, LastAlarmMinute)
            && alarmAmPmOf(amPm).has_value();
}

} // namespace Device
