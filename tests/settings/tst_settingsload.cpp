#include "defaultbytes.h"
#include "settingsrecord.h"
#include "settingsstore.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QProcess>
#include <QtCore/QStringEncoder>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

#ifdef Q_OS_LINUX
#    include <linux/capability.h>
#    include <sys/syscall.h>
#endif
#ifdef Q_OS_UNIX
#    include <csignal>
#    include <sys/resource.h>
#    include <sys/stat.h>
#    include <sys/sysmacros.h>
#    include <unistd.h>
#endif
#ifdef Q_OS_WIN
#    include <windows.h>
#endif

using namespace Settings;

namespace {

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A symbolic link at `link`, as the system reports one. QFile::link makes a shortcut on Windows,
// which programs do not follow; Windows' own symbolic links need Developer Mode or the
// privilege to make them, and Wine makes a link of the Unix system that it reports as none.
bool makeSymbolicLink(const QString &target, const QString &link, bool toFolder = false)
{
#ifdef Q_OS_WIN
    const auto native = [](const QString &path) {
        return reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(path).utf16());
    };
    const DWORD flags = (toFolder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0)
            | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
    return CreateSymbolicLinkW(native(link), native(target), flags)
            && QFileInfo(link).isSymbolicLink();
#else
    Q_UNUSED(toFolder);
    return QFile::link(target, link);
#endif
}

const char NoSymbolicLinks[] = "no symbolic links can be made here, or none that the system "
                               "reports as one";

#ifdef Q_OS_UNIX
// Makes every write past `bytes` fail, as a full disk would, for the lifetime of the guard.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool isActive() const { return m_active; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_active = false;
};

// Makes a folder refuse new files, or take them again, while its files stay writable:
// permissions for a user, the immutable attribute for root, whom permissions do not stop.
bool refuseNewFiles(const QString &folder, bool refuse)
{
    if (geteuid() == 0) {
        const QString flag = QLatin1String(refuse ? "+i" : "-i");
        return QProcess::execute(QStringLiteral("chattr"), {flag, folder}) == 0;
    }
    return QFile::setPermissions(folder,
                                 QFile::ReadOwner | QFile::ExeOwner
                                         | (refuse ? QFile::Permissions() : QFile::WriteOwner));
}
#endif

#ifdef Q_OS_LINUX
// Holds root to permission bits, as anyone, while the guard lives.
struct PermissionsHoldForRoot
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved[2]{};
    bool active = false;
    PermissionsHoldForRoot()
    {
        if (syscall(SYS_capget, &header, saved) != 0)
            return;
        __user_cap_data_struct dropped[2] = {saved[0], saved[1]};
        dropped[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        active = syscall(SYS_capset, &header, dropped) == 0;
    }
    ~PermissionsHoldForRoot()
    {
        if (active)
            syscall(SYS_capset, &header, saved);
    }
};
#endif

} // namespace

// The loader and saver against real files in a temporary folder.
class TestSettingsLoad : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void goodFileLoads();
    void badFileIsReplaced_data();
    void badFileIsReplaced();
    void unwritableDefaultsStayInMemory();
    void hugeFileIsBounded();
    void unusualFilesLoad_data();
    void unusualFilesLoad();
    void pipeIsNotRead();
    void onlyRegularFilesAreWritten_data();
    void onlyRegularFilesAreWritten();
    void linkToFileIsWrittenThrough();
    void folderRefusingNewFilesSavesInPlace();
    void textNoItemKeepsIsBackedUp_data();
    void textNoItemKeepsIsBackedUp();
    void failedSaveKeepsOldFile();
    void failedDefaultWriteKeepsOldFile();
    void unreadableFileIsNeverReplaced();
    void changedFileIsKept_data();
    void changedFileIsKept();
    void failedWriteInPlaceIsPutBack_data();
    void failedWriteInPlaceIsPutBack();

private:
    std::optional<QTemporaryDir> m_dir;
    QString m_path;
    std::optional<SettingsStore> m_store;
};

void TestSettingsLoad::init()
{
    // A fresh folder for each test row, so no row sees another's files.
    m_dir.emplace();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QString::fromLatin1(FileName));
    m_store.emplace(m_path);
}

void TestSettingsLoad::goodFileLoads()
{
    const QByteArray bytes = QByteArray(DefaultBytes).replace("151", "\"160\"");
    QVERIFY(writeFile(m_path, bytes));

    const LoadResult result = m_store->load();
    QCOMPARE(result.record.AlarmTrack, SettingValue::fromText("160"));
    QCOMPARE(contentOf(m_path), bytes);
}

