#include "common/fakelinksocket.h"
#include "common/fakeplatform.h"
#include "dawnbellwindow.h"
#include "deviceconstants.h"
#include "findclocksdialog.h"
#include "lampshape.h"
#include "linkstate.h"
#include "panel/panelrig.h"
#include "picturebox.h"
#include "settingsrecord.h"
#include "shutdownwatch.h"
#include "systemplatform.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QScopeGuard>
#include <QtCore/QTemporaryDir>
#include <QtGui/QContextMenuEvent>
#include <QtGui/QSessionManager>
#include <QtTest/QtTest>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>

// The window's start-up and shutdown, driven in-process with a stand-in socket and machine.
class tst_Lifecycle : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startUpConnectsTwiceOnTheSavedEndpoint();
    void endDuringFirstWaitLeavesFileUntouched();
    void portThatIsNoPortStopsBeforeSecondConnection_data();
    void portThatIsNoPortStopsBeforeSecondConnection();
    void missingFileIsReplacedByDefaults();
    void startNoticesShowOnceTheWindowIsUp_data();
    void startNoticesShowOnceTheWindowIsUp();
    void saveAndExitStoresEditedEndpoint();
    void saveAndExitTakesOnlyAUsableEndpoint_data();
    void saveAndExitTakesOnlyAUsableEndpoint();
    void closingWindowSavesLoadedEndpoint();
    void shutdownRunsOnce();
    void refusedStartWritesNothing_data();
    void refusedStartWritesNothing();
    void unwritableSettingsAreToldAndTheProgramEnds_data();
    void unwritableSettingsAreToldAndTheProgramEnds();
    void logoOpensWebSiteAndChangesNothing();
    void clockLabelsFollowThePlatformClock();
    void singleCopyLockIgnoresUserVariables();
    void singleCopyLockStaysInAPrivateFolder_data();
    void singleCopyLockStaysInAPrivateFolder();
    void singleCopyLockFailureTellsWhy();
    void singleCopyLockTakesOverWhatNoCopyHere_data();
    void singleCopyLockTakesOverWhatNoCopyHere();
    void endOfSessionSavesAndEnds();

private:
    void writeSettings(const QByteArray &port, const QByteArray &host = "\"127.0.0.1\"");
    QByteArray settingsBytes() const;
    QString settingsPath() const { return m_dir->filePath(QStringLiteral("setupdata.ini")); }
    const WindowControls &controls() const { return m_window->form().controls(); }
    void makeWindow();
    bool startAndWait();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeLinkSocket> m_socket;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<DawnbellWindow> m_window;
};

void tst_Lifecycle::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_socket = std::make_unique<FakeLinkSocket>();
    m_socket->connectSucceeds = true; // the device answers unless a test says otherwise
    m_platform = std::make_unique<FakePlatform>();
}

void tst_Lifecycle::cleanup()
{
    m_window.reset();
    m_socket.reset();
    m_platform.reset();
    m_dir.reset();
}

void tst_Lifecycle::makeWindow()
{
    m_window = std::make_unique<DawnbellWindow>(*m_socket, *m_platform, settingsPath());
}

// Starts the window and runs the event loop until its start-up has ended.
bool tst_Lifecycle::startAndWait()
{
    QSignalSpy ended(m_window.get(), &DawnbellWindow::startUpEnded);
    return m_window->start() && (!ended.isEmpty() || ended.wait(4 * Device::ConnectWaitMs));
}

