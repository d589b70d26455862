#pragma once

#include "commands.h"

#include <QtCore/QByteArray>
#include <QtCore/QDateTime>
#include <QtCore/QList>

#include <optional>

// Reading commands back from the wire, by the rows of CommandTable: what the simulated clock
// hears, and what the tests and the fuzzer check the encoder against. The panel never reads.
namespace Protocol {

// One command read back from the wire.
struct Command
{
    char code = 0;        // the first byte: its row in CommandTable tells what it does
    QList<qint64> fields; // numeric fields in order; flag digits and literals included
    QByteArray raw;       // the command's bytes

    bool operator==(const Command &other) const
    {
        return code == other.code && fields == other.fields && raw == other.raw;
    }
};

// The local time a "T" command sets, or nothing when it is no "T" or its fields make no valid
// time.
std::optional<QDateTime> clockTimeOf(const Command &command);

// Turns a byte stream into commands. Bytes may arrive in any split; a command cut at the end
// of the bytes fed so far waits for the rest. Bytes that start no valid command are reported
// and skipped one at a time (so a "1" to "7" among them still reads as a command);
// neighbouring skipped bytes are reported as one event. Since a valid command is never longer
// than MaxCommandBytes, nothing larger is ever held.
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
