#include "settingsstore.h"

#include "settingsformat.h"
#include "settingslog.h"
#include "settingsplatform.h"
#include "settingsrecord.h"

#include <QtCore/QBuffer>
#include <QtCore/QCoreApplication>
#include <QtCore/QCryptographicHash>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QSaveFile>
#include <QtCore/QTemporaryFile>

namespace Settings {

namespace {

// Files go through in chunks of this size, so a long file costs no memory.
constexpr qint64 ChunkBytes = 16 * 1024;
// An old file up to this size is kept in memory during a write in place, so that a failed
// write can put it back.
constexpr qint64 MaxRestoreBytes = 1024 * 1024;
constexpr QCryptographicHash::Algorithm DigestKind = QCryptographicHash::Sha256;

// The system's reason for a device's last failure. Qt gives "Unknown error" when a call failed
// without setting one; that tells the user nothing, so it is never passed on.
QString reasonOf(const QIODevice &device, const char *fallback)
{
    const QString reason = device.errorString();
    if (reason.isEmpty() || reason == QLatin1String("Unknown error"))
        return QCoreApplication::translate("Settings", fallback);
    return reason;
}

// A path as the user's system writes it, whatever the current folder.
QString shown(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// Writes all of `bytes`. A write that stops short (a full disk, a size limit) is tried once
// more for the rest, so that the call that fails reports the system's reason.
bool writeAll(QFileDevice &file, QByteArrayView bytes, QString *reason)
{
    while (!bytes.isEmpty()) {
        const qint64 written = file.write(bytes.data(), bytes.size());
        if (written <= 0) {
            *reason = reasonOf(file, QT_TRANSLATE_NOOP("Settings", "the write stopped short"));
            return false;
        }
        bytes = bytes.sliced(written);
    }
    return true;
}

// Copies the rest of `from` into `to`; `digest` takes the bytes copied and `copied` their count.
bool copyAll(QIODevice &from, QFileDevice &to, QCryptographicHash &digest, qint64 *copied,
             QString *reason)
{
    QByteArray chunk(ChunkBytes, Qt::Uninitialized);
    *copied = 0;
    for (;;) {
        const qint64 got = from.read(chunk.data(), chunk.size());
        if (got < 0) {
            *reason = reasonOf(from, QT_TRANSLATE_NOOP("Settings", "the read failed"));
            return false;
        }
        if (got == 0)
            return true;
        const QByteArrayView piece(chunk.constData(), got);
        if (!writeAll(to, piece, reason))
            return false;
        digest.addData(piece);
        *copied += got;
    }
}

// Overwrites the file from its start without truncating it first, then cuts it to length, so
// the file keeps its identity: every hard link sees the new bytes.
bool writeInPlace(const QString &path, QIODevice &source, QCryptographicHash &digest,
                  QString *reason)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        *reason = reasonOf(file, QT_TRANSLATE_NOOP("Settings", "the file could not be opened"));
        return false;
    }
    qint64 copied = 0;
    if (!copyAll(source, file, digest, &copied, reason))
        return false;
    if (!file.resize(copied)) {
        *reason = reasonOf(file,
                           QT_TRANSLATE_NOOP("Settings", "the file could not be cut to length"));
        return false;
    }
    return true;
}

// Writes into a new file renamed over the old one, or, when the folder takes no new file but
// the file itself is writable, in place.
bool writeReplacing(const QString &path, QIODevice &source, QCryptographicHash &digest,
                    QString *reason)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    // Unbuffered, so a short write shows in write()'s result; a buffered write would only fail
    // inside commit(), which then still renames the truncated file over the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *reason = reasonOf(file,
                           QT_TRANSLATE_NOOP("Settings", "no new file could be made beside it"));
        // QSaveFile falls back only when the folder denies access; a folder that refuses new
        // files in another way (immutable, append-only) still leaves the file writable.
        return QFileInfo(path).isFile() && writeInPlace(path, source, digest, reason);
    }
    qint64 copied = 0;
    if (!copyAll(source, file, digest, &copied, reason)) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *reason = reasonOf(
                file,
                QT_TRANSLATE_NOOP("Settings", "the new file could not take the old one's place"));
        return false;
    }
    return true;
}

// The bytes of a regular file small enough to keep, for putting back after a failed write.
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
        return; // the failed write never touched the file
    QBuffer source;
    source.setData(old);
    source.open(QIODevice::ReadOnly);
    QCryptographicHash digest(DigestKind);
    QString reason;
    // A write that fails where the failed save failed (a size limit) may still have put back
    // every byte that save changed.
    if (!writeInPlace(path, source, digest, &reason) && restorableBytes(path) != old)
        qCWarning(lcSettings) << "could not put back the old bytes of" << shown(path) << reason;
}

