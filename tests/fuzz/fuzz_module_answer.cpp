// Feeds arbitrary bytes, as any machine on the network may send them, to the reader of the
// module's command-port frames: what it reads stays within its bounds and reads back the same.

#include "fuzz/fuzzcheck.h"
#include "moduleframe.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     static_cast<qsizetype>(size));
    const std::optional<ModuleFrame::Frame> frame = ModuleFrame::parse(bytes);
    const std::optional<ModuleFrame::ModuleInfo> answer = ModuleFrame::readAnswer(bytes);
    FUZZ_CHECK(answer.has_value() == (frame && frame->mac != ModuleFrame::everyModuleMac()));
    if (!frame)
        return 0;
    FUZZ_CHECK(frame->mac.size() == Module::MacBytes);
    FUZZ_CHECK(frame->fields.size() <= ModuleFrame::MaxFields);
    // An MC value of another length than a raw MAC may read back as one, with the line after
    // it: the reader takes six bytes followed by a line end as a raw MAC.
    bool macAmbiguous = false;
    for (const ModuleFrame::Field &field : frame->fields) {
        FUZZ_CHECK(field.command.size() == 2 && field.value.size() <= ModuleFrame::MaxValueBytes);
        macAmbiguous |= field.command == "MC" && !field.value.isEmpty()
                && field.value.size() != Module::MacBytes;
    }
    // What reaches a table or a log line carries no control characters.
    for (const QString &text :
         {answer ? answer->name : QString(), answer ? answer->firmware : QString()}) {
        for (const QChar c : text)
            FUZZ_CHECK(c.unicode() >= 0x20 && c.unicode() < 0x7f);
    }
    const QByteArray written = ModuleFrame::encode(*frame);
    if (!macAmbiguous && written.size() <= ModuleFrame::MaxFrameBytes) {
        const std::optional<ModuleFrame::Frame> again = ModuleFrame::parse(written);
        FUZZ_CHECK(again && again->mac == frame->mac && again->searchId == frame->searchId
                   && again->fields == frame->fields);
    }
    return 0;
}
