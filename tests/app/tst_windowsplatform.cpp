#include "shutdownwatch.h"
#include "systemplatform.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtTest/QtTest>

#include <shlobj.h>
#include <windows.h>

// What the panel asks of Windows itself: console events that end it, and the single-copy
// lock. Built for Windows only.
class tst_WindowsPlatform : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void consoleEventsEndThePanel_data();
    void consoleEventsEndThePanel();
    void lockAdmitsOneCopyAndOutlivesNoProcess();
};

void tst_WindowsPlatform::initTestCase()
{
    // The events need a console, as the panel has when it is started from one. A test
    // started from a pipe may have none; one that has a console keeps it (AllocConsole
    // then fails, harmlessly).
    AllocConsole();
    // A process created in a new process group starts with Ctrl+C ignored.
    QVERIFY(SetConsoleCtrlHandler(nullptr, FALSE));
}

void tst_WindowsPlatform::consoleEventsEndThePanel_data()
{
    QTest::addColumn<int>("event");
    QTest::addColumn<QString>("why");
    QTest::newRow("Ctrl+C") << int(CTRL_C_EVENT) << QStringLiteral("Ctrl+C");
    QTest::newRow("Ctrl+Break") << int(CTRL_BREAK_EVENT) << QStringLiteral("Ctrl+Break");
}

void tst_WindowsPlatform::consoleEventsEndThePanel()
{
    QFETCH(int, event);
    QFETCH(QString, why);
    ShutdownWatch watch;
    QSignalSpy ended(&watch, &ShutdownWatch::endRequested);
    if (!GenerateConsoleCtrlEvent(DWORD(event), 0))
        QSKIP("no console to send the event to (Wine without a terminal has none)");
    // Delivered on the event loop, not on the system's handler thread.
    QVERIFY(ended.wait(10000));
    QCOMPARE(ended.count(), 1);
    QCOMPARE(ended.first().first().toString(), why);
}

void tst_WindowsPlatform::lockAdmitsOneCopyAndOutlivesNoProcess()
{
    // In the account's local application-data folder: its own, and not carried to other PCs.
    const QString path = SystemPlatform::lockFilePath(nullptr);
    PWSTR local = nullptr;
    QVERIFY(SUCCEEDED(
            SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &local)));
    const QString localFolder = QDir::fromNativeSeparators(QString::fromWCharArray(local));
    CoTaskMemFree(local);
    QCOMPARE(QFileInfo(path).absolutePath(), localFolder);
    using Outcome = SingleCopyClaim::Outcome;
    {
        SystemPlatform first;
        QCOMPARE(first.claimSingleCopy().outcome, Outcome::Taken);
        SystemPlatform second;
        QCOMPARE(second.claimSingleCopy().outcome, Outcome::HeldByOtherCopy);
    }
    // A lock left by a copy that was killed names a process that no longer runs (process ids
    // on Windows are multiples of 4) on this machine (no host name counts as this one).
    QFile stale(path);
    QVERIFY(stale.open(QIODevice::WriteOnly));
    QVERIFY(stale.write("999999\ndawnbell.exe\n\n") > 0);
    stale.close();
    SystemPlatform next;
    QCOMPARE(next.claimSingleCopy().outcome, Outcome::Taken);
}

QTEST_MAIN(tst_WindowsPlatform)
#include "tst_windowsplatform.moc"
