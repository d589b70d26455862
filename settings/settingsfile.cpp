#include "settingsfile.h"

#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QSaveFile>

#include <array>
#include <cmath>

namespace SettingsFile {

namespace {

using Field = SettingValue SetupData::*;

// The record's fields in the file's item order. Item 9 is read into LoadedAlarmTrack but
// written from AlarmTrack, so the two orders differ in that one place.
constexpr std::array<Field, ItemCount> itemOrder(Field track)
{
    return {&SetupData::HeaderLine,     &SetupData::AlarmHourComment,
            &SetupData::AlarmHour,      &SetupData::AlarmMinuteComment,
            &SetupData::AlarmMinute,    &SetupData::AlarmAMPMComment,
            &SetupData::AlarmAMPM,      &SetupData::AlarmTrackComment,
            track,                      &SetupData::BackGroundsComment,
            &SetupData::BackGrounds,    &SetupData::WakeUpScreensComment,
            &SetupData::WakeUpScreens,  &SetupData::AnnounceHourlyComment,
            &SetupData::AnnounceHourly, &SetupData::RemoteHostComment,
            &SetupData::RemoteHost,     &SetupData::RemotePortComment,
            &SetupData::RemotePort};
}

constexpr std::array<Field, ItemCount> ReadOrder = itemOrder(&SetupData::LoadedAlarmTrack);
constexpr std::array<Field, ItemCount> WriteOrder = itemOrder(&SetupData::AlarmTrack);

constexpr int TrackOffset = 149;
constexpr int OptionCount = 16;

// The file is a few hundred bytes when the panel writes it. A bounded head keeps a huge or
// endless file (a device node, a runaway editor) from costing time or memory; the nineteen
// items of any file the panel can use fit well inside it.
constexpr qint64 MaxHeadBytes = 64 * 1024;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

// VB rounds halves to the even neighbour (0.5 -> 0, 1.5 -> 2); the option index follows it,
// so track 149.5 selects nothing and 150.5 selects "Alarm #2".
double roundHalfEven(double value)
{
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction < 0.5)
        return lower;
    if (fraction > 0.5)
        return lower + 1;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

// How a text goes between the quotes. The format has no escape, so a double quote inside a
// text would end the item early and shift every later one; it becomes a single quote. A
// line end would do the same and becomes a blank. The file is 8-bit text, so a character
// beyond Latin-1 becomes "?" (one per character, not per UTF-16 unit).
QByteArray quotedText(const QString &text)
{
    QByteArray out;
    out.reserve(text.size() + 2);
    out.append('"');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"') {
            out.append('\'');
        } else if (isLineEnd(c)) {
            out.append(' ');
        } else if (c.unicode() <= 0xff) {
            out.append(static_cast<char>(c.unicode()));
        } else {
            if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
            out.append('?');
        }
    }
    out.append('"');
    return out;
}

// The bytes of the file at `path`, read no further than the bound, or nothing when it can't
// be opened. Only regular files are read: a directory fails, and a pipe or device could
// block or never end.
std::optional<QByteArray> readHead(const QString &path, bool *complete)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray head = file.read(MaxHeadBytes);
    *complete = file.read(1).isEmpty();
    return head;
}

bool writeAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    // Unbuffered, so a short write (a full disk, a size limit) shows in write()'s result;
    // a buffered write would only fail inside commit(), which then still renames the
    // truncated file over the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

// Reading rules, as the panel has always read the file:
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
std::optional<QList<SettingValue>> readItems(const QByteArray &bytes, bool complete)
{
    const QString text = QString::fromLatin1(bytes);
    const qsizetype size = text.size();
    QList<SettingValue> items;
    items.reserve(ItemCount);
    qsizetype pos = 0;
    bool afterComma = false;

    while (items.size() < ItemCount) {
        if (pos >= size && !afterComma)
            break;
        afterComma = false;

        while (pos < size && isBlank(text[pos]))
            ++pos;

        SettingValue item;
        if (pos < size && text[pos] == u'"') {
            const qsizetype start = ++pos;
            while (pos < size && text[pos] != u'"' && !isLineEnd(text[pos]))
                ++pos;
            item = SettingValue::fromText(text.mid(start, pos - start));
            if (pos < size && text[pos] == u'"') {
                ++pos;
                while (pos < size && text[pos] != u',' && !isLineEnd(text[pos]))
                    ++pos;
            }
        } else {
            const qsizetype start = pos;
            while (pos < size && text[pos] != u',' && !isLineEnd(text[pos]))
                ++pos;
            qsizetype end = pos;
            while (end > start && isBlank(text[end - 1]))
                --end;
            const QStringView raw = QStringView(text).mid(start, end - start);
            if (!raw.isEmpty()) {
                if (const std::optional<double> number = readNumber(raw))
                    item = SettingValue::fromNumber(*number);
                else
                    item = SettingValue::fromText(raw.toString());
            }
        }

        if (pos >= size) {
            // The item ran into the end of the bytes; in a head of a longer file it is cut.
            if (!complete)
                break;
        } else if (text[pos] == u',') {
            ++pos;
            afterComma = true;
        } else {
            if (text[pos] == u'\r' && pos + 1 < size && text[pos + 1] == u'\n')
                ++pos;
            ++pos;
        }
        items.append(item);
    }

    if (items.size() < ItemCount)
        return std::nullopt;
    return items;
}

