#include "settingsfile.h"

#include "settingslog.h"

#include "deviceconstants.h"

#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QLoggingCategory>
#include <QtCore/QSaveFile>

#include <algorithm>
#include <array>
#include <cmath>

Q_LOGGING_CATEGORY(lcSettings, "dawnbell.settings", QtWarningMsg)

namespace SettingsFile {

namespace {

using Field = SettingValue SetupData::*;

// The record's fields in the file's item order. Item 9 is read into LoadedAlarmTrack but
// written from AlarmTrack, so the two orders differ in that one place.
constexpr std::array<Field, ItemCount> itemOrder(Field track)
{
    return {&SetupData::HeaderLine,
            &SetupData::AlarmHourComment,
            &SetupData::AlarmHour,
            &SetupData::AlarmMinuteComment,
            &SetupData::AlarmMinute,
            &SetupData::AlarmAMPMComment,
            &SetupData::AlarmAMPM,
            &SetupData::AlarmTrackComment,
            track,
            &SetupData::BackGroundsComment,
            &SetupData::BackGrounds,
            &SetupData::WakeUpScreensComment,
            &SetupData::WakeUpScreens,
            &SetupData::AnnounceHourlyComment,
            &SetupData::AnnounceHourly,
            &SetupData::RemoteHostComment,
            &SetupData::RemoteHost,
            &SetupData::RemotePortComment,
            &SetupData::RemotePort};
}

constexpr std::array<Field, ItemCount> ReadOrder = itemOrder(&SetupData::LoadedAlarmTrack);
constexpr std::array<Field, ItemCount> WriteOrder = itemOrder(&SetupData::AlarmTrack);

constexpr int OptionCount = 16;

// Reading goes through the file in chunks of this size, so a long file costs no memory.
constexpr qint64 ChunkBytes = 16 * 1024;
// An old file up to this size is kept in memory during a save written in place, so that a
// failed write can put it back.
constexpr qint64 MaxRestoreBytes = 1024 * 1024;
constexpr char Bom[] = "\xEF\xBB\xBF";

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

bool isSeparator(char byte)
{
    return byte == ',' || byte == '\r' || byte == '\n';
}

// A fractional track selects the nearest option, halves going to the even neighbour
// (0.5 -> 0, 1.5 -> 2), so track 149.5 selects nothing and 150.5 selects "Alarm #2".
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

// The old bytes of a regular file small enough to keep, for putting back after a failed
// write in place.
std::optional<QByteArray> restorableBytes(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || file.size() > MaxRestoreBytes
        || !file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return file.readAll();
}

void putBack(const QString &path, const QByteArray &old)
{
    if (restorableBytes(path) == old)
        return; // the save never touched the file
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(old) == old.size())
        return;
    qCInfo(lcSettings) << "could not put back the old settings in" << path;
}

// Overwrites the file from its start without truncating it first, then cuts it to length.
bool writeInPlace(const QString &path, const QByteArray &bytes, QString *error)
{
    QFile file(path);
    if (file.open(QIODevice::ReadWrite | QIODevice::Unbuffered) && file.write(bytes) == bytes.size()
        && file.resize(bytes.size())) {
        return true;
    }
    *error = file.errorString();
    return false;
}

// Writes through QSaveFile: into a new file renamed over the old one, or, when the folder
// takes no new file but the file itself is writable, in place.
bool writeBytes(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    // Unbuffered, so a short write (a full disk, a size limit) shows in write()'s result;
    // a buffered write would only fail inside commit(), which then still renames the
    // truncated file over the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *error = file.errorString();
        // QSaveFile falls back only when the folder denies access; a folder that refuses
        // new files in another way (an immutable or append-only folder) still leaves the
        // file itself writable.
        return QFileInfo(path).isFile() && writeInPlace(path, bytes, error);
    }
    if (file.write(bytes) != bytes.size()) {
        *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

bool writeSettings(const QString &path, const QByteArray &bytes)
{
    if (!isWritablePlace(path)) {
        qCInfo(lcSettings) << "not written:" << path << "is not a regular file";
        return false;
    }
    // A link to a regular file is written through, so the link itself stays.
    const QFileInfo info(path);
    const QString target = info.isSymbolicLink() ? info.canonicalFilePath() : path;
    const std::optional<QByteArray> old = restorableBytes(target);
    QString error;
    if (writeBytes(target, bytes, &error)) {
        qCInfo(lcSettings) << "saved" << target;
        return true;
    }
    qCInfo(lcSettings) << "not saved:" << target << error;
    if (old)
        putBack(target, *old);
    return false;
}

} // namespace

void ItemReader::feed(QByteArrayView bytes)
{
    for (const char byte : bytes) {
        if (isDone())
            return;
        take(byte);
    }
}

void ItemReader::take(char byte)
{
    if (m_swallowLineFeed) {
        m_swallowLineFeed = false;
        if (byte == '\n')
            return;
    }
    switch (m_state) {
    case State::Bom:
        // Editors on Windows start UTF-8 files with a byte-order mark; it is no item's text.
        if (byte == Bom[m_bomBytes]) {
            if (++m_bomBytes == 3)
                m_state = State::Start;
            return;
        }
        leaveBom();
        take(byte);
        return;
    case State::Start:
        startItem(byte);
        return;
    case State::Quoted:
        if (byte == '"')
            m_state = State::AfterQuote;
        else if (isLineEnd(QLatin1Char(byte)))
            endItem(byte);
        else
            append(QLatin1Char(byte));
        return;
    case State::AfterQuote:
        if (isSeparator(byte))
            endItem(byte);
        return;
    case State::Unquoted:
        if (isSeparator(byte)) {
            endItem(byte);
        } else if (isBlank(QLatin1Char(byte))) {
            // Trailing blanks are no part of the item; inner ones are, once more follows.
            if (m_pendingBlanks.size() <= MaxItemChars)
                m_pendingBlanks.append(QLatin1Char(byte));
        } else {
            for (const QChar blank : std::as_const(m_pendingBlanks))
                append(blank);
            m_pendingBlanks.clear();
            append(QLatin1Char(byte));
        }
        return;
    }
}

void ItemReader::leaveBom()
{
    // The bytes matched so far were the start of the first item after all.
    m_state = State::Start;
    for (int i = 0; i < m_bomBytes; ++i)
        take(Bom[i]);
}

void ItemReader::startItem(char byte)
{
    if (isBlank(QLatin1Char(byte))) {
        m_itemBegun = true;
    } else if (byte == '"') {
        m_state = State::Quoted;
    } else if (isSeparator(byte)) {
        m_state = State::Unquoted;
        endItem(byte);
    } else {
        m_state = State::Unquoted;
        append(QLatin1Char(byte));
    }
}

void ItemReader::append(QChar c)
{
    if (m_text.size() < MaxItemChars)
        m_text.append(c);
    else
        m_cut = true;
}

void ItemReader::endItem(char separator)
{
    emitItem();
    m_afterComma = separator == ',';
    m_swallowLineFeed = separator == '\r';
}

void ItemReader::emitItem()
{
    SettingValue item;
    if (m_state == State::Quoted || m_state == State::AfterQuote) {
        item = SettingValue::fromText(m_text);
    } else if (!m_text.isEmpty()) {
        const std::optional<double> number = m_cut ? std::nullopt : readNumber(m_text);
        item = number ? SettingValue::fromNumber(*number) : SettingValue::fromText(m_text);
    }
    m_items.append(item);
    m_state = State::Start;
    m_text.clear();
    m_cut = false;
    m_itemBegun = false;
    m_pendingBlanks.clear();
}

std::optional<QList<SettingValue>> ItemReader::finish()
{
    if (m_state == State::Bom)
        leaveBom();
    // The last item runs into the end of the file; after a line end nothing more follows.
    if (!isDone() && (m_state != State::Start || m_afterComma || m_itemBegun))
        emitItem();
    if (m_items.size() < ItemCount)
        return std::nullopt;
    return m_items.mid(0, ItemCount);
}

std::optional<QList<SettingValue>> readItems(QByteArrayView bytes)
{
    ItemReader reader;
    reader.feed(bytes);
    return reader.finish();
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
    const double index = roundHalfEven(*track - Device::TrackOffset);
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

std::optional<SetupData> parseRecord(QByteArrayView bytes)
{
    const std::optional<QList<SettingValue>> items = readItems(bytes);
    return items ? recordFrom(*items) : std::nullopt;
}

std::optional<SetupData> recordFrom(const QList<SettingValue> &items)
{
    if (items.size() != ItemCount)
        return std::nullopt;
    SetupData record;
    for (int i = 0; i < ItemCount; ++i)
        record.*ReadOrder[i] = items.at(i);
    record.AlarmTrack = record.LoadedAlarmTrack;
    if (!selectionFor(record))
        return std::nullopt;
    return record;
}

std::optional<quint16> portOf(const SettingValue &value)
{
    double number = 0;
    if (value.isNumber()) {
        number = value.toNumber().value_or(0);
    } else if (value.isText()) {
        const QString text = value.toText().trimmed();
        const qsizetype digitsFrom = text.startsWith(u'+') || text.startsWith(u'-') ? 1 : 0;
        const bool digitsOnly = digitsFrom < text.size()
                && std::all_of(text.begin() + digitsFrom, text.end(),
                               [](QChar c) { return c >= u'0' && c <= u'9'; });
        if (!digitsOnly)
            return std::nullopt;
        number = readNumber(text).value_or(0);
    }
    if (!(number >= 1 && number <= 65535) || number != std::floor(number))
        return std::nullopt;
    return static_cast<quint16>(number);
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
    record.RemoteHost = text(Device::DefaultHost);
    record.RemotePortComment = text("Remote Port");
    record.RemotePort = text(Device::DefaultPortText);
    return record;
}

QByteArray defaultFileBytes()
{
    return serialize(defaultRecord());
}

bool isWritablePlace(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymbolicLink())
        return info.exists() && info.isFile(); // exists() and isFile() follow the link
    return !info.exists() || info.isFile();
}

ReadResult readFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {std::nullopt, QStringLiteral("no file")};
    // A pipe or device could block or never end, and a folder holds no settings.
    if (!info.isFile())
        return {std::nullopt, QStringLiteral("not a regular file")};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, file.errorString()};

    ItemReader reader;
    QByteArray chunk(ChunkBytes, Qt::Uninitialized);
    while (!reader.isDone()) {
        const qint64 got = file.read(chunk.data(), chunk.size());
        if (got < 0)
            return {std::nullopt, file.errorString()};
        if (got == 0)
            break;
        reader.feed(QByteArrayView(chunk.constData(), got));
    }
    const std::optional<QList<SettingValue>> items = reader.finish();
    if (!items)
        return {std::nullopt, QStringLiteral("fewer than %1 items").arg(ItemCount)};
    std::optional<SetupData> record = recordFrom(*items);
    if (!record)
        return {std::nullopt,
                QStringLiteral("a track, scheme, screen or announcement is not usable")};
    return {std::move(record), QString()};
}

std::optional<SetupData> read(const QString &path)
{
    return readFile(path).record;
}

LoadResult load(const QString &path)
{
    ReadResult first = readFile(path);
    if (first.record) {
        qCInfo(lcSettings) << "loaded" << path;
        return {*first.record, LoadOutcome::Loaded};
    }

    // One rewrite and one more try, never more: when the default file can't be written or
    // read back, looping would only rewrite it forever.
    if (writeSettings(path, defaultFileBytes())) {
        if (std::optional<SetupData> record = read(path)) {
            qCInfo(lcSettings) << "replaced" << path << "by the defaults:" << first.problem;
            return {*record, LoadOutcome::DefaultsWritten};
        }
    }
    qCInfo(lcSettings) << "using the defaults in memory for" << path << "-" << first.problem;
    return {defaultRecord(), LoadOutcome::DefaultsInMemory};
}

bool save(const QString &path, const SetupData &record)
{
    return writeSettings(path, serialize(record));
}

} // namespace SettingsFile
