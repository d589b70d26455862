// Feeds an arbitrary byte stream to the command decoder, once whole and once in pieces, and
// checks that the split makes no difference and that every byte is accounted for.

#include "commanddecoder.h"
#include "fuzz/fuzzcheck.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Where each command starts and what it holds. Every reported byte must be the next byte of
// the stream, so the malformed bytes are exactly the stream between the commands: comparing
// the commands compares the gaps too, however the decoder groups skipped bytes. Events are
// folded into one flat record as they arrive; keeping lists of every event and command of a
// long stream made each run many times slower.
struct Outcome
{
    QByteArrayView stream;
    qsizetype consumed = 0; // bytes of `stream` accounted for so far
    std::vector<qint64> commands;

    explicit Outcome(QByteArrayView whole)
        : stream(whole)
    { }

    void account(const QByteArray &bytes)
    {
        FUZZ_CHECK(bytes.size() <= stream.size() - consumed);
        FUZZ_CHECK(stream.sliced(consumed, bytes.size()) == bytes);
        consumed += bytes.size();
    }

    void add(const QList<Protocol::Decoder::Event> &events)
    {
        for (const Protocol::Decoder::Event &event : events) {
            if (!event.command) {
                FUZZ_CHECK(!event.malformed.isEmpty());
                account(event.malformed);
                continue;
            }
            const Protocol::Command &command = *event.command;
            FUZZ_CHECK(event.malformed.isEmpty());
            FUZZ_CHECK(!command.raw.isEmpty());
            if (command.code == 'T')
                (void)Protocol::clockTimeOf(command);
            commands.insert(commands.end(),
                            {consumed, command.raw.size(), command.code, command.fields.size()});
            commands.insert(commands.end(), command.fields.begin(), command.fields.end());
            account(command.raw);
        }
    }
};

} // namespace

// The local time zone is pinned to a fixed rule: otherwise every "T" command checked asks
// the file system whether the zone file changed, which slowed the runs many times over.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("TZ", "UTC0");
    return 0;
}

// The first byte seeds the split; the rest is the stream.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    uint32_t state = data[0] * 2654435761u + 1;
    const QByteArray stream = QByteArray::fromRawData(reinterpret_cast<const char *>(data + 1),
                                                      static_cast<qsizetype>(size - 1));

    Protocol::Decoder whole;
    Outcome wholeOutcome(stream);
    wholeOutcome.add(whole.feed(stream));
    wholeOutcome.add(whole.finish());

    // Each piece lives in one reused buffer that is scrambled after every feed, so a decoder
    // that kept pointing at the caller's bytes instead of copying them reports wrong bytes.
    Protocol::Decoder pieces;
    Outcome pieceOutcome(stream);
    char buffer[8] = {};
    qsizetype pos = 0;
    while (pos < stream.size()) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        // Mostly short pieces, now and then an empty one.
        const qsizetype length = qMin<qsizetype>(state % 9, stream.size() - pos);
        std::memcpy(buffer, stream.constData() + pos, size_t(length));
        pieceOutcome.add(pieces.feed(QByteArray::fromRawData(buffer, length)));
        for (char &c : buffer)
            c = char(~c);
        pos += length;
    }
    pieceOutcome.add(pieces.finish());

    FUZZ_CHECK(wholeOutcome.consumed == stream.size());
    FUZZ_CHECK(pieceOutcome.consumed == stream.size());
    FUZZ_CHECK(wholeOutcome.commands == pieceOutcome.commands);
    return 0;
}
