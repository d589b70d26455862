#include "setupdata.h"

#include <QtCore/QLocale>

#include <charconv>
#include <cmath>
#include <string>

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Integers this small print exactly as whole numbers; beyond them the exponent form is
// shorter and still reads back to the same double.
constexpr double WholeNumberLimit = 1e15;

} // namespace

SettingValue SettingValue::fromText(const QString &text)
{
    SettingValue value;
    value.m_kind = Kind::Text;
    value.m_text = text;
    return value;
}

SettingValue SettingValue::fromNumber(double number)
{
    SettingValue value;
    value.m_kind = Kind::Number;
    value.m_number = number;
    return value;
}

QString SettingValue::toText() const
{
    switch (m_kind) {
    case Kind::Empty:
        return QString();
    case Kind::Text:
        return m_text;
    case Kind::Number:
        if (std::isfinite(m_number) && std::fabs(m_number) < WholeNumberLimit
            && std::trunc(m_number) == m_number) {
            return QString::number(static_cast<qint64>(m_number));
        }
        // The shortest form that reads back to the same double, always with a period.
        return QString::number(m_number, 'g', QLocale::FloatingPointShortest);
    }
    return QString();
}

std::optional<double> SettingValue::toNumber() const
{
    switch (m_kind) {
    case Kind::Empty:
        return 0.0;
    case Kind::Text:
        return readNumber(m_text);
    case Kind::Number:
        return m_number;
    }
    return std::nullopt;
}

bool SettingValue::operator==(const SettingValue &other) const
{
    if (m_kind != other.m_kind)
        return false;
    switch (m_kind) {
    case Kind::Empty:
        return true;
    case Kind::Text:
        return m_text == other.m_text;
    case Kind::Number:
        return m_number == other.m_number;
    }
    return false;
}

std::optional<double> readNumber(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;

    // Check the whole grammar first: std::from_chars alone would accept "inf" or "nan" and
    // stop quietly at the first character it does not understand.
    qsizetype i = begin;
    bool negative = false;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    const qsizetype mantissaBegin = i;
    qsizetype digits = 0;
    while (i < end && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < end && text[i] == u'.') {
        ++i;
        while (i < end && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < end && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < end && (text[i] == u'+' || text[i] == u'-'))
            ++i;
        qsizetype exponentDigits = 0;
        while (i < end && isDigit(text[i])) {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != end)
        return std::nullopt;

    // Every character left is ASCII, so the narrowing below is exact.
    std::string ascii;
    ascii.reserve(static_cast<size_t>(end - mantissaBegin));
    for (qsizetype k = mantissaBegin; k < end; ++k)
        ascii.push_back(static_cast<char>(text[k].unicode()));

    double value = 0;
    const auto [last, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    // A value beyond the range of a double is no number the panel could use.
    if (error != std::errc() || last != ascii.data() + ascii.size() || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

bool SetupData::operator==(const SetupData &other) const
{
    return HeaderLine == other.HeaderLine && AlarmHourComment == other.AlarmHourComment
            && AlarmHour == other.AlarmHour && AlarmMinuteComment == other.AlarmMinuteComment
            && AlarmMinute == other.AlarmMinute && AlarmAMPMComment == other.AlarmAMPMComment
            && AlarmAMPM == other.AlarmAMPM && AlarmTrackComment == other.AlarmTrackComment
            && AlarmTrack == other.AlarmTrack && BackGroundsComment == other.BackGroundsComment
            && BackGrounds == other.BackGrounds
            && WakeUpScreensComment == other.WakeUpScreensComment
            && WakeUpScreens == other.WakeUpScreens
            && AnnounceHourlyComment == other.AnnounceHourlyComment
            && AnnounceHourly == other.AnnounceHourly
            && RemoteHostComment == other.RemoteHostComment && RemoteHost == other.RemoteHost
            && RemotePortComment == other.RemotePortComment && RemotePort == other.RemotePort;
}
