#pragma once

#include "alarmentry.h"

#include <QtCore/QByteArray>
#include <QtCore/QDateTime>
#include <QtCore/QList>
#include <QtCore/QString>

#include <optional>

// The bytes of every command the clock device understands. A command is a list of pieces:
// the command character, each comma and each field are separate pieces, written in order
// with nothing before, between or after them.
namespace Protocol {

using Pieces = QList<QByteArray>;

// Widest number a field carries. Entry texts with more digits are not encodable, and the
// decoder rejects longer digit runs, so a stream of digits cannot grow its buffer.
using Device::MaxNumberDigits;
// Longest command on the wire: "T" with three numbers of MaxNumberDigits digits.
inline constexpr int MaxCommandBytes = 2 + 3 * 3 + 3 * (MaxNumberDigits + 2) + 2 + 1;

// " 5", " 0", "-3": decimal, one blank before a value that is not negative.
QByteArray blankSigned(qint64 value);
using Device::wholeNumber;

// "T": the device's clock set to `time` (the caller adds any lead it wants). 17 pieces.
Pieces setTime(const QDateTime &time);
// "A": the alarm from the three entry texts and a track number. 11 pieces, or nothing when
// the hour or minute text is not a whole number.
std::optional<Pieces> setAlarm(QStringView hour, QStringView minute, QStringView amPm, int track);
// "P": play a track. 5 pieces.
Pieces playTrack(int track);

Pieces stopAlarm();              // "S"
Pieces disableAlarm();           // "D"
Pieces enableAlarm();            // "E"
Pieces test();                   // "!"
Pieces announceHourly(bool on);  // "H" / "h"
Pieces colourScheme(int scheme); // "1" to "4" for schemes 1 to 4; empty for any other
Pieces wakeUpScreen(int screen); // "5" to "7" for screen numbers 5 to 7; empty for any other

// All pieces of a command joined: the bytes it puts on the wire.
QByteArray bytes(const Pieces &pieces);

// What a command asks of the clock, in words for a person ("disable the alarm"), by its
// first byte; empty for a byte that starts no command.
QString purposeOf(char code);

// One command read back from the wire.
struct Command
{
    char code = 0;        // 'T', 'A', 'P', 'S', 'D', 'E', '!', 'H', 'h', '1' to '7'
    QList<qint64> fields; // numeric fields in order; flag digits and literals included
    QByteArray raw;       // the command's bytes

    bool operator==(const Command &other) const
    {
        return code == other.code && fields == other.fields && raw == other.raw;
    }
};

// The local time a "T" command sets, or nothing when its fields make no valid time.
std::optional<QDateTime> clockTimeOf(const Command &command);

// Turns a byte stream into commands. Bytes may arrive in any split; a command cut at the end
// of the bytes fed so far waits for the rest. Bytes that start no valid command are reported
// and skipped one at a time (so a "1" to "7" among them still reads as a command);
// neighbouring skipped bytes are reported as one event. Since
// a valid command is never longer than MaxCommandBytes, nothing larger is ever held.
class Decoder
{
public:
    struct Event
    {
        std::optional<Command> command; // set for a command
        QByteArray malformed;           // set for bytes that are not a command
    };

    QList<Event> feed(const QByteArray &bytes);
    // Reports whatever is still held as malformed (the stream ended in a cut command).
    QList<Event> finish();

private:
    QByteArray m_pending;
};

} // namespace Protocol
