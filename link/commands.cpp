#include "commands.h"

#include "deviceconstants.h"

#include <QtCore/QCoreApplication>

namespace Protocol {

namespace {

constexpr bool isChoice(Action action)
{
    return action == Action::ChooseScheme || action == Action::ChooseScreen;
}

// The rules every row keeps, checked when the table is compiled: one row per command byte,
// at most MaxFields fields, every scheme and screen chosen by exactly one row, and each screen
// chosen by the digit of its code.
constexpr bool tableIsSound()
{
    int schemes = 0;
    int screens = 0;
    for (const CommandRow &row : CommandTable) {
        int sameCode = 0;
        for (const CommandRow &other : CommandTable)
            sameCode += other.code == row.code;
        if (sameCode != 1 || row.fields.count > MaxFields || row.sendWord == nullptr)
            return false;
        if (isChoice(row.action) != (row.choice > 0))
            return false;
        if (row.action == Action::ChooseScheme && row.choice != ++schemes)
            return false;
        if (row.action == Action::ChooseScreen
            && (row.choice != ++screens
                || row.code
                        != '0'
                                + int(Device::wakeUpScreenNumbered(row.choice)
                                              .value_or(Device::WakeUpScreen(0)))))
            return false;
    }
    return schemes == Device::SchemeCount && screens == Device::ScreenCount;
}
static_assert(tableIsSound(), "every command byte, scheme and screen has exactly one row");

QByteArray twoDigits(qint64 value)
{
    return QByteArray::number(value).rightJustified(2, '0');
}

QByteArray field(FieldEncoding encoding, qint64 value)
{
    switch (encoding) {
    case FieldEncoding::TwoDigits:
        return twoDigits(value);
    case FieldEncoding::BlankSigned:
        return blankSigned(value);
    case FieldEncoding::Flag:
        return value == 1 ? QByteArrayLiteral("1") : QByteArrayLiteral("2");
    case FieldEncoding::LiteralZero:
        return QByteArrayLiteral("0");
    case FieldEncoding::LiteralBlankZero:
        return QByteArrayLiteral(" 0");
    }
    return {};
}

// The flag field's values: 1 before noon, 2 after.
qint64 flagOf(bool morning)
{
    return morning ? 1 : 2;
}

} // namespace

const CommandRow *commandRow(Action action, int choice)
{
    for (const CommandRow &row : CommandTable) {
        if (row.action == action && row.choice == (isChoice(action) ? choice : 0))
            return &row;
    }
    return nullptr;
}

QByteArray blankSigned(qint64 value)
{
    // The magnitude is taken unsigned so that the most negative value has one too.
    const quint64 magnitude = value < 0 ? 0 - quint64(value) : quint64(value);
    return (value < 0 ? QByteArrayLiteral("-") : QByteArrayLiteral(" "))
            + QByteArray::number(magnitude);
}

Pieces encode(const CommandRow &row, const QList<qint64> &fields)
{
    if (fields.size() != row.fields.count)
        return {};
    Pieces pieces{QByteArray(1, row.code)};
    pieces.reserve(1 + 2 * fields.size());
    for (int i = 0; i < row.fields.count; ++i) {
        pieces.append(QByteArrayLiteral(","));
        pieces.append(field(row.fields.encodings[i], fields[i]));
    }
    return pieces;
}

Pieces command(Action action, int choice)
{
    const CommandRow *row = commandRow(action, choice);
    return row ? encode(*row) : Pieces();
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
    return encode(*commandRow(Action::SetClock),
                  {date.month(), date.day(), year, dialHour, minute, clock.second(),
                   flagOf(hour < 12), 0});
}

std::optional<Pieces> setAlarm(QStringView hour, QStringView minute, QStringView amPm, int track)
{
    const std::optional<qint64> hourValue = wholeNumber(hour);
    const std::optional<qint64> minuteValue = wholeNumber(minute);
    if (!hourValue || !minuteValue)
        return std::nullopt;
    return encode(*commandRow(Action::SetAlarm),
                  {*hourValue, *minuteValue, flagOf(Device::isMorning(amPm)), track, 0});
}

Pieces playTrack(int track)
{
    return encode(*commandRow(Action::PlayTrack), {track, 0});
}

QByteArray bytes(const Pieces &pieces)
{
    QByteArray joined;
    for (const QByteArray &piece : pieces)
        joined += piece;
    return joined;
}

QString withChoice(const CommandRow &row, const QString &words)
{
    switch (row.action) {
    case Action::ChooseScheme:
        return words.arg(
                QCoreApplication::translate("Layout", Device::SchemeNames[row.choice - 1]));
    case Action::ChooseScreen:
        return words.arg(row.choice);
    default:
        return words;
    }
}

QString purposeOf(char code)
{
    const CommandRow *row = commandRow(code);
    if (!row)
        return {};
    return withChoice(*row, QCoreApplication::translate("Protocol", row->purpose));
}

} // namespace Protocol
