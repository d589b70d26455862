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

} // namespace Device