// Writes what `source` holds at `path` where isWritablePlace allows. A file with more than one
// name is written in place; any other through a new file. A failed write in place is undone
// when the old file was small enough to keep. Gives the digest of the bytes written.
std::optional<QByteArray> writeFile(const QString &path, QIODevice &source, QString *reason)
{
    if (!isWritablePlace(path)) {
        *reason = QCoreApplication::translate("Settings", "it is not a regular file");
        return std::nullopt;
    }
    // A link to a regular file is written through, so the link itself stays.
    const QFileInfo info(path);
    const QString target = info.isSymbolicLink() ? info.canonicalFilePath() : path;
    const std::optional<QByteArray> old = restorableBytes(target);
    QCryptographicHash digest(DigestKind);
    const bool shared = info.exists() && linkCount(target) > 1;
    const bool written = shared ? writeInPlace(target, source, digest, reason)
                                : writeReplacing(target, source, digest, reason);
    if (written)
        return digest.result();
    if (old)
        putBack(target, *old);
    return std::nullopt;
}

std::optional<QByteArray> writeBytes(const QString &path, const QByteArray &bytes, QString *reason)
{
    QBuffer source;
    source.setData(bytes);
    source.open(QIODevice::ReadOnly);
    return writeFile(path, source, reason);
}

// Reads the file at `path`; with `digest`, reads it to its end for a digest of all its bytes.
ReadResult scanFile(const QString &path, QByteArray *digest)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {std::nullopt, ReadProblem::Missing,
                QCoreApplication::translate("Settings", "there is no such file")};
    // A pipe or device could block or never end, and a folder holds no settings.
    if (!info.isFile())
        return {std::nullopt, ReadProblem::NotRegular,
                QCoreApplication::translate("Settings", "it is not a regular file")};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, ReadProblem::Unreadable,
                reasonOf(file, QT_TRANSLATE_NOOP("Settings", "it could not be opened"))};

    ItemReader reader;
    QCryptographicHash hash(DigestKind);
    QByteArray chunk(ChunkBytes, Qt::Uninitialized);
    while (digest || !reader.isDone()) {
        const qint64 got = file.read(chunk.data(), chunk.size());
        if (got < 0)
            return {std::nullopt, ReadProblem::Unreadable,
                    reasonOf(file, QT_TRANSLATE_NOOP("Settings", "the read failed"))};
        if (got == 0)
            break;
        const QByteArrayView piece(chunk.constData(), got);
        reader.feed(piece);
        hash.addData(piece);
    }
    if (digest)
        *digest = hash.result();
    const std::optional<QList<SettingValue>> items = reader.finish();
    if (!items) {
        return {std::nullopt, ReadProblem::Unusable,
                QCoreApplication::translate("Settings",
                                            "it ends after %1 items, of the %2 the panel needs")
                        .arg(reader.itemsRead())
                        .arg(ItemCount),
                reader.lineOf(reader.itemsRead())};
    }
    std::optional<SetupData> record = recordFrom(*items);
    if (!record) {
        const UnusableItem unusable = *firstUnusableItem(*items);
        return {std::nullopt, ReadProblem::Unusable, unusable.reason,
                reader.lineOf(unusable.index)};
    }
    return {std::move(record), ReadProblem::None, QString(), 0, reader.dropsText()};
}

} // namespace

ReadResult readFile(const QString &path)
{
    return scanFile(path, nullptr);
}

QString unusableFileText(const QString &path, const ReadResult &read)
{
    QString where = shown(path);
    if (read.line > 0)
        where += QCoreApplication::translate("Settings", " line %1").arg(read.line);
    return QStringLiteral("%1: %2").arg(where, read.reason);
}

bool isWritablePlace(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymbolicLink())
        return info.exists() && info.isFile(); // exists() and isFile() follow the link
    return !info.exists() || info.isFile();
}

QString saveProblem(const QString &path)
{
    if (!isWritablePlace(path))
        return QCoreApplication::translate("Settings",
                                           "something other than a file stands in its place");
    const QFileInfo settings(path);
    if (settings.exists()) // written in place when the folder takes no new file
        return settings.isWritable()
                ? QString()
                : QCoreApplication::translate("Settings", "the file is read-only");
    QTemporaryFile probe(settings.absoluteFilePath() + QStringLiteral(".XXXXXX"));
    return probe.open() ? QString() : probe.errorString();
}

} // namespace Settings

using namespace Settings;

SettingsStore::SettingsStore(const QString &path)
    : m_path(path)
{ }