void tst_Lifecycle::writeSettings(const QByteArray &port, const QByteArray &host)
{
    QByteArray bytes = Settings::defaultFileBytes();
    QList<QByteArray> lines = bytes.split('\n');
    lines[16] = host + '\r';
    lines[18] = port + '\r';
    QFile file(settingsPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(lines.join('\n'));
}

QByteArray tst_Lifecycle::settingsBytes() const
{
    QFile file(settingsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void tst_Lifecycle::startUpConnectsTwiceOnTheSavedEndpoint()
{
    // The file appears while the first attempt waits: only a load after that wait sees it.
    // That attempt fails, and the built-in endpoint's module is none of the user's to ask.
    m_socket->connectSucceeds = false;
    makeWindow();
    bool askedBuiltInModule = true;
    connect(
            &m_window->link(), &DeviceLink::connectionWaitEnded, this,
            [&] { askedBuiltInModule = m_window->lamp().isAskingModule(); },
            Qt::SingleShotConnection);
    QTimer::singleShot(0, this, [this] {
        writeSettings("\"6001\"", "\"127.0.0.2\"");
        m_socket->connectSucceeds = true;
    });

    QVERIFY(startAndWait());

    // First the built-in endpoint, then the saved one.
    QCOMPARE(m_socket->endpoints,
             QStringList({QStringLiteral("127.0.0.1:5000"), QStringLiteral("127.0.0.2:6001")}));
    QCOMPARE(m_socket->remotePort(), quint16(6001));
    QCOMPARE(m_socket->remoteHost(), QStringLiteral("127.0.0.2"));
    QCOMPARE(m_socket->state(), LinkState::Connected);
    QCOMPARE(controls().linkLamp->fillColour(), LampColour::Green);
    QCOMPARE(controls().linkLamp->toolTip(), QStringLiteral("Connected to 127.0.0.2:6001"));
    // The lamp has a menu of its own that offers the search for clocks.
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(1, 1), QPoint(1, 1));
    QApplication::sendEvent(controls().linkLamp, &rightClick);
    const auto *menu = m_window->findChild<QMenu *>();
    QVERIFY(menu && menu->actions().constLast()->text() == FindClocksDialog::menuText());
    QCOMPARE(controls().portEdit->text(), QStringLiteral("6001"));
    QVERIFY(!controls().dateLabel->text().isEmpty());
    QVERIFY(m_socket->written.isEmpty()); // loading never talks to the device
    QVERIFY(!askedBuiltInModule);
}

void tst_Lifecycle::endDuringFirstWaitLeavesFileUntouched()
{
    // A missing file would be written by any load or save.
    m_socket->connectSucceeds = false;
    makeWindow();
    QSignalSpy waitEnded(&m_window->link(), &DeviceLink::connectionWaitEnded);
    QTimer::singleShot(0, this, [this] {
        m_window->shutDown(DawnbellWindow::WayOut::EndRequested, QStringLiteral("test"));
    });

    QVERIFY(m_window->start());
    QVERIFY(waitEnded.wait(4 * Device::ConnectWaitMs)); // nothing may follow the wait

    QCOMPARE(m_platform->endProcessCalls, 1);
    QCOMPARE(m_socket->connectCalls, 1);
    QVERIFY(!QFile::exists(settingsPath()));
}

void tst_Lifecycle::portThatIsNoPortStopsBeforeSecondConnection_data()
{
    QTest::addColumn<QByteArray>("port");
    QTest::newRow("letters") << QByteArray("\"abc\"");
    QTest::newRow("zero") << QByteArray("0");
    QTest::newRow("too large") << QByteArray("65536");
    QTest::newRow("fraction") << QByteArray("5000.5");
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("letter O") << QByteArray("\"50O1\"");
    QTest::newRow("negative") << QByteArray("-5001");
}

void tst_Lifecycle::portThatIsNoPortStopsBeforeSecondConnection()
{
    QFETCH(QByteArray, port);
    writeSettings(port);
    makeWindow();

    QVERIFY(startAndWait());

    QCOMPARE(m_socket->connectCalls, 1);
    QCOMPARE(m_socket->state(), LinkState::Closed);
    QCOMPARE(m_socket->remotePort(), quint16(5000));
    QCOMPARE(controls().linkLamp->fillColour(), LampColour::Green);
    // Once the window is up the user hears which value was passed over.
    QTRY_COMPARE(m_platform->messages.size(), 1);
    QVERIFY(m_platform->messages.first().second.contains(
            "port \"" + QString::fromLatin1(port).remove(u'"') + "\" is not"));
}

void tst_Lifecycle::missingFileIsReplacedByDefaults()
{
    makeWindow();
    QVERIFY(startAndWait());

    QCOMPARE(settingsBytes(), Settings::defaultFileBytes());
    QCOMPARE(controls().alarmHourEdit->text(), QStringLiteral("6"));
    QCOMPARE(controls().alarmMinuteEdit->text(), QStringLiteral("30"));
    QCOMPARE(controls().alarmAmPmEdit->text(), QStringLiteral("AM"));
    QVERIFY(controls().trackButtons[1]->isChecked());
    QVERIFY(controls().schemeBoxes[0]->isChecked());
    QVERIFY(!controls().screenBoxes[0]->isChecked());
    QVERIFY(!controls().announceBox->isChecked());
}

void tst_Lifecycle::startNoticesShowOnceTheWindowIsUp_data()
{
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<QString>("toldBeforeStart");
    QTest::addColumn<QString>("told"); // a pattern for the one message
    QTest::newRow("host not UTF-8") << QByteArray("\"b\xFC.lan\"") << QString()
                                    << "setupdata.ini line 17: the remote host .*kept as "
                                       ".*setupdata.ini.bak";
    QTest::newRow("empty host") << QByteArray("") << QString()
                                << "host \"\" is blank.*connects to 127.0.0.1:5000";
    QTest::newRow("blank host") << QByteArray("\"  \"") << QString()
                                << "host \"  \" is blank.*connects to 127.0.0.1:5000";
    QTest::newRow("told before the start") << QByteArray("\"127.0.0.1\"") << "cannot be saved"
                                           << "cannot be saved";
}

void tst_Lifecycle::startNoticesShowOnceTheWindowIsUp()
{
    QFETCH(QByteArray, host);
    QFETCH(QString, toldBeforeStart);
    QFETCH(QString, told);
    writeSettings("\"5000\"", host);
    makeWindow();
    if (!toldBeforeStart.isEmpty())
        m_window->tellOnceStarted(toldBeforeStart);

    QVERIFY(startAndWait());
    QVERIFY(m_platform->messages.isEmpty()); // not before the window is up
    QTRY_COMPARE(m_platform->messages.size(), 1);
    const QString message = m_platform->messages.first().second;
    QVERIFY2(message.contains(
                     QRegularExpression(told, QRegularExpression::DotMatchesEverythingOption)),
             qPrintable(message));
}

void tst_Lifecycle::saveAndExitStoresEditedEndpoint()
{
    writeSettings("\"5000\"");
    makeWindow();
    QVERIFY(startAndWait());
    auto *saveExit = controls().saveAndExitButton;
    QVERIFY(!saveExit->isEnabled());

    PanelRig::paste(controls().portEdit, QStringLiteral("6001"));
    QVERIFY(saveExit->isEnabled());
    // The host box drops what no host holds; a name is saved in its ASCII form.
    PanelRig::paste(controls().hostEdit, QStringLiteral("bü"));
    QTest::keyClicks(controls().hostEdit, " .lan/");
    saveExit->click();

    QCOMPARE(m_platform->endProcessCalls, 1);
    const QList<QByteArray> lines = settingsBytes().split('\n');
    QCOMPARE(lines.value(18), QByteArray("\"6001\"\r"));
    QCOMPARE(lines.value(16), QByteArray("\"xn--b-eha.lan\"\r"));
    QVERIFY(!m_window->isVisible());
}

void tst_Lifecycle::saveAndExitTakesOnlyAUsableEndpoint_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QByteArray>("savedPort"); // empty: refused, and the window stays
    auto row = [](const char *name, const char *host, const char *port, const char *saved) {
        QTest::newRow(name) << QString::fromUtf8(host) << QString::fromUtf8(port)
                            << QByteArray(saved);
    };
    row("no port taken", "127.0.0.2", "ab-99999x0", "\"5000\"");
    row("highest port", "127.0.0.2", "65535", "\"65535\"");
    row("port 0", "127.0.0.1", "0", "");
    row("no port", "127.0.0.1", "", "");
    row("no host", "", "6001", "");
}

void tst_Lifecycle::saveAndExitTakesOnlyAUsableEndpoint()
{
    QFETCH(QString, host);
    QFETCH(QString, port);
    QFETCH(QByteArray, savedPort);
    writeSettings("\"5000\"");
    makeWindow();
    QVERIFY(startAndWait());
    PanelRig::paste(controls().hostEdit, host);
    PanelRig::paste(controls().portEdit, port);
    controls().saveAndExitButton->click();

    const bool refused = savedPort.isEmpty();
    QCOMPARE(m_platform->messageKinds.count(MessageKind::Warning), refused ? 1 : 0);
    QCOMPARE(m_platform->endProcessCalls, refused ? 0 : 1);
    QCOMPARE(settingsBytes().split('\n').value(18), (refused ? "\"5000\"" : savedPort) + '\r');
}

void tst_Lifecycle::closingWindowSavesLoadedEndpoint()
{
    writeSettings("\"5000\"", "\"xn--b-eha\"");
    makeWindow();
    QVERIFY(startAndWait());
    m_window->show();
    QCOMPARE(controls().hostEdit->text(), QStringLiteral("bü")); // a name in its own script
    QCOMPARE(controls().linkLamp->toolTip(), QStringLiteral("Connected to bü:5000"));

    PanelRig::paste(controls().hostEdit, QStringLiteral("127.0.0.9"));
    PanelRig::paste(controls().portEdit, QStringLiteral("6001"));
    m_window->close();

    QCOMPARE(m_platform->endProcessCalls, 1);
    QCOMPARE(m_socket->state(), LinkState::Closed);
    const QList<QByteArray> lines = settingsBytes().split('\n');
    QCOMPARE(lines.value(16), QByteArray("\"xn--b-eha\"\r"));
    QCOMPARE(lines.value(18), QByteArray("\"5000\"\r"));
}

void tst_Lifecycle::shutdownRunsOnce()
{
    writeSettings("\"5000\"");
    makeWindow();
    QVERIFY(startAndWait());
    m_window->show();

    PanelRig::paste(controls().portEdit, QStringLiteral("6001"));
    controls().saveAndExitButton->click(); // closes the window, which must not save again
    m_window->shutDown(DawnbellWindow::WayOut::ApplicationQuit);

    QCOMPARE(m_platform->endProcessCalls, 1);
    QCOMPARE(settingsBytes().split('\n').value(18), QByteArray("\"6001\"\r"));
}

void tst_Lifecycle::refusedStartWritesNothing_data()
{
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("message");
    QTest::addColumn<MessageKind>("kind"); // its icon
    QTest::newRow("another copy runs")
            << int(SingleCopyClaim::Outcome::HeldByOtherCopy)
            << QStringLiteral("Dawnbell App already running.....") << MessageKind::Information;
    QTest::newRow("lock cannot be taken")
            << int(SingleCopyClaim::Outcome::Failed)
            << QStringLiteral("Dawnbell cannot make sure that only one copy runs: the reason")
            << MessageKind::Critical;
}

void tst_Lifecycle::refusedStartWritesNothing()
{
    QFETCH(int, outcome);
    QFETCH(QString, message);
    QFETCH(MessageKind, kind);
    const int exitStatus = outcome == int(SingleCopyClaim::Outcome::Failed) ? 1 : 0;
    writeSettings("\"6001\"");
    const QByteArray before = settingsBytes();
    m_platform->claim = {SingleCopyClaim::Outcome(outcome), QStringLiteral("the reason")};
    if (exitStatus != 0) // a failure is told on stderr too
        QTest::ignoreMessage(QtWarningMsg, qPrintable(message));
    makeWindow();

    QVERIFY(!m_window->start());

    QCOMPARE(m_platform->messages.size(), 1);
    QCOMPARE(m_platform->messages.first().first, QStringLiteral("Dawnbell"));
    QCOMPARE(m_platform->messages.first().second, message);
    QVERIFY(m_platform->messageKinds == QList<MessageKind>{kind});
    QCOMPARE(m_window->exitStatus(), exitStatus);
    QCOMPARE(m_platform->endProcessCalls, 1);
    QCOMPARE(m_socket->connectCalls, 0);
    QCOMPARE(settingsBytes(), before);
}

void tst_Lifecycle::unwritableSettingsAreToldAndTheProgramEnds_data()
{
    QTest::addColumn<QString>("wayOut"); // the two from the window are told in a message
    QTest::newRow("window closed") << QStringLiteral("close");
    QTest::newRow("save and exit") << QStringLiteral("save and exit");
    QTest::newRow("end request") << QStringLiteral("request");
}

void tst_Lifecycle::unwritableSettingsAreToldAndTheProgramEnds()
{
    QFETCH(QString, wayOut);
    const bool told = wayOut != u"request";
    makeWindow();
    QVERIFY(startAndWait());
    m_window->show();
    // Where the file was, a folder now stands: the save fails, the program still ends.
    QVERIFY(QFile::remove(settingsPath()));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("setupdata.ini")));
    const QString shownPath = QDir::toNativeSeparators(settingsPath());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(shownPath)));

    if (wayOut == u"close") {
        m_window->close();
    } else if (wayOut == u"save and exit") {
        PanelRig::paste(controls().portEdit, QStringLiteral("6001"));
        controls().saveAndExitButton->click();
    } else {
        m_window->shutDown(DawnbellWindow::WayOut::EndRequested, QStringLiteral("test"));
    }

    QCOMPARE(m_platform->endProcessCalls, 1);
    QVERIFY(QFileInfo(settingsPath()).isDir());
    QCOMPARE(m_platform->messages.size(), told ? 1 : 0);
    if (told) // naming the file
        QVERIFY(m_platform->messages.first().second.contains(shownPath));
}