void TestSettingsLoad::badFileIsReplaced_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("missing") << false << QByteArray();
    QTest::newRow("empty") << true << QByteArray();
    QTest::newRow("track 149") << true << QByteArray(DefaultBytes).replace("151", "149");
    QTest::newRow("track 166") << true << QByteArray(DefaultBytes).replace("151", "166");
    QTest::newRow("track text") << true << QByteArray(DefaultBytes).replace("151", "\"x\"");
    QTest::newRow("17 items") << true
                              << QByteArray(DefaultBytes)
                                         .replace("\"Remote Host\"\r\n", "")
                                         .replace("\"Remote Port\"\r\n", "");
    QTest::newRow("18 items") << true
                              << QByteArray(DefaultBytes).replace("\"Remote Port\"\r\n", "");
    QTest::newRow("binary") << true << QByteArray("\0\x01\"\xff\r\r\n\x7f", 8).repeated(100);
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringConverter::Flag::WriteBom);
    QTest::newRow("UTF-16") << true << QByteArray(utf16(QString::fromLatin1(DefaultBytes)));
}

void TestSettingsLoad::badFileIsReplaced()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, bytes);
    if (exists)
        QVERIFY(writeFile(m_path, bytes));

    const LoadResult result = m_store->load();
    QCOMPARE(result.record, defaultRecord());
    QCOMPARE(contentOf(m_path), DefaultBytes);
    // What the user wrote is kept beside the file it replaced.
    QCOMPARE(QFile::exists(m_store->backupPath()), exists);
    if (exists)
        QCOMPARE(contentOf(m_store->backupPath()), bytes);
}

void TestSettingsLoad::unwritableDefaultsStayInMemory()
{
    // A folder in the file's place can be neither read nor replaced.
    QVERIFY(QDir().mkpath(m_path + QLatin1String("/inside")));

    const LoadResult result = m_store->load();
    QCOMPARE(result.record, defaultRecord());
    QVERIFY(QFileInfo(m_path + QLatin1String("/inside")).isDir());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
}

void TestSettingsLoad::hugeFileIsBounded()
{
    // Good items, then far more than the loader reads: the items still load.
    QVERIFY(writeFile(m_path, DefaultBytes + QByteArray(4 << 20, 'x')));
    QCOMPARE(m_store->load().record, defaultRecord());
    QCOMPARE(contentOf(m_path).size(), DefaultBytes.size() + (4 << 20));

    // An overlong item is cut and never misread as a number: this one is no port.
    QVERIFY(writeFile(m_path, QByteArray(18, '\n') + QByteArray(1 << 20, '7')));
    QCOMPARE(m_store->load().record, defaultRecord());
    QCOMPARE(contentOf(m_path), DefaultBytes);
}

void TestSettingsLoad::unusualFilesLoad_data()
{
    QTest::addColumn<QByteArray>("bytes");

    // Saved as UTF-8 by an editor that marks it so.
    QTest::newRow("byte-order mark") << "\xEF\xBB\xBF" + DefaultBytes;
    QTest::newRow("200 KiB comment")
            << QByteArray(DefaultBytes).replace("Alarm Hour", QByteArray(200 * 1024, 'c'));
}

void TestSettingsLoad::unusualFilesLoad()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(writeFile(m_path, QByteArray(bytes).replace("151", "163")));

    const LoadResult result = m_store->load();
    QCOMPARE(result.record.AlarmTrack, SettingValue::fromNumber(163));
    QCOMPARE(result.record.RemotePort, SettingValue::fromText("5000"));

    // The next save writes the file the panel's way: no mark, the comment as it was kept.
    QVERIFY(m_store->save(result.record).saved);
    QVERIFY(!contentOf(m_path).startsWith("\xEF"));
    QCOMPARE(m_store->load().record, result.record);
}

void TestSettingsLoad::pipeIsNotRead()
{
#ifdef Q_OS_UNIX
    // Opening a pipe with no writer would block the panel's start for good.
    QVERIFY(mkfifo(QFile::encodeName(m_path).constData(), 0600) == 0);
    const LoadResult result = m_store->load();
    QCOMPARE(result.record, defaultRecord());
#else
    QSKIP("needs named pipes");
#endif
}

void TestSettingsLoad::onlyRegularFilesAreWritten_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("link to a pipe") << "pipe";
    QTest::newRow("link to a device") << "device";
    QTest::newRow("dangling link") << "nothing";
    QTest::newRow("link to a folder") << "folder";
}

