// Feeds an arbitrary byte stream to the command decoder, once whole and once in pieces, and
// checks that the split makes no difference and that every byte is accounted for.

#include "link/commands.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

#define FUZZ_CHECK(condition) \
    do { \
        if (!(condition)) { \
            std::fprintf(stderr, "check failed: %s (line %d)\n", #condition, __LINE__); \
            std::abort(); \
        } \
    } while (false)

using Events = QList<Protocol::Decoder::Event>;

// Commands in order, with the malformed bytes before, between and after them joined into
// one gap each, so that how the decoder groups skipped bytes does not matter.
struct Outcome
{
    QList<Protocol::Command> commands;
    QList<QByteArray> gaps{QByteArray()};
    QByteArray allBytes;

    bool operator==(const Outcome &other) const
    {
        return commands == other.commands && gaps == other.gaps;
    }
};

Outcome outcomeOf(const Events &events)
{
    Outcome outcome;
    for (const Protocol::Decoder::Event &event : events) {
        if (event.command) {
            FUZZ_CHECK(event.malformed.isEmpty());
            FUZZ_CHECK(!event.command->raw.isEmpty());
            if (event.command->code == 'T')
                (void)Protocol::clockTimeOf(*event.command);
            outcome.commands.append(*event.command);
            outcome.gaps.append(QByteArray());
            outcome.allBytes += event.command->raw;
        } else {
            FUZZ_CHECK(!event.malformed.isEmpty());
            outcome.gaps.last() += event.malformed;
            outcome.allBytes += event.malformed;
        }
    }
    return outcome;
}

} // namespace

// The first byte seeds the split; the rest is the stream.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    uint32_t state = data[0] * 2654435761u + 1;
    const QByteArray stream(reinterpret_cast<const char *>(data + 1),
                            static_cast<qsizetype>(size - 1));

    Protocol::Decoder whole;
    Events wholeEvents = whole.feed(stream);
    wholeEvents += whole.finish();

    Protocol::Decoder pieces;
    Events pieceEvents;
    qsizetype pos = 0;
    while (pos < stream.size()) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        // Mostly short pieces, now and then an empty one.
        const qsizetype length = qMin<qsizetype>(state % 9, stream.size() - pos);
        pieceEvents += pieces.feed(stream.mid(pos, length));
        pos += length;
    }
    pieceEvents += pieces.finish();

    const Outcome wholeOutcome = outcomeOf(wholeEvents);
    const Outcome pieceOutcome = outcomeOf(pieceEvents);
    FUZZ_CHECK(wholeOutcome.allBytes == stream);
    FUZZ_CHECK(pieceOutcome.allBytes == stream);
    FUZZ_CHECK(wholeOutcome == pieceOutcome);
    return 0;
}
