#include "defaultbytes.h"
#include "settingsfile.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

#ifdef Q_OS_UNIX
#    include <csignal>
#    include <sys/resource.h>
#    include <sys/stat.h>
#    include <sys/sysmacros.h>
#    include <unistd.h>
#endif

using namespace SettingsFile;

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
    void saveReplacesWholeFile();
    void failedSaveKeepsOldFile();
    void failedDefaultWriteKeepsOldFile();

private:
    std::optional<QTemporaryDir> m_dir;
    QString m_path;
};

void TestSettingsLoad::init()
{
    // A fresh folder for each test row, so no row sees another's files.
    m_dir.emplace();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QString::fromLatin1(FileName));
}

void TestSettingsLoad::goodFileLoads()
{
    const QByteArray bytes = QByteArray(DefaultBytes).replace("151", "\"160\"");
    QVERIFY(writeFile(m_path, bytes));

    const LoadResult result = load(m_path);
    QCOMPARE(result.outcome, LoadOutcome::Loaded);
    QCOMPARE(result.record.LoadedAlarmTrack, SettingValue::fromText("160"));
    QCOMPARE(result.record.AlarmTrack, result.record.LoadedAlarmTrack);
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
}

void TestSettingsLoad::badFileIsReplaced()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, bytes);
    if (exists)
        QVERIFY(writeFile(m_path, bytes));

    const LoadResult result = load(m_path);
    QCOMPARE(result.outcome, LoadOutcome::DefaultsWritten);
    QCOMPARE(result.record, defaultRecord());
    QCOMPARE(contentOf(m_path), DefaultBytes);

    const std::optional<Selection> selection = selectionFor(result.record);
    QVERIFY(selection);
    QCOMPARE(selection->optionIndex, 2);
    QCOMPARE(selection->backGround, 1);
    QCOMPARE(selection->wakeUpScreen, 0);
    QCOMPARE(selection->announceHourly, false);
}

void TestSettingsLoad::unwritableDefaultsStayInMemory()
{
    // A folder in the file's place can be neither read nor replaced.
    QVERIFY(QDir().mkpath(m_path + QLatin1String("/inside")));

    const LoadResult result = load(m_path);
    QCOMPARE(result.outcome, LoadOutcome::DefaultsInMemory);
    QCOMPARE(result.record, defaultRecord());
    QVERIFY(QFileInfo(m_path + QLatin1String("/inside")).isDir());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
}

void TestSettingsLoad::hugeFileIsBounded()
{
    // Good items, then far more than the loader reads: the items still load.
    QVERIFY(writeFile(m_path, DefaultBytes + QByteArray(4 << 20, 'x')));
    QCOMPARE(load(m_path).outcome, LoadOutcome::Loaded);

    // An overlong item is cut and never misread as a number: this one is no port.
    QVERIFY(writeFile(m_path, QByteArray(18, '\n') + QByteArray(1 << 20, '7')));
    const LoadResult result = load(m_path);
    QCOMPARE(result.outcome, LoadOutcome::DefaultsWritten);
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

    const LoadResult result = load(m_path);
    QCOMPARE(result.outcome, LoadOutcome::Loaded);
    QCOMPARE(result.record.LoadedAlarmTrack, SettingValue::fromNumber(163));
    QCOMPARE(result.record.RemotePort, SettingValue::fromText("5000"));

    // The next save writes the file the panel's way: no mark, the comment as it was kept.
    QVERIFY(save(m_path, result.record));
    QVERIFY(!contentOf(m_path).startsWith("\xEF"));
    QCOMPARE(load(m_path).record, result.record);
}