void tst_Lifecycle::logoOpensWebSiteAndChangesNothing()
{
    writeSettings("\"5000\"");
    makeWindow();
    QVERIFY(startAndWait());
    m_platform->urlOpens = false;

    emit controls().logoPicture->clicked();

    QCOMPARE(m_platform->openedUrls, QList<QUrl>{QUrl(DawnbellWindow::MakerWebSite)});
    QCOMPARE(m_platform->endProcessCalls, 0);
    QVERIFY(m_socket->written.isEmpty());
}

void tst_Lifecycle::clockLabelsFollowThePlatformClock()
{
    m_platform->current = QDateTime(QDate(2018, 1, 1), QTime(23, 59, 59));
    makeWindow();
    m_window->clock().show();
    QCOMPARE(controls().dateLabel->text(), QStringLiteral("Monday,  Jan 01, 2018"));

    // The next tick after midnight shows the new day.
    m_platform->current = QDateTime(QDate(2018, 1, 2), QTime(0, 0, 0));
    QTRY_COMPARE_WITH_TIMEOUT(controls().dateLabel->text(),
                              QStringLiteral("Tuesday,  Jan 02, 2018"), 3000);
}

void tst_Lifecycle::singleCopyLockIgnoresUserVariables()
{
    // One panel per account: names the user can change or unset must not make a second lock.
    const QString lock = SystemPlatform::lockFilePath();
    const QByteArray user = qgetenv("USER");
    qputenv("USER", "someone-else");
    qputenv("USERNAME", "someone-else");
    QCOMPARE(SystemPlatform::lockFilePath(), lock);
    qunsetenv("USER");
    qunsetenv("USERNAME");
    QCOMPARE(SystemPlatform::lockFilePath(), lock);
    qputenv("USER", user);
}

