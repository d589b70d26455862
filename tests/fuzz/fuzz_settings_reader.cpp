// Feeds arbitrary bytes to the settings reader and checks that whatever loads also saves and
// loads back unchanged.

#include "fuzz/fuzzcheck.h"
#include "settingsfile.h"

#include <array>
#include <cstdint>

namespace {

using Field = SettingValue SetupData::*;

constexpr std::array<Field, 20> AllFields = {
        &SetupData::HeaderLine,     &SetupData::AlarmHourComment,
        &SetupData::AlarmHour,      &SetupData::AlarmMinuteComment,
        &SetupData::AlarmMinute,    &SetupData::AlarmAMPMComment,
        &SetupData::AlarmAMPM,      &SetupData::AlarmTrackComment,
        &SetupData::AlarmTrack,     &SetupData::BackGroundsComment,
        &SetupData::BackGrounds,    &SetupData::WakeUpScreensComment,
        &SetupData::WakeUpScreens,  &SetupData::AnnounceHourlyComment,
        &SetupData::AnnounceHourly, &SetupData::RemoteHostComment,
        &SetupData::RemoteHost,     &SetupData::RemotePortComment,
        &SetupData::RemotePort,     &SetupData::LoadedAlarmTrack,
};

// The record as it reads back after saving: the saver turns a double quote inside a text
// into a single quote. Texts the reader gives hold no line ends and only Latin-1.
SetupData asSaved(SetupData record)
{
    for (const Field field : AllFields) {
        SettingValue &value = record.*field;
        if (value.isText())
            value = SettingValue::fromText(value.toText().replace(u'"', u'\''));
    }
    return record;
}

void checkBytes(const QByteArray &bytes)
{
    const std::optional<QList<SettingValue>> items = SettingsFile::readItems(bytes);
    if (items)
        FUZZ_CHECK(items->size() == SettingsFile::ItemCount);

    const std::optional<SetupData> record = SettingsFile::parseRecord(bytes);
    if (!record)
        return;
    FUZZ_CHECK(items);
    FUZZ_CHECK(record->AlarmTrack == record->LoadedAlarmTrack);

    const std::optional<SettingsFile::Selection> selection = SettingsFile::selectionFor(*record);
    FUZZ_CHECK(selection);
    FUZZ_CHECK(selection->optionIndex >= 1 && selection->optionIndex <= 16);
    FUZZ_CHECK(selection->backGround >= 0 && selection->backGround <= 4);
    FUZZ_CHECK(selection->wakeUpScreen == 0
               || (selection->wakeUpScreen >= 5 && selection->wakeUpScreen <= 7));

    const QByteArray saved = SettingsFile::serialize(*record);
    FUZZ_CHECK(saved.count('\n') == SettingsFile::ItemCount);
    FUZZ_CHECK(saved.count('\r') == SettingsFile::ItemCount);

    const std::optional<SetupData> reloaded = SettingsFile::parseRecord(saved);
    FUZZ_CHECK(reloaded);
    FUZZ_CHECK(*reloaded == asSaved(*record));
    FUZZ_CHECK(SettingsFile::serialize(*reloaded) == saved);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    checkBytes(bytes);

    // The reader takes the file in chunks; where they split must not matter.
    if (!bytes.isEmpty()) {
        SettingsFile::ItemReader reader;
        const qsizetype step = 1 + static_cast<unsigned char>(bytes.front()) % 7;
        for (qsizetype at = 0; at < bytes.size(); at += step)
            reader.feed(bytes.mid(at, step));
        FUZZ_CHECK(reader.finish() == SettingsFile::readItems(bytes));
    }
    return 0;
}