QByteArray writeItems(const QList<SettingValue> &items)
{
    QByteArray out;
    for (const SettingValue &item : items) {
        switch (item.kind()) {
        case SettingValue::Kind::Empty:
            break;
        case SettingValue::Kind::Text:
            out.append(quotedText(item.toText()));
            break;
        case SettingValue::Kind::Number:
            out.append(item.toText().toLatin1());
            break;
        }
        out.append("\r\n");
    }
    return out;
}

std::optional<Selection> selectionFor(const SetupData &record)
{
    Selection selection;

    const std::optional<double> track = record.LoadedAlarmTrack.toNumber();
    if (!track)
        return std::nullopt;
    const double index = roundHalfEven(*track - TrackOffset);
    if (!(index >= 1 && index <= OptionCount))
        return std::nullopt;
    selection.optionIndex = static_cast<int>(index);

    // Each group takes the first of its numbers that the field equals, as the loader's
    // comparisons run in that order.
    const std::optional<double> backGround = record.BackGrounds.toNumber();
    if (!backGround)
        return std::nullopt;
    for (int scheme = 1; scheme <= 4 && selection.backGround == 0; ++scheme) {
        if (*backGround == scheme)
            selection.backGround = scheme;
    }

    const std::optional<double> screen = record.WakeUpScreens.toNumber();
    if (!screen)
        return std::nullopt;
    for (int number = 5; number <= 7 && selection.wakeUpScreen == 0; ++number) {
        if (*screen == number)
            selection.wakeUpScreen = number;
    }

    const std::optional<double> announce = record.AnnounceHourly.toNumber();
    if (!announce)
        return std::nullopt;
    selection.announceHourly = *announce == 1;

    return selection;
}

std::optional<SetupData> parseRecord(const QByteArray &bytes, bool complete)
{
    const std::optional<QList<SettingValue>> items = readItems(bytes, complete);
    if (!items)
        return std::nullopt;
    SetupData record;
    for (int i = 0; i < ItemCount; ++i)
        record.*ReadOrder[i] = items->at(i);
    record.AlarmTrack = record.LoadedAlarmTrack;
    if (!selectionFor(record))
        return std::nullopt;
    return record;
}

QByteArray serialize(const SetupData &record)
{
    QList<SettingValue> items;
    items.reserve(ItemCount);
    for (const Field field : WriteOrder)
        items.append(record.*field);
    return writeItems(items);
}

SetupData defaultRecord()
{
    const auto text
            = [](const char *latin1) { return SettingValue::fromText(QLatin1String(latin1)); };
    SetupData record;
    record.HeaderLine = text("Starting on line 2, every other line is a comment.  comments must "
                             "be in quotes.");
    record.AlarmHourComment = text("Alarm Hour");
    record.AlarmHour = text("6");
    record.AlarmMinuteComment = text("Alarm Minute");
    record.AlarmMinute = text("30");
    record.AlarmAMPMComment = text("Alarm AMPM");
    record.AlarmAMPM = text("AM");
    record.AlarmTrackComment = text("Alarm Track");
    record.LoadedAlarmTrack = SettingValue::fromNumber(151);
    record.AlarmTrack = record.LoadedAlarmTrack;
    record.BackGroundsComment = text("BackGrounds");
    record.BackGrounds = text("1");
    record.WakeUpScreensComment = text("Wake Up Screens");
    record.WakeUpScreens = text("1");
    record.AnnounceHourlyComment = text("Announce Hourly");
    record.AnnounceHourly = text("0");
    // The module is reached over loopback until the user enters its real address.
    record.RemoteHostComment = text("Remote Host");
    record.RemoteHost = text("127.0.0.1");
    record.RemotePortComment = text("Remote Port");
    record.RemotePort = text("5000");
    return record;
}

QByteArray defaultFileBytes()
{
    return serialize(defaultRecord());
}

std::optional<SetupData> read(const QString &path)
{
    bool complete = true;
    const std::optional<QByteArray> bytes = readHead(path, &complete);
    if (!bytes)
        return std::nullopt;
    return parseRecord(*bytes, complete);
}

LoadResult load(const QString &path)
{
    if (std::optional<SetupData> record = read(path))
        return {*record, LoadOutcome::Loaded};

    // One rewrite and one more try, never more: when the default file can't be written or
    // read back, looping would only rewrite it forever.
    if (writeAtomically(path, defaultFileBytes())) {
        if (std::optional<SetupData> record = read(path))
            return {*record, LoadOutcome::DefaultsWritten};
    }
    return {defaultRecord(), LoadOutcome::DefaultsInMemory};
}

bool save(const QString &path, const SetupData &record)
{
    return writeAtomically(path, serialize(record));
}

} // namespace SettingsFile