namespace {

const QFileDevice::Permissions OwnerOnly(0x7700); // read, write and enter for the owner only

// Windows keeps the lock in the account's local application-data folder, which stays on this PC
// (tst_windowsplatform checks it there).
[[maybe_unused]] const char WindowsLockFolder[]
        = "XDG folders and Unix modes: Windows keeps the lock in the account's local "
          "application-data folder";

// Points every variable the lock's place depends on into the test's folder until the guard ends.
[[nodiscard]] auto lockEnvironment(const QString &home)
{
    static const char *const names[] = {"HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"};
    const QByteArrayList saved{qgetenv(names[0]), qgetenv(names[1]), qgetenv(names[2])};
    auto restore = qScopeGuard([saved, folder = QDir::currentPath()] {
        QDir::setCurrent(folder);
        for (int i = 0; i < saved.size(); ++i)
            qputenv(names[i], saved.at(i));
    });
    qputenv("HOME", QFile::encodeName(home));
    qunsetenv("XDG_CACHE_HOME");
    qunsetenv("XDG_RUNTIME_DIR");
    QDir::setCurrent(home); // where a relative path would lead
    return restore;
}

} // namespace

void tst_Lifecycle::singleCopyLockStaysInAPrivateFolder_data()
{
    QTest::addColumn<QByteArray>("runtime"); // under the test's folder when it starts with "/"
    QTest::addColumn<bool>("othersMayWrite");
    QTest::addColumn<QString>("expectedFolder");

    QTest::newRow("private runtime folder") << QByteArray("/runtime") << false << "runtime";
    QTest::newRow("no runtime folder") << QByteArray() << false << ".cache/dawnbell";
    QTest::newRow("relative runtime folder") << QByteArray("runtime") << false << ".cache/dawnbell";
    QTest::newRow("runtime folder others can write")
            << QByteArray("/runtime") << true << ".cache/dawnbell";
}

