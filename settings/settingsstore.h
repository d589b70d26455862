#pragma once

#include "setupdata.h"

#include <QtCore/QByteArray>
#include <QtCore/QString>

#include <optional>

namespace Settings {

// The settings file's name, opened in the current folder.
inline constexpr char FileName[] = "setupdata.ini";
// Appended to the file's path for the copy of bytes that the panel replaces but did not write.
inline constexpr char BackupSuffix[] = ".bak";

struct LoadResult
{
    SetupData record;
    // For a file that is there but gave no record: where and why, as unusableFileText puts it,
    // and the backup that keeps its bytes, empty when the file was left where it was.
    QString unusedFile = QString();
    QString keptAs = QString();
};

struct SaveResult
{
    bool saved = false;
    QString error; // names the file and the system's reason when the save failed
};

enum class ReadProblem { None, Missing, NotRegular, Unreadable, Unusable };

struct ReadResult
{
    std::optional<SetupData> record;
    ReadProblem problem = ReadProblem::None;
    QString reason; // empty when the file gave a record
    // For an unusable file, the line of the first item the panel cannot use, or the line the
    // file ends on when items are missing; 0 otherwise.
    int line = 0;
    // Whether the file holds text that no item keeps, which a save would not write back.
    bool dropsText = false;
};

// The record in the file at `path`, read as a stream so the file's length costs no memory,
// or why it gives none. Never writes.
ReadResult readFile(const QString &path);

// The file and, when known, its line, then why it gives no record: "PATH line 9: REASON".
QString unusableFileText(const QString &path, const ReadResult &read);

// Whether a file may be written at `path`: a regular file, a symbolic link to one (written
// through, so the link stays), or nothing at all yet. A link to anything else, a dangling
// link, a device, a pipe, a socket or a folder is never written.
bool isWritablePlace(const QString &path);

// Why a settings file could not be saved at `path`, in words for the user, or empty when it
// can: the place must pass isWritablePlace, and then take the file in place or a new one
// beside it.
QString saveProblem(const QString &path);

} // namespace Settings

// The settings file at one path, loaded once at start and saved at the end. Bytes the panel
// did not write are never lost: before it replaces a file that it could not load, or one that
// changed on disk since it was read or written, the old bytes go to the backup beside it. A
// file that could not be read is never written at all. Every write follows the regular-file
// rule of isWritablePlace, and a failed write leaves the old file whole.
class SettingsStore
{
public:
    explicit SettingsStore(const QString &path);

    // Reads the file. A missing or bad file is replaced by the default file, which is then
    // loaded; if that cannot be done safely, the defaults are taken from memory.
    Settings::LoadResult load();
    // Writes the record: atomically when the folder takes a new file and the file has one
    // name, else in place.
    Settings::SaveResult save(const SetupData &record);

    QString path() const { return m_path; }
    QString backupPath() const { return m_path + QLatin1String(Settings::BackupSuffix); }

private:
    Settings::LoadResult defaultsInMemory(const QString &why) const;
    // The result with why the file at the path gave no record, for the user.
    Settings::LoadResult leftUnused(const Settings::ReadResult &read,
                                    Settings::LoadResult result) const;
    Settings::LoadResult loadDefaults();
    bool keepBackup(QString *reason);
    bool keepChangedFile(QString *reason);
    Settings::SaveResult failedSave(const QString &reason) const;

    QString m_path;
    // A digest of the bytes last read or written, to tell a change on disk; nothing when the
    // file's bytes are not known.
    std::optional<QByteArray> m_knownDigest;
    // Why the file could not be read at load; while set, the file is never written.
    QString m_unreadable;
};
