// Feeds arbitrary bytes to the settings reader and checks that whatever loads also saves and
// loads back unchanged.

#include "fuzz/fuzzcheck.h"
#include "settingsformat.h"
#include "settingsrecord.h"

#include "deviceconstants.h"

#include <array>
#include <cstdint>

namespace {

using Settings::Field;

// The record as it reads back after saving: the saver turns a double quote inside a text
// into a single quote. Texts the reader gives hold no line ends and only Latin-1.
SetupData asSaved(SetupData record)
{
    for (const Field field : Settings::ItemOrder) {
        SettingValue &value = record.*field;
        if (value.isText())
            value = SettingValue::fromText(value.toText().replace(u'"', u'\''));
    }
    return record;
}

void checkBytes(const QByteArray &bytes)
{
    const std::optional<QList<SettingValue>> items = Settings::readItems(bytes);
    if (items)
        FUZZ_CHECK(items->size() == Settings::ItemCount);

    const std::optional<SetupData> record = Settings::parseRecord(bytes);
    if (!record)
        return;
    FUZZ_CHECK(items);
    // Whatever loads names an alarm button and compares as a scheme, screen and announcement.
    const std::optional<int> button = Settings::alarmButtonOf(record->AlarmTrack);
    FUZZ_CHECK(button && *button >= 1 && *button <= Device::TrackCount);
    FUZZ_CHECK(record->BackGrounds.toNumber());
    FUZZ_CHECK(record->WakeUpScreens.toNumber());
    FUZZ_CHECK(record->AnnounceHourly.toNumber());
    FUZZ_CHECK(Settings::itemsOf(*record) == *items);

    const QByteArray saved = Settings::serialize(*record);
    FUZZ_CHECK(saved.count('\n') == Settings::ItemCount);
    FUZZ_CHECK(saved.count('\r') == Settings::ItemCount);

    const std::optional<SetupData> reloaded = Settings::parseRecord(saved);
    FUZZ_CHECK(reloaded);
    FUZZ_CHECK(*reloaded == asSaved(*record));
    FUZZ_CHECK(Settings::serialize(*reloaded) == saved);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    checkBytes(bytes);

    // The reader takes the file in chunks; where they split must not matter.
    if (!bytes.isEmpty()) {
        Settings::ItemReader reader;
        const qsizetype step = 1 + static_cast<unsigned char>(bytes.front()) % 7;
        for (qsizetype at = 0; at < bytes.size(); at += step)
            reader.feed(bytes.mid(at, step));
        FUZZ_CHECK(reader.finish() == Settings::readItems(bytes));
    }
    return 0;
}