void tst_Lifecycle::singleCopyLockStaysInAPrivateFolder()
{
#ifdef Q_OS_WIN
    QSKIP(WindowsLockFolder);
#endif
    QFETCH(QByteArray, runtime);
    QFETCH(bool, othersMayWrite);
    QFETCH(QString, expectedFolder);
    const QDir home(m_dir->path());
    const auto environment = lockEnvironment(home.path());
    QVERIFY(home.mkdir(QStringLiteral("runtime")));
    QVERIFY(QFile::setPermissions(home.filePath(QStringLiteral("runtime")),
                                  othersMayWrite ? OwnerOnly | QFileDevice::WriteGroup
                                                 : OwnerOnly));
    if (!runtime.isEmpty()) {
        qputenv("XDG_RUNTIME_DIR",
                runtime.startsWith('/') ? QFile::encodeName(home.path()) + runtime : runtime);
    }

    QString failure;
    const QString lock = SystemPlatform::lockFilePath(&failure);

    QCOMPARE(failure, QString());
    const QFileInfo folder(QFileInfo(lock).absolutePath());
    QCOMPARE(folder.filePath(), home.filePath(expectedFolder));
    QCOMPARE(folder.permissions() & ~OwnerOnly, QFileDevice::Permissions());
}

void tst_Lifecycle::singleCopyLockFailureTellsWhy()
{
    const auto environment = lockEnvironment(m_dir->path());
    const QString lockPath = SystemPlatform::lockFilePath();
    // A folder where the lock file goes is no running copy: the failure names the place. (On
    // Windows the place is the account's own, where a panel that was killed left its lock.)
    QFile::remove(lockPath);
    QVERIFY(QDir().mkdir(lockPath));
    const SingleCopyClaim claim = SystemPlatform().claimSingleCopy();
    QCOMPARE(claim.outcome, SingleCopyClaim::Outcome::Failed);
    QVERIFY2(claim.failure.contains(QDir::toNativeSeparators(lockPath)), qPrintable(claim.failure));
    QVERIFY(QDir().rmdir(lockPath));

#ifdef Q_OS_WIN
    QSKIP(WindowsLockFolder);
#endif
    // A folder for the lock that others can write is refused, with the reason.
    QVERIFY(QFile::setPermissions(QFileInfo(lockPath).path(), OwnerOnly | QFileDevice::WriteOther));
    QString failure;
    QCOMPARE(SystemPlatform::lockFilePath(&failure), QString());
    QVERIFY2(failure.contains(QStringLiteral("other accounts")), qPrintable(failure));
}

