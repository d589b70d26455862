// Feeds arbitrary bytes to the reader of the module's command-port frames, as any machine on
// the network may send them, and checks that what it reads stays within its bounds and reads
// back the same once written out again.

#include "fuzz/fuzzcheck.h"
#include "moduleframe.h"

#include <algorithm>
#include <cstdint>

namespace {

bool isPrintable(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() >= 0x7f)
            return false;
    }
    return true;
}

void checkFrame(const ModuleFrame::Frame &frame)
{
    FUZZ_CHECK(frame.mac.size() == Module::MacBytes);
    FUZZ_CHECK(frame.fields.size() <= ModuleFrame::MaxFields);
    for (const ModuleFrame::Field &field : frame.fields) {
        FUZZ_CHECK(field.command.size() == 2);
        FUZZ_CHECK(field.value.size() <= ModuleFrame::MaxValueBytes);
    }
}

void checkAnswer(const ModuleFrame::ModuleInfo &module)
{
    FUZZ_CHECK(module.mac.size() == Module::MacBytes);
    FUZZ_CHECK(module.address.isEmpty()); // only the sender knows it
    // What reaches a table or a log line carries no control characters.
    FUZZ_CHECK(isPrintable(module.name) && isPrintable(module.firmware));
    FUZZ_CHECK(module.reportedAddress.isEmpty() || isPrintable(module.reportedAddress));
    FUZZ_CHECK(!module.dataPort || *module.dataPort > 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     static_cast<qsizetype>(size));
    const std::optional<ModuleFrame::Frame> frame = ModuleFrame::parse(bytes);
    // Whatever lies beyond the longest frame makes no difference.
    const std::optional<ModuleFrame::Frame> cut
            = ModuleFrame::parse(bytes.first(qMin<qsizetype>(size, ModuleFrame::MaxFrameBytes)));
    FUZZ_CHECK(frame.has_value() == cut.has_value());
    const std::optional<ModuleFrame::ModuleInfo> answer = ModuleFrame::readAnswer(bytes);
    if (!frame) {
        FUZZ_CHECK(!answer);
        return 0;
    }
    checkFrame(*frame);
    FUZZ_CHECK(frame->mac == cut->mac && frame->fields == cut->fields);
    FUZZ_CHECK(answer.has_value() == (frame->mac != ModuleFrame::everyModuleMac()));
    if (answer)
        checkAnswer(*answer);

    // The frame written out reads back the same, while it fits in one. An MC value of another
    // length than a raw MAC may read back as one, with the line after it: the reader takes six
    // bytes followed by a line end as a raw MAC.
    const bool macAmbiguous = std::any_of(frame->fields.cbegin(), frame->fields.cend(),
                                          [](const ModuleFrame::Field &field) {
                                              return field.command == "MC" && !field.value.isEmpty()
                                                      && field.value.size() != Module::MacBytes;
                                          });
    const QByteArray written = ModuleFrame::encode(*frame);
    if (!macAmbiguous && written.size() <= ModuleFrame::MaxFrameBytes) {
        const std::optional<ModuleFrame::Frame> again = ModuleFrame::parse(written);
        FUZZ_CHECK(again && again->mac == frame->mac && again->searchId == frame->searchId
                   && again->fields == frame->fields);
    }
    return 0;
}
