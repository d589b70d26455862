#pragma once

#include "alarmentry.h"
#include "commandtable.h"
#include "wakeupscreen.h"

#include <QtCore/QByteArray>
#include <QtCore/QDateTime>
#include <QtCore/QList>
#include <QtCore/QString>

#include <array>
#include <optional>

// The bytes of every command the clock device understands, written from the rows of
// CommandTable. A command is a list of pieces: the command character, each comma and each
// field are separate pieces, written in order with nothing before, between or after them.
namespace Protocol {

using Pieces = QList<QByteArray>;

// Widest number a field carries. Entry texts with more digits are not encodable, and the
// decoder rejects longer digit runs, so a stream of digits cannot grow its buffer.
using Device::MaxNumberDigits;

// The most bytes a field of this encoding takes.
constexpr int widestField(FieldEncoding encoding)
{
    switch (encoding) {
    case FieldEncoding::TwoDigits:
    case FieldEncoding::LiteralBlankZero:
        return 2;
    case FieldEncoding::BlankSigned:
        return 1 + MaxNumberDigits;
    case FieldEncoding::Flag:
    case FieldEncoding::LiteralZero:
        return 1;
    }
    return 0;
}

constexpr int widestCommand()
{
    int widest = 0;
    for (const CommandRow &row : CommandTable) {
        int bytes = 1;
        for (int i = 0; i < row.fields.count; ++i)
            bytes += 1 + widestField(row.fields.encodings[i]);
        widest = bytes > widest ? bytes : widest;
    }
    return widest;
}

// Longest command on the wire.
inline constexpr int MaxCommandBytes = widestCommand();

// " 5", " 0", "-3": decimal, one blank before a value that is not negative.
QByteArray blankSigned(qint64 value);
using Device::wholeNumber;

namespace Detail {
// Each byte's row in CommandTable, or -1.
constexpr std::array<qint8, 256> rowIndex()
{
    std::array<qint8, 256> index{};
    for (qint8 &entry : index)
        entry = -1;
    for (size_t i = 0; i < std::size(CommandTable); ++i)
        index[uchar(CommandTable[i].code)] = qint8(i);
    return index;
}
inline constexpr std::array<qint8, 256> RowIndex = rowIndex();
} // namespace Detail

// The row of the command that starts with `code`; nullptr for a byte that starts none. Inline:
// the decoder asks this of every byte it reads.
inline const CommandRow *commandRow(char code)
{
    const int index = Detail::RowIndex[uchar(code)];
    return index < 0 ? nullptr : &CommandTable[index];
}
// The row that does `action`, for ChooseScheme and ChooseScreen the one with `choice`;
// nullptr when no row does.
const CommandRow *commandRow(Action action, int choice = 0);

// The command of `row` with `fields` written in its layout's order; a literal field is written
// as it always is, whatever value it is given. Empty when the count of fields is not the
// layout's.
Pieces encode(const CommandRow &row, const QList<qint64> &fields = {});
// The command without fields that does `action` (with `choice`); empty when no row does.
Pieces command(Action action, int choice = 0);

// "T": the device's clock set to `time` (the caller adds any lead it wants). 17 pieces.
Pieces setTime(const QDateTime &time);
// "A": the alarm from the three entry texts and a track number. 11 pieces, or nothing when
// the hour or minute text is not a whole number.
std::optional<Pieces> setAlarm(QStringView hour, QStringView minute, QStringView amPm, int track);
// "P": play a track. 5 pieces.
Pieces playTrack(int track);

inline Pieces stopAlarm()
{
    return command(Action::StopAlarm);
}
inline Pieces disableAlarm()
{
    return command(Action::DisableAlarm);
}
inline Pieces enableAlarm()
{
    return command(Action::EnableAlarm);
}
inline Pieces test()
{
    return command(Action::Test);
}
inline Pieces announceHourly(bool on)
{
    return command(on ? Action::AnnounceHours : Action::StopAnnouncing);
}
// Schemes 1 to Device::SchemeCount; empty for any other number.
inline Pieces colourScheme(int scheme)
{
    return command(Action::ChooseScheme, scheme);
}
inline Pieces wakeUpScreen(Device::WakeUpScreen screen)
{
    return command(Action::ChooseScreen, Device::screenNumber(screen));
}

// All pieces of a command joined: the bytes it puts on the wire.
QByteArray bytes(const Pieces &pieces);

// What a command asks of the clock, in words for a person ("disable the alarm"), by its
// first byte; empty for a byte that starts no command.
QString purposeOf(char code);
// One of the row's texts with the name of the scheme or the number of the screen it chooses
// in place of "%1"; other rows' texts as they are.
QString withChoice(const CommandRow &row, const QString &words);

} // namespace Protocol