void tst_Lifecycle::singleCopyLockTakesOverWhatNoCopyHere_data()
{
    QTest::addColumn<bool>("inRuntimeFolder"); // else in the cache folder, which a home shares
    QTest::addColumn<QByteArray>("lockBytes");
    QTest::addColumn<int>("outcome");

    using Outcome = SingleCopyClaim::Outcome;
    const QByteArray elsewhere = "4242\ndawnbell\nelsewhere\nanother-machine-id\nboot\n";
    QTest::newRow("empty, a power cut during the write")
            << true << QByteArray() << int(Outcome::Taken);
    QTest::newRow("garbage") << false << QByteArray("\x01\xff\n") << int(Outcome::Taken);
    QTest::newRow("another machine's, runtime folder") << true << elsewhere << int(Outcome::Taken);
    QTest::newRow("another machine's, cache folder") << false << elsewhere << int(Outcome::Failed);
}

void tst_Lifecycle::singleCopyLockTakesOverWhatNoCopyHere()
{
    QFETCH(bool, inRuntimeFolder);
    QFETCH(QByteArray, lockBytes);
    QFETCH(int, outcome);
#ifdef Q_OS_WIN
    // There the lock's folder is this PC's alone, as the runtime folder is.
    if (!inRuntimeFolder)
        QSKIP(WindowsLockFolder);
#endif
    const QDir home(m_dir->path());
    const auto environment = lockEnvironment(home.path());
    if (inRuntimeFolder) {
        QVERIFY(home.mkdir(QStringLiteral("runtime")));
        QVERIFY(QFile::setPermissions(home.filePath(QStringLiteral("runtime")), OwnerOnly));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.filePath(QStringLiteral("runtime"))));
    }
    const QString lockPath = SystemPlatform::lockFilePath();
    QFile lock(lockPath);
    QVERIFY(lock.open(QIODevice::WriteOnly) && lock.write(lockBytes) == lockBytes.size());
    lock.close();

    const SingleCopyClaim claim = SystemPlatform().claimSingleCopy();

    QCOMPARE(int(claim.outcome), outcome);
    QVERIFY2(outcome != int(SingleCopyClaim::Outcome::Failed) // naming the holder and the file
                     || (claim.failure.contains("process 4242 on the machine \"elsewhere\"")
                         && claim.failure.contains(lockPath)),
             qPrintable(claim.failure));
}

void tst_Lifecycle::endOfSessionSavesAndEnds()
{
    makeWindow();
    QVERIFY(startAndWait());
    controls().schemeBoxes[2]->click(); // a choice to save
    ShutdownWatch watch;
    connect(&watch, &ShutdownWatch::endRequested, m_window.get(), [this](const QString &why) {
        m_window->shutDown(DawnbellWindow::WayOut::EndRequested, why);
    });
    auto *sessionManager = qApp->findChild<QSessionManager *>();
    QVERIFY(sessionManager);

    emit qApp->commitDataRequest(*sessionManager);

    QCOMPARE(m_platform->endProcessCalls, 1);
    QCOMPARE(settingsBytes().split('\n').value(10), QByteArray("3\r"));
}

QTEST_MAIN(tst_Lifecycle)
#include "tst_lifecycle.moc"
