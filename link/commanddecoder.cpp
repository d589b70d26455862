#include "commanddecoder.h"

namespace Protocol {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

enum class Parse { Complete, NeedMore, Invalid };

// Reads one field of `encoding` at data[pos..size), after its comma, and moves `pos` past it.
Parse parseField(const char *data, qsizetype size, qsizetype &pos, FieldEncoding encoding,
                 qint64 &value)
{
    auto need = [&](qsizetype count) { return pos + count <= size; };
    // Fixed text, one byte at a time, so a cut shows as NeedMore and a wrong byte at once.
    auto expect = [&](const char *text) {
        for (; *text; ++text) {
            if (!need(1))
                return Parse::NeedMore;
            if (data[pos++] != *text)
                return Parse::Invalid;
        }
        return Parse::Complete;
    };
    switch (encoding) {
    case FieldEncoding::TwoDigits:
        for (int i = 0; i < 2; ++i) {
            if (!need(1))
                return Parse::NeedMore;
            if (!isDigit(data[pos++]))
                return Parse::Invalid;
        }
        value = (data[pos - 2] - '0') * 10 + (data[pos - 1] - '0');
        return Parse::Complete;
    case FieldEncoding::Flag:
        if (!need(1))
            return Parse::NeedMore;
        if (data[pos] != '1' && data[pos] != '2')
            return Parse::Invalid;
        value = data[pos++] - '0';
        return Parse::Complete;
    case FieldEncoding::LiteralZero:
        value = 0;
        return expect("0");
    case FieldEncoding::LiteralBlankZero:
        value = 0;
        return expect(" 0");
    case FieldEncoding::BlankSigned: {
        if (!need(1))
            return Parse::NeedMore;
        const char sign = data[pos++];
        if (sign != ' ' && sign != '-')
            return Parse::Invalid;
        qint64 magnitude = 0;
        int digits = 0;
        // A blank-signed field is never last, so it always ends at the next comma.
        while (need(1) && isDigit(data[pos])) {
            // The encoder writes no leading zeros and no "-0".
            if (digits == 1 && magnitude == 0)
                return Parse::Invalid;
            if (++digits > MaxNumberDigits)
                return Parse::Invalid;
            magnitude = magnitude * 10 + (data[pos++] - '0');
        }
        if (!need(1))
            return Parse::NeedMore;
        if (digits == 0 || (sign == '-' && magnitude == 0))
            return Parse::Invalid;
        value = sign == '-' ? -magnitude : magnitude;
        return Parse::Complete;
    }
    }
    return Parse::Invalid;
}

// Reads the fields of `layout` after the command byte at data[0]. On Complete, `length` is the
// command's byte count and `values` holds the fields. Most candidates fail, so values stay on
// the stack until the end.
Parse parseFields(const char *data, qsizetype size, FieldLayout layout, QList<qint64> &values,
                  qsizetype &length)
{
    qint64 parsed[MaxFields];
    qsizetype pos = 1;
    for (int i = 0; i < layout.count; ++i) {
        if (pos == size)
            return Parse::NeedMore;
        if (data[pos++] != ',')
            return Parse::Invalid;
        const Parse result = parseField(data, size, pos, layout.encodings[i], parsed[i]);
        if (result != Parse::Complete)
            return result;
    }
    values = QList<qint64>(parsed, parsed + layout.count);
    length = pos;
    return Parse::Complete;
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

Parse parseCommand(const CommandRow &row, const char *data, qsizetype size, Command &command)
{
    qsizetype length = 1;
    if (row.fields.count > 0) {
        const Parse result = parseFields(data, size, row.fields, command.fields, length);
        if (result != Parse::Complete)
            return result;
    }
    command.code = row.code;
    command.raw = length == 1 ? singleByte(row.code) : QByteArray(data, length);
    return Parse::Complete;
}

} // namespace

std::optional<QDateTime> clockTimeOf(const Command &command)
{
    const CommandRow *row = commandRow(command.code);
    if (!row || row->action != Action::SetClock || command.fields.size() != row->fields.count)
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
        const CommandRow *row = commandRow(data[pos]);
        if (!row) {
            ++pos;
            continue;
        }
        Command command;
        const Parse result = parseCommand(*row, data + pos, size - pos, command);
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