LoadResult SettingsStore::load()
{
    m_knownDigest.reset();
    m_unreadable.clear();
    QByteArray digest;
    const ReadResult first = scanFile(m_path, &digest);
    if (first.record) {
        // Text that no item keeps (a note the user added) is not written back, so the save
        // keeps the file as it keeps a hand edit: its digest stays unknown.
        if (!first.dropsText)
            m_knownDigest = digest;
        qCInfo(lcSettings) << "loaded" << shown(m_path);
        return {*first.record};
    }
    if (first.problem == ReadProblem::Unreadable) {
        // Writing over a file that could not be read would destroy what it holds.
        m_unreadable = first.reason;
        return leftUnused(first, defaultsInMemory(first.reason));
    }
    if (first.problem == ReadProblem::NotRegular)
        return defaultsInMemory(first.reason);
    if (first.problem == ReadProblem::Unusable) {
        QString reason;
        if (!keepBackup(&reason)) {
            return leftUnused(
                    first,
                    defaultsInMemory(QCoreApplication::translate("Settings",
                                                                 "it is not usable, and keeping it "
                                                                 "as %1 failed: %2")
                                             .arg(shown(backupPath()), reason)));
        }
        m_knownDigest = digest; // the old bytes are safe in the backup
    }
    qCInfo(lcSettings) << "replacing" << shown(m_path) << "by the defaults:" << first.reason;
    if (first.problem == ReadProblem::Missing)
        return loadDefaults();
    LoadResult result = leftUnused(first, loadDefaults());
    result.keptAs = shown(backupPath());
    return result;
}

LoadResult SettingsStore::leftUnused(const ReadResult &read, LoadResult result) const
{
    result.unusedFile = unusableFileText(m_path, read);
    return result;
}

LoadResult SettingsStore::defaultsInMemory(const QString &why) const
{
    qCWarning(lcSettings).noquote()
            << "using the defaults and leaving" << shown(m_path) << "as it is:" << why;
    return {defaultRecord()};
}

// One write of the default file and one more read, never more: when the default file can't be
// written or read back, looping would only rewrite it forever.
LoadResult SettingsStore::loadDefaults()
{
    QString reason;
    const std::optional<QByteArray> written = writeBytes(m_path, defaultFileBytes(), &reason);
    if (!written) {
        qCInfo(lcSettings) << "could not write the default file" << shown(m_path) << reason;
        return {defaultRecord()};
    }
    m_knownDigest = written;
    const ReadResult reread = readFile(m_path);
    if (!reread.record) {
        qCInfo(lcSettings) << "could not read back the default file" << shown(m_path)
                           << reread.reason;
        return {defaultRecord()};
    }
    return {*reread.record};
}

// Copies the file as it is now into the backup, replacing an older backup.
bool SettingsStore::keepBackup(QString *reason)
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = reasonOf(file, QT_TRANSLATE_NOOP("Settings", "it could not be opened"));
        return false;
    }
    if (!writeFile(backupPath(), file, reason))
        return false;
    qCInfo(lcSettings) << "kept the old bytes of" << shown(m_path) << "in" << shown(backupPath());
    return true;
}

// Keeps the file in the backup when its bytes are not the ones last read or written here: a
// hand edit while the panel runs, or a file that appeared after a failed load.
bool SettingsStore::keepChangedFile(QString *reason)
{
    if (!QFileInfo::exists(m_path))
        return true; // nothing there to lose
    QByteArray digest;
    const ReadResult now = scanFile(m_path, &digest);
    if (now.problem == ReadProblem::Unreadable) {
        *reason = QCoreApplication::translate(
                          "Settings", "it could not be read to tell whether it changed (%1)")
                          .arg(now.reason);
        return false;
    }
    if (m_knownDigest == digest)
        return true;
    QString backupReason;
    if (!keepBackup(&backupReason)) {
        *reason = QCoreApplication::translate(
                          "Settings",
                          "it changed since it was read, and keeping it as %1 failed: %2")
                          .arg(shown(backupPath()), backupReason);
        return false;
    }
    return true;
}

SaveResult SettingsStore::save(const SetupData &record)
{
    if (!m_unreadable.isEmpty()) {
        return failedSave(QCoreApplication::translate(
                                  "Settings",
                                  "it could not be read at start (%1), so it is left as it "
                                  "was")
                                  .arg(m_unreadable));
    }
    if (!isWritablePlace(m_path))
        return failedSave(QCoreApplication::translate("Settings", "it is not a regular file"));
    QString reason;
    if (!keepChangedFile(&reason))
        return failedSave(reason);
    const std::optional<QByteArray> written = writeBytes(m_path, serialize(record), &reason);
    if (!written)
        return failedSave(reason);
    m_knownDigest = written;
    qCInfo(lcSettings) << "saved" << shown(m_path);
    return {true, QString()};
}

SaveResult SettingsStore::failedSave(const QString &reason) const
{
    const QString error = QCoreApplication::translate("Settings", "Could not save %1: %2")
                                  .arg(shown(m_path), reason);
    qCWarning(lcSettings).noquote() << error;
    return {false, error};
}
