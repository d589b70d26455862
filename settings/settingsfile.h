#pragma once

#include "setupdata.h"

#include <QtCore/QByteArray>
#include <QtCore/QList>
#include <QtCore/QString>

#include <optional>

namespace SettingsFile {

inline constexpr char FileName[] = "setupdata.ini";
inline constexpr int ItemCount = 19;

// The first ItemCount items of a file's bytes, or nothing when it holds fewer. `complete`
// is false when the bytes are only the head of a longer file: an item that runs into the
// end of such bytes is cut and does not count.
std::optional<QList<SettingValue>> readItems(const QByteArray &bytes, bool complete = true);

// The file's bytes for the given items: one line each, ended by CR LF. A text goes between
// double quotes; as the format has no escape, a double quote inside it is written as a single
// quote, a line end as a blank and a character beyond Latin-1 as "?", so that every item
// reads back in its place. A number is written bare with a period, an empty item as nothing.
QByteArray writeItems(const QList<SettingValue> &items);

// What the loader shows in the controls, worked out from a record.
struct Selection
{
    int optionIndex = 0;  // Option1 member to select, 1 to 16
    int backGround = 0;   // 1 to 4, or 0 when the number matches no scheme box
    int wakeUpScreen = 0; // 5 to 7, or 0 when the number matches no screen box
    bool announceHourly = false;
};

// The record that the file's bytes give, with `AlarmTrack` equal to `LoadedAlarmTrack`,
// or nothing when the load must fail: too few items, a track that is not a number or
// selects no option button, a scheme, screen or announcement text that is not a number.
std::optional<SetupData> parseRecord(const QByteArray &bytes, bool complete = true);
std::optional<Selection> selectionFor(const SetupData &record);

// The file's bytes for a record; item 9 is written from `AlarmTrack`.
QByteArray serialize(const SetupData &record);

// The record of the default file, as loaded.
SetupData defaultRecord();
QByteArray defaultFileBytes();

enum class LoadOutcome {
    Loaded,          // the file was good
    DefaultsWritten, // the file was missing or bad; the default file replaced it and loaded
    DefaultsInMemory // even the default file could not be written or read back
};

struct LoadResult
{
    SetupData record;
    LoadOutcome outcome = LoadOutcome::Loaded;
};

// The record in the file at `path`, or nothing when it is missing, not a regular file or bad.
// Never writes.
std::optional<SetupData> read(const QString &path);

// Reads the file at `path`, reading no more than a bounded head of it. A missing or bad file
// is replaced by the default file, which is then loaded; if that fails too, the defaults are
// taken from memory and nothing is written again.
LoadResult load(const QString &path);

// Writes the record atomically: the old file stays whole until the new one is complete.
bool save(const QString &path, const SetupData &record);

} // namespace SettingsFile
