#include "commands.h"

#include "deviceconstants.h"

namespace Protocol {

namespace {

// Functions rather than constants: encoders may run during another file's static setup.
QByteArray comma()
{
    return QByteArrayLiteral(",");
}

QByteArray trailingZero()
{
    return QByteArrayLiteral(" 0");
}

QByteArray twoDigits(int value)
{
    return QByteArray::number(value).rightJustified(2, '0');
}

QByteArray flag(bool first)
{
    return first ? QByteArrayLiteral("1") : QByteArrayLiteral("2");
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

Pieces single(char code)
{
    return {QByteArray(1, code)};
}

// How each field after the command character is written; every field follows a comma.
enum class Field { TwoDigits, Signed, Flag, LiteralZero, LiteralBlankZero };

const Field TimeFields[] = {Field::TwoDigits, Field::TwoDigits,  Field::TwoDigits,
                            Field::Signed,    Field::Signed,     Field::Signed,
                            Field::Flag,      Field::LiteralZero};
const Field AlarmFields[]
        = {Field::Signed, Field::Signed, Field::Flag, Field::Signed, Field::LiteralBlankZero};
const Field PlayFields[] = {Field::Signed, Field::LiteralBlankZero};

enum class Parse { Complete, NeedMore, Invalid };

// Reads one command with fields from data[0..size). On Complete, `length` is its byte count and
// `values` holds the fields. Most candidates fail, so values stay on the stack until the end.
template<size_t N>
Parse parseFields(const char *data, qsizetype size, const Field (&fields)[N], QList<qint64> &values,
                  qsizetype &length)
{
    qint64 parsed[N];
    qint64 *next = parsed;
    qsizetype pos = 1;
    auto need = [&](qsizetype count) { return pos + count <= size; };
    for (Field field : fields) {
        if (!need(1))
            return Parse::NeedMore;
        if (data[pos++] != ',')
            return Parse::Invalid;
        switch (field) {
        case Field::TwoDigits:
            for (int i = 0; i < 2; ++i) {
                if (!need(1))
                    return Parse::NeedMore;
                if (!isDigit(data[pos++]))
                    return Parse::Invalid;
            }
            *next++ = (data[pos - 2] - '0') * 10 + (data[pos - 1] - '0');
            break;
        case Field::Flag:
            if (!need(1))
                return Parse::NeedMore;
            if (data[pos] != '1' && data[pos] != '2')
                return Parse::Invalid;
            *next++ = data[pos++] - '0';
            break;
        case Field::LiteralZero:
            if (!need(1))
                return Parse::NeedMore;
            if (data[pos++] != '0')
                return Parse::Invalid;
            *next++ = 0;
            break;
        case Field::LiteralBlankZero:
            for (char expected : {' ', '0'}) {
                if (!need(1))
                    return Parse::NeedMore;
                if (data[pos++] != expected)
                    return Parse::Invalid;
            }
            *next++ = 0;
            break;
        case Field::Signed: {
            if (!need(1))
                return Parse::NeedMore;
            const char sign = data[pos++];
            if (sign != ' ' && sign != '-')
                return Parse::Invalid;
            qint64 value = 0;
            int digits = 0;
            // A blank-signed field is never last, so it always ends at the next comma.
            while (need(1) && isDigit(data[pos])) {
                // The encoder writes no leading zeros and no "-0".
                if (digits == 1 && value == 0)
                    return Parse::Invalid;
                if (++digits > MaxNumberDigits)
                    return Parse::Invalid;
                value = value * 10 + (data[pos++] - '0');
            }
            if (!need(1))
                return Parse::NeedMore;
            if (digits == 0 || (sign == '-' && value == 0))
                return Parse::Invalid;
            *next++ = sign == '-' ? -value : value;
            break;
        }
        }
    }
    values = QList<qint64>(parsed, next);
    length = pos;
    return Parse::Complete;
}

// Scheme n is chosen by the byte '0' + n, a wake-up screen by '0' + its code.
char schemeByte(int scheme)
{
    return char('0' + scheme);
}

char screenByte(int screen)
{
    return char('0' + screen);
}

bool isOneByteCommand(char c)
{
    switch (c) {
    case 'S':
    case 'D':
    case 'E':
    case '!':
    case 'H':
    case 'h':
        return true;
    default:
        return (c >= schemeByte(1) && c <= schemeByte(Device::SchemeCount))
                || (c >= screenByte(Device::FirstScreenCode)
                    && c <= screenByte(Device::LastScreenCode));
    }
}

bool startsCommand(char c)
{
    return isOneByteCommand(c) || c == 'T' || c == 'A' || c == 'P';
}

// One shared copy of each one-byte command, so that a stream of them costs no allocation per
// command.
QByteArray singleByte(char code)
{
    struct Table
    {
        QByteArray bytes[256];
    };
    static const Table table = [] {
        Table filled;
        for (int i = 0; i < 256; ++i)
            filled.bytes[i] = QByteArray(1, char(i));
        return filled;
    }();
    return table.bytes[uchar(code)];
}

Parse parseCommand(const char *data, qsizetype size, Command &command)
{
    qsizetype length = 1;
    Parse result = Parse::Complete;
    switch (data[0]) {
    case 'T':
        result = parseFields(data, size, TimeFields, command.fields, length);
        break;
    case 'A':
        result = parseFields(data, size, AlarmFields, command.fields, length);
        break;
    case 'P':
        result = parseFields(data, size, PlayFields, command.fields, length);
        break;
    default:
        if (!isOneByteCommand(data[0]))
            return Parse::Invalid;
        break;
    }
    if (result == Parse::Complete) {
        command.code = data[0];
        command.raw = length == 1 ? singleByte(data[0]) : QByteArray(data, length);
    }
    return result;
}

} // namespace

QByteArray blankSigned(qint64 value)
{
    // The magnitude is taken unsigned so that the most negative value has one too.
    const quint64 magnitude = value < 0 ? 0 - quint64(value) : quint64(value);
    return (value < 0 ? QByteArrayLiteral("-") : QByteArrayLiteral(" "))
            + QByteArray::number(magnitude);
}

Pieces setTime(const QDateTime &time)
{
    const QDate date = time.date();
    const QTime clock = time.time();
    const int hour = clock.hour();
    // A 12-hour dial where the hour after midnight reads 0, not 12.
    const int dialHour = hour > 12 ? hour - 12 : hour;
    // The device reads a minute below 10 only with 100 added.
    const int minute = clock.minute() < 10 ? clock.minute() + 100 : clock.minute();
    const int year = ((date.year() % 100) + 100) % 100;
    return {"T",
            comma(),
            twoDigits(date.month()),
            comma(),
            twoDigits(date.day()),
            comma(),
            twoDigits(year),
            comma(),
            blankSigned(dialHour),
            comma(),
            blankSigned(minute),
            comma(),
            blankSigned(clock.second()),
            comma(),
            flag(hour < 12),
            comma(),
            "0"};
}

std::optional<Pieces> setAlarm(QStringView hour, QStringView minute, QStringView amPm, int track)
{
    const std::optional<qint64> hourValue = wholeNumber(hour);
    const std::optional<qint64> minuteValue = wholeNumber(minute);
    if (!hourValue || !minuteValue)
        return std::nullopt;
    return Pieces{"A",
                  comma(),
                  blankSigned(*hourValue),
                  comma(),
                  blankSigned(*minuteValue),
                  comma(),
                  flag(Device::isMorning(amPm)),
                  comma(),
                  blankSigned(track),
                  comma(),
                  trailingZero()};
}

Pieces playTrack(int track)
{
    return {"P", comma(), blankSigned(track), comma(), trailingZero()};
}

Pieces stopAlarm()
{
    return single('S');
}

Pieces disableAlarm()
{
    return single('D');
}

Pieces enableAlarm()
{
    return single('E');
}

Pieces test()
{
    return single('!');
}

Pieces announceHourly(bool on)
{
    return single(on ? 'H' : 'h');
}

Pieces colourScheme(int scheme)
{
    if (scheme < 1 || scheme > Device::SchemeCount)
        return {};
    return single(schemeByte(scheme));
}

Pieces wakeUpScreen(int screen)
{
    if (screen < Device::FirstScreenCode || screen > Device::LastScreenCode)
        return {};
    return single(screenByte(screen));
}

QString purposeOf(char code)
{
    switch (code) {
    case 'T':
        return QStringLiteral("set the clock");
    case 'A':
        return QStringLiteral("set up the alarm");
    case 'P':
        return QStringLiteral("play the alarm");
    case 'S':
        return QStringLiteral("stop the alarm");
    case 'D':
        return QStringLiteral("disable the alarm");
    case 'E':
        return QStringLiteral("enable the alarm");
    case '!':
        return QStringLiteral("test the wake-up screen");
    case 'H':
        return QStringLiteral("announce the hours");
    case 'h':
        return QStringLiteral("stop announcing the hours");
    case '1':
    case '2':
    case '3':
    case '4':
        return QStringLiteral("colour scheme %1")
                .arg(QLatin1String(Device::SchemeNames[code - '1']));
    case '5':
    case '6':
    case '7':
        return QStringLiteral("wake-up screen %1").arg(code - '5' + 1);
    default:
        return {};
    }
}

QByteArray bytes(const Pieces &pieces)
{
    QByteArray joined;
    for (const QByteArray &piece : pieces)
        joined += piece;
    return joined;
}

std::optional<QDateTime> clockTimeOf(const Command &command)
{
    if (command.code != 'T' || command.fields.size() != 8)
        return std::nullopt;
    const QList<qint64> &f = command.fields;
    const qint64 dialHour = f[3];
    const qint64 minute = f[4];
    const bool morning = f[6] == 1;
    // Only the values the encoder can produce count: 0-11 before noon, 12 and 1-11 after,
    // minutes 100-109 and 10-59.
    if (morning ? (dialHour < 0 || dialHour > 11) : (dialHour < 1 || dialHour > 12))
        return std::nullopt;
    if (!((minute >= 100 && minute <= 109) || (minute >= 10 && minute <= 59)))
        return std::nullopt;
    const int hour = int(morning || dialHour == 12 ? dialHour : dialHour + 12);
    const QDate date(2000 + int(f[2]), int(f[0]), int(f[1]));
    const QTime clock(hour, int(minute >= 100 ? minute - 100 : minute), int(f[5]));
    if (!date.isValid() || !clock.isValid() || f[5] > 59)
        return std::nullopt;
    return QDateTime(date, clock);
}

QList<Decoder::Event> Decoder::feed(const QByteArray &bytes)
{
    // With nothing held, the caller's bytes are read in place and not copied.
    const QByteArray input = m_pending.isEmpty() ? bytes : m_pending + bytes;
    QList<Event> events;
    const char *data = input.constData();
    const qsizetype size = input.size();
    // Most feeds are short and yield a few events; one allocation covers them.
    events.reserve(qMin<qsizetype>(size + 1, 16));

    // Skipped bytes are taken as one run, so a long stretch of noise is copied once.
    qsizetype malformedStart = 0;
    auto reportMalformed = [&](qsizetype end) {
        if (end > malformedStart)
            events.append({std::nullopt, QByteArray(data + malformedStart, end - malformedStart)});
    };

    qsizetype pos = 0;
    while (pos < size) {
        // Noise is the common case; a byte that starts no command is skipped before any
        // command is set up for it.
        if (!startsCommand(data[pos])) {
            ++pos;
            continue;
        }
        Command command;
        const Parse result = parseCommand(data + pos, size - pos, command);
        if (result == Parse::NeedMore)
            break;
        if (result == Parse::Invalid) {
            ++pos;
            continue;
        }
        reportMalformed(pos);
        pos += command.raw.size();
        malformedStart = pos;
        events.append({std::move(command), {}});
    }
    reportMalformed(pos);
    // A deep copy: `bytes` may wrap memory that the caller reuses.
    m_pending = pos == size ? QByteArray() : QByteArray(data + pos, size - pos);
    return events;
}

QList<Decoder::Event> Decoder::finish()
{
    QList<Event> events;
    if (!m_pending.isEmpty())
        events.append({std::nullopt, m_pending});
    m_pending.clear();
    return events;
}

} // namespace Protocol
