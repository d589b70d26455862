#include "defaultbytes.h"
#include "settings/settingsfile.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

#ifdef Q_OS_UNIX
#    include <csignal>
#    include <sys/resource.h>
#    include <sys/stat.h>
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
    void pipeIsNotRead();
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

    // Item 19 cut by the bound does not count, even though the head ends in its middle.
    QVERIFY(writeFile(m_path, QByteArray(18, '\n') + QByteArray(1 << 20, '7')));
    const LoadResult result = load(m_path);
    QCOMPARE(result.outcome, LoadOutcome::DefaultsWritten);
    QCOMPARE(contentOf(m_path), DefaultBytes);
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