void TestSettingsLoad::pipeIsNotRead()
{
#ifdef Q_OS_UNIX
    // Opening a pipe with no writer would block the panel's start for good.
    QVERIFY(mkfifo(QFile::encodeName(m_path).constData(), 0600) == 0);
    const LoadResult result = load(m_path);
    QCOMPARE(result.record, defaultRecord());
    QVERIFY(result.outcome != LoadOutcome::Loaded);
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
#ifdef Q_OS_UNIX
    QFETCH(QString, kind);
    const QString target = m_dir->filePath(QStringLiteral("target"));
    const QByteArray name = QFile::encodeName(target);
    if (kind == QLatin1String("pipe")) {
        QVERIFY(mkfifo(name.constData(), 0600) == 0);
    } else if (kind == QLatin1String("device")) {
        // A node of our own for root, whose mistake would replace it; others can't touch /dev.
        if (geteuid() == 0)
            QVERIFY(mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0);
        else
            QVERIFY(QFile::link(QStringLiteral("/dev/null"), target));
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(target));
    }
    QVERIFY(QFile::link(target, m_path));
    const QFileInfo before(target);

    const LoadResult result = load(m_path);
    QCOMPARE(result.outcome, LoadOutcome::DefaultsInMemory);
    QCOMPARE(result.record, defaultRecord());
    QVERIFY(!save(m_path, result.record));

    const QFileInfo after(target);
    QCOMPARE(after.exists(), before.exists());
    QCOMPARE(after.isFile(), false);
    QVERIFY(QFileInfo(m_path).isSymLink());
#else
    QSKIP("needs symbolic links, pipes and device nodes");
#endif
}

void TestSettingsLoad::linkToFileIsWrittenThrough()
{
    const QString target = m_dir->filePath(QStringLiteral("dotfiles.ini"));
    QVERIFY(writeFile(target, DefaultBytes));
    if (!QFile::link(target, m_path))
        QSKIP("no symbolic links here");

    SetupData record = load(m_path).record;
    record.BackGrounds = SettingValue::fromText("3");
    QVERIFY(save(m_path, record));
    QVERIFY(QFileInfo(m_path).isSymLink());
    QCOMPARE(contentOf(target), serialize(record));
}

void TestSettingsLoad::folderRefusingNewFilesSavesInPlace()
{
#ifdef Q_OS_UNIX
    QVERIFY(writeFile(m_path, DefaultBytes));
    SetupData record = load(m_path).record;
    record.WakeUpScreens = SettingValue::fromText("6");
    if (!refuseNewFiles(m_dir->path(), true))
        QSKIP("cannot make the folder refuse new files here");
    const bool saved = save(m_path, record);
    refuseNewFiles(m_dir->path(), false);
    QVERIFY(saved);
    QCOMPARE(contentOf(m_path), serialize(record));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 1);
#else
    QSKIP("needs folder permissions");
#endif
}

void TestSettingsLoad::saveReplacesWholeFile()
{
    QVERIFY(writeFile(m_path, QByteArray(5000, 'o')));
    SetupData record = defaultRecord();
    record.RemotePort = SettingValue::fromText("6000");

    QVERIFY(save(m_path, record));
    QCOMPARE(contentOf(m_path), QByteArray(DefaultBytes).replace("5000", "6000"));
    QCOMPARE(load(m_path).record, record);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 1);
}

void TestSettingsLoad::failedSaveKeepsOldFile()
{
    const QByteArray old = QByteArray(DefaultBytes).replace("\"6\"", "\"9\"");
    QVERIFY(writeFile(m_path, old));
    {
#ifdef Q_OS_UNIX
        FileSizeLimit limit(100);
        if (!limit.isActive())
            QSKIP("file size limit not available");
        QVERIFY(!save(m_path, defaultRecord()));
#else
        QSKIP("needs a file size limit");
#endif
    }
    QCOMPARE(contentOf(m_path), old);

    // A folder in the file's place: nothing to write over.
    const QString folder = m_dir->filePath(QLatin1String("folder"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(!save(folder, defaultRecord()));
    QVERIFY(QFileInfo(folder).isDir());
}

void TestSettingsLoad::failedDefaultWriteKeepsOldFile()
{
    const QByteArray bad = QByteArray(DefaultBytes).replace("151", "166");
    QVERIFY(writeFile(m_path, bad));
    LoadResult result;
    {
#ifdef Q_OS_UNIX
        FileSizeLimit limit(100);
        if (!limit.isActive())
            QSKIP("file size limit not available");
        result = load(m_path);
#else
        QSKIP("needs a file size limit");
#endif
    }
    QCOMPARE(result.outcome, LoadOutcome::DefaultsInMemory);
    QCOMPARE(result.record, defaultRecord());
    QCOMPARE(contentOf(m_path), bad);
}

QTEST_APPLESS_MAIN(TestSettingsLoad)
#include "tst_settingsload.moc"