void TestSettingsLoad::onlyRegularFilesAreWritten()
{
    QFETCH(QString, kind);
    const QString target = m_dir->filePath(QStringLiteral("target"));
    if (kind == QLatin1String("pipe") || kind == QLatin1String("device")) {
#ifdef Q_OS_UNIX
        const QByteArray name = QFile::encodeName(target);
        if (kind == QLatin1String("pipe")) {
            QVERIFY(mkfifo(name.constData(), 0600) == 0);
        } else if (geteuid() == 0) {
            // A node of our own for root, whose mistake would replace it; others can't touch
            // /dev.
            QVERIFY(mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0);
        } else {
            QVERIFY(QFile::link(QStringLiteral("/dev/null"), target));
        }
#else
        QSKIP("Windows keeps no pipes or devices among the files of a folder");
#endif
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(target));
    }
    if (!makeSymbolicLink(target, m_path, kind == QLatin1String("folder")))
        QSKIP(NoSymbolicLinks);
    const QFileInfo before(target);

    const LoadResult result = m_store->load();
    QCOMPARE(result.record, defaultRecord());
    QVERIFY(!m_store->save(result.record).saved);

    const QFileInfo after(target);
    QCOMPARE(after.exists(), before.exists());
    QCOMPARE(after.isFile(), false);
    QVERIFY(QFileInfo(m_path).isSymLink());
}

void TestSettingsLoad::linkToFileIsWrittenThrough()
{
    const QString target = m_dir->filePath(QStringLiteral("dotfiles.ini"));
    QVERIFY(writeFile(target, DefaultBytes));
    if (!makeSymbolicLink(target, m_path))
        QSKIP(NoSymbolicLinks);

    SetupData record = m_store->load().record;
    record.BackGrounds = SettingValue::fromText("3");
    QVERIFY(m_store->save(record).saved);
    QVERIFY(QFileInfo(m_path).isSymLink());
    QCOMPARE(contentOf(target), serialize(record));
}

void TestSettingsLoad::folderRefusingNewFilesSavesInPlace()
{
#ifdef Q_OS_UNIX
    QVERIFY(writeFile(m_path, DefaultBytes));
    SetupData record = m_store->load().record;
    record.WakeUpScreens = SettingValue::fromText("6");
    if (!refuseNewFiles(m_dir->path(), true))
        QSKIP("cannot make the folder refuse new files here");
    const bool saved = m_store->save(record).saved;
    refuseNewFiles(m_dir->path(), false);
    QVERIFY(saved);
    QCOMPARE(contentOf(m_path), serialize(record));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 1);
#else
    QSKIP("needs folder permissions");
#endif
}

void TestSettingsLoad::textNoItemKeepsIsBackedUp_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("backedUp");
    const QByteArray port = "\"5000\"";
    QTest::newRow("lines after the last item") << DefaultBytes + QByteArray(5000, 'o') << true;
    QTest::newRow("note after a closing quote")
            << QByteArray(DefaultBytes).replace(port, port + " # the bedroom clock") << true;
    QTest::newRow("comment longer than an item")
            << QByteArray(DefaultBytes).replace("Alarm Hour", QByteArray(5000, 'c')) << true;
    QTest::newRow("blanks after a closing quote")
            << QByteArray(DefaultBytes).replace(port, port + " \t") << false;
}

void TestSettingsLoad::textNoItemKeepsIsBackedUp()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, backedUp);
    QVERIFY(writeFile(m_path, bytes));
    SetupData record = m_store->load().record;
    record.RemotePort = SettingValue::fromText("6000");

    QVERIFY(m_store->save(record).saved);
    QCOMPARE(contentOf(m_path), serialize(record));
    // The save writes the items alone; what it leaves out stays in the backup.
    QCOMPARE(QFile::exists(m_store->backupPath()), backedUp);
    if (backedUp)
        QCOMPARE(contentOf(m_store->backupPath()), bytes);
}

