#pragma once

#include "setupdata.h"

#include <QtCore/QByteArray>
#include <QtCore/QByteArrayView>
#include <QtCore/QList>
#include <QtCore/QString>

#include <optional>

namespace SettingsFile {

inline constexpr char FileName[] = "setupdata.ini";
inline constexpr int ItemCount = 19;

// Longest item kept, in characters. Items the panel writes are far shorter; a longer one
// (a runaway comment) is cut here and reading goes on, so memory stays bounded whatever the
// file holds. A cut item never reads as a number.
inline constexpr int MaxItemChars = 4096;

// Reads the file's items from bytes fed in any split. Reading rules:
// - a UTF-8 byte-order mark at the very start is skipped;
// - commas and line ends (CR LF, LF or a lone CR) separate items;
// - blanks (spaces, tabs) before an item are skipped;
// - a quoted item is the text between its quotes, commas included; what follows the closing
//   quote up to the next comma or line end is skipped. A quote left open runs to the end of
//   its line, so a stray quote never swallows the items on the following lines;
// - an unquoted item runs to the next comma or line end without trailing blanks, and is a
//   number when it reads as one, else a text; if it is empty it is an empty item;
// - after a comma another item always follows, even at the end of the bytes; after a line
//   end one follows only when bytes remain.
// The bytes are decoded as Latin-1, so every byte is one character and any file decodes.
class ItemReader
{
public:
    // Takes the next bytes of the file; bytes after the last item needed are ignored.
    void feed(QByteArrayView bytes);
    // True once ItemCount items are read: the rest of the file does not matter.
    bool isDone() const { return m_items.size() >= ItemCount; }
    // At the end of the file: the first ItemCount items, or nothing when it held fewer.
    std::optional<QList<SettingValue>> finish();

private:
    enum class State { Bom, Start, Quoted, AfterQuote, Unquoted };

    void take(char byte);
    void leaveBom();
    void startItem(char byte);
    void endItem(char separator);
    void append(QChar c);
    void emitItem();

    State m_state = State::Bom;
    int m_bomBytes = 0;
    bool m_afterComma = false;
    bool m_itemBegun = false;       // blanks before the item were seen
    bool m_swallowLineFeed = false; // a CR ended the last item; an LF right after is its pair
    bool m_cut = false;
    QString m_pendingBlanks; // blanks inside an unquoted item, kept once more text follows
    QString m_text;
    QList<SettingValue> m_items;
};

// The first ItemCount items of a whole file's bytes, or nothing when it holds fewer.
std::optional<QList<SettingValue>> readItems(QByteArrayView bytes);

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
std::optional<SetupData> parseRecord(QByteArrayView bytes);
std::optional<SetupData> recordFrom(const QList<SettingValue> &items);
std::optional<Selection> selectionFor(const SetupData &record);

// The TCP port a settings value names: a whole number from 1 to 65535, written as a number or
// as a text (blanks around it, a sign and leading zeros allowed). Nothing for anything else,
// a fraction or an exponent included.
std::optional<quint16> portOf(const SettingValue &value);

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

// Whether the settings may be written at `path`: a regular file, a symbolic link to one
// (written through, so the link stays), or nothing at all yet. A link to anything else, a
// dangling link, a device, a pipe, a socket or a folder is never written.
bool isWritablePlace(const QString &path);

// Why a file gave no record; empty when it did.
struct ReadResult
{
    std::optional<SetupData> record;
    QString problem;
};

// The record in the file at `path`, read as a stream so the file's length costs no memory,
// or the reason it gives none: missing, not a regular file, unreadable, or bad. Never writes.
ReadResult readFile(const QString &path);
std::optional<SetupData> read(const QString &path);

// Reads the file at `path`. A missing or bad file is replaced by the default file, which is
// then loaded; if that fails too, or the place may not be written, the defaults are taken
// from memory and nothing is written again.
LoadResult load(const QString &path);

// Writes the record where isWritablePlace allows: atomically when the folder takes a new
// file, else in place; either way a failed save leaves the old file whole.
bool save(const QString &path, const SetupData &record);

} // namespace SettingsFile