void TestSettingsLoad::failedSaveKeepsOldFile()
{
    const QByteArray old = QByteArray(DefaultBytes).replace("\"6\"", "\"9\"");
    QVERIFY(writeFile(m_path, old));
    QCOMPARE(m_store->load().record.AlarmHour, SettingValue::fromText("9"));
    {
#ifdef Q_OS_UNIX
        FileSizeLimit limit(100);
        if (!limit.isActive())
            QSKIP("file size limit not available");
        QVERIFY(!m_store->save(defaultRecord()).saved);
#else
        QSKIP("needs a file size limit");
#endif
    }
    QCOMPARE(contentOf(m_path), old);

    // A folder in the file's place: nothing to write over.
    const QString folder = m_dir->filePath(QLatin1String("folder"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(!SettingsStore(folder).save(defaultRecord()).saved);
    QVERIFY(QFileInfo(folder).isDir());
}

void TestSettingsLoad::failedDefaultWriteKeepsOldFile()
{
    // Short enough for its backup to pass the limit that stops the default file.
    const QByteArray bad = "\"Alarm Track\"\r\n166\r\n";
    QVERIFY(writeFile(m_path, bad));
    LoadResult result;
    {
#ifdef Q_OS_UNIX
        FileSizeLimit limit(100);
        if (!limit.isActive())
            QSKIP("file size limit not available");
        result = m_store->load();
#else
        QSKIP("needs a file size limit");
#endif
    }
    QCOMPARE(result.record, defaultRecord());
    QCOMPARE(contentOf(m_path), bad);
}

void TestSettingsLoad::unreadableFileIsNeverReplaced()
{
#ifdef Q_OS_LINUX
    const QByteArray mine = QByteArray(DefaultBytes).replace("151", "160");
    QVERIFY(writeFile(m_path, mine));
    QVERIFY(QFile::setPermissions(m_path, QFile::WriteOwner));
    LoadResult result;
    {
        PermissionsHoldForRoot guard;
        result = m_store->load();
    }
    if (result.record.AlarmTrack == SettingValue::fromNumber(160))
        QSKIP("cannot make a file unreadable here");
    QCOMPARE(result.record, defaultRecord());

    // Even once it can be read again, the run that could not read it never writes it.
    QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner));
    const SaveResult saved = m_store->save(result.record);
    QVERIFY(!saved.saved);
    QVERIFY2(saved.error.contains(m_path) && saved.error.contains("Permission denied"),
             qPrintable(saved.error));
    QCOMPARE(contentOf(m_path), mine);
    QVERIFY(!QFile::exists(m_store->backupPath()));
#else
    QSKIP("needs Linux capabilities to hold root to permissions");
#endif
}

void TestSettingsLoad::changedFileIsKept_data()
{
    QTest::addColumn<bool>("backupBlocked");
    QTest::newRow("edited by hand") << false;
    // The backup follows the regular-file rule; without it the edit stays where it is.
    QTest::newRow("edited, backup place is a folder") << true;
}

void TestSettingsLoad::changedFileIsKept()
{
    QFETCH(bool, backupBlocked);
    QVERIFY(writeFile(m_path, DefaultBytes));
    SetupData record = m_store->load().record;
    record.AlarmHour = SettingValue::fromText("7");
    const QByteArray edited = QByteArray(DefaultBytes).replace("\"30\"", "\"45\"");
    QVERIFY(writeFile(m_path, edited));
    if (backupBlocked)
        QVERIFY(QDir().mkpath(m_store->backupPath()));

    const SaveResult result = m_store->save(record);
    QCOMPARE(result.saved, !backupBlocked);
    QCOMPARE(contentOf(m_path), backupBlocked ? edited : serialize(record));
    if (backupBlocked)
        QVERIFY2(result.error.contains(QDir::toNativeSeparators(m_store->backupPath())),
                 qPrintable(result.error));
    else
        QCOMPARE(contentOf(m_store->backupPath()), edited);
}

void TestSettingsLoad::failedWriteInPlaceIsPutBack_data()
{
    QTest::addColumn<bool>("hardLink"); // else the folder refuses new files
    QTest::newRow("folder refusing new files") << false;
    QTest::newRow("hard link") << true;
}

void TestSettingsLoad::failedWriteInPlaceIsPutBack()
{
#ifdef Q_OS_UNIX
    QFETCH(bool, hardLink);
    const QByteArray old = QByteArray(DefaultBytes).replace("\"6\"", "\"9\"");
    QVERIFY(writeFile(m_path, old));
    SetupData record = m_store->load().record;
    record.HeaderLine = SettingValue::fromText(QString(300, u'h'));
    const QString other = m_dir->filePath(QStringLiteral("shared.ini"));
    if (hardLink) {
        QVERIFY(::link(QFile::encodeName(m_path).constData(), QFile::encodeName(other).constData())
                == 0);
    } else if (!refuseNewFiles(m_dir->path(), true)) {
        QSKIP("cannot make the folder refuse new files here");
    }
    SaveResult result;
    {
        FileSizeLimit limit(100);
        result = m_store->save(record);
    }
    if (!hardLink)
        refuseNewFiles(m_dir->path(), false);

    QVERIFY(!result.saved);
    QVERIFY2(result.error.contains(m_path) && result.error.contains("File too large"),
             qPrintable(result.error));
    QCOMPARE(contentOf(m_path), old);
    if (hardLink) { // once the write fits, the link stays shared
        QVERIFY(m_store->save(record).saved);
        QCOMPARE(contentOf(other), serialize(record));
    }
#else
    QSKIP("needs a file size limit");
#endif
}

QTEST_APPLESS_MAIN(TestSettingsLoad)
#include "tst_settingsload.moc"
