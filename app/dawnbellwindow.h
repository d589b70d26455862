#pragma once

#include "clockformat.h"
#include "clocksettings.h"
#include "controlpanel.h"
#include "devicelink.h"
#include "form.h"
#include "linkstate.h"
#include "modulefinder.h"
#include "settingsstore.h"

#include <QtWidgets/QWidget>

class FindClocksDialog;
class LinkSocket;
class NetworkClockSearch;
class QLineEdit;
class QLabel;
class Platform;
struct SingleCopyClaim;

// The panel's one window: its start-up sequence, clock display and both ways of leaving.
class DawnbellWindow : public QWidget
{
    Q_OBJECT

public:
    static inline const QString Title = QStringLiteral("Dawnbell");
    static inline const QString AlreadyRunningText
            = QStringLiteral("Dawnbell App already running.....");
    // Shown when the user ends the panel and the settings cannot be saved; %1 names the file
    // and the reason.
    static inline const QString SaveFailedText
            = QStringLiteral("The settings could not be saved, so this session's choices are "
                             "lost.\n\n%1");
    // Shown once the window is up when the settings file was there but could not be used; %1
    // names the file, the line and why, %2 where the old file is.
    static inline const QString UnusedSettingsText
            = QStringLiteral("The settings file could not be used, so Dawnbell runs on the "
                             "default settings.\n\n%1.\n\n%2");
    static inline const QString KeptAsText = QStringLiteral("The old file was kept as %1.");
    static inline const QString LeftAsItWasText = QStringLiteral("The file was left as it was.");
    static inline const QString CannotStartText
            = QStringLiteral("Dawnbell cannot make sure that only one copy runs: %1");
    static inline const QString MakerWebSite = QStringLiteral("https://www.dawnbell.example/");
    // The lamp's state in words, in its tooltip and accessible name.
    static inline const QString LampConnectedText = QStringLiteral("Connected to %1");
    static inline const QString LampNotConnectedText = QStringLiteral("Not connected: %1");
    static inline const QString LampDroppedText = QStringLiteral("“%1” (%2) was not sent: %3");

    DawnbellWindow(LinkSocket &socket, Platform &platform, const QString &settingsPath,
                   QWidget *parent = nullptr);

    // Begins the start-up and returns at once; the rest runs from the event loop, one step
    // per connection wait, and ends with startUpEnded. False when this copy must end at
    // once: another copy runs, or the single-copy lock cannot be taken.
    bool start();
    // Tells the user in a message once the start-up has ended and the window is up, so that
    // the message does not hold up the start.
    void tellOnceStarted(const QString &text);
    // The process's exit status once this copy ends: 0, or 1 when it could not start.
    int exitStatus() const { return m_exitStatus; }

    void showClock();
    void loadSettings();
    // Empty when the settings were saved or nothing was loaded to save; else what failed.
    QString saveSettings();
    void onSaveAndExitClicked();
    void openMakerWebSite();
    // The shutdown procedure shared by every way out: saves, closes the link and the window,
    // and ends the program. Runs once; later calls do nothing. A failed save is logged; the
    // window's own ways out show it too.
    void shutDown();

    // Every way out besides the window's own: logs why, then runs the shutdown procedure.
    void endOnRequest(const QString &why);
    // For a process ending under the panel (the display gone): saves what closing the
    // window would have saved, and nothing else, as the toolkit may no longer work.
    void saveBeforeAbruptEnd();

    const Form &form() const { return m_form; }
    const ClockSettings &clockSettings() const { return m_clockSettings; }
    ClockSettings &clockSettings() { return m_clockSettings; }
    ControlPanel &panel() { return m_panel; }
    DeviceLink &link() { return m_link; }

signals:
    // The start-up has ended, as far as it got: the window is ready to be shown.
    void startUpEnded();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void refuseToStart(const SingleCopyClaim &claim);
    // The start-up's steps after the first one, each run when a connection wait has ended.
    void loadAndReconnect();
    void finishStartUp();
    void showStartNotices();
    void connectThen(void (DawnbellWindow::*nextStep)());
    // How a failed save at the end is told: on standard error only, or in a message as well
    // when the user ended the panel from its window.
    enum class SaveFailureNotice { Logged, Shown };
    void endProgram(SaveFailureNotice notice);
    // The first step of every way out, taken once: stops the clock and saves the settings.
    // False when a way out has already taken it.
    bool beginShutdown(SaveFailureNotice notice);
    void tellSaveFailed(const QString &failure, SaveFailureNotice notice);
    bool applyEndpoint();
    // The controls show the settings and the panel's reports, and hand the user's actions on.
    void bindControls();
    void bindSettings();
    void showSettings();
    void showAlarm();
    void showAlarmTrack(int track);
    void showEndpoint();
    // Why the endpoint cannot be used, in words for the user.
    QString endpointProblems(const Settings::Endpoint &endpoint) const;
    void showAlarmEntrySent(bool sent);
    // After the start-up the lamp follows the link: red as soon as a command is dropped or the
    // link goes down, green when it comes up again.
    void bindLamp();
    void showLinkState(LinkState state);
    void showCommandDropped(const QByteArray &command, DeviceLink::DropReason reason);
    void showLamp(const QColor &colour, const QString &words);
    // After a failed connection the module is asked about itself on its command port, and
    // what it says (or that nothing answered) follows the lamp's words.
    void explainFailure();
    void addModuleAccount(const QString &account);
    // The endpoint boxes' context menu offers the search for clocks.
    void showEndpointMenu(QLineEdit *box, const QPoint &position);
    void openFindClocks();
    void useFoundClock(const QString &host, quint16 port);
    QString endpointText() const;

    Platform &m_platform;
    SettingsStore m_settings;
    Form m_form;
    DeviceLink m_link;
    ClockSettings m_clockSettings;
    const WindowControls &m_controls;
    ControlPanel m_panel;
    QLabel *m_dateLabel = nullptr;
    QLabel *m_timeLabel = nullptr;
    ClockTicker m_clockTicker;
    bool m_settingsLoaded = false;
    QStringList m_startNotices;
    bool m_lampFollowsLink = false;
    QString m_lampWords;
    ModuleFinder m_lampProbe;
    NetworkClockSearch *m_clockSearch = nullptr;
    FindClocksDialog *m_findClocks = nullptr;
    bool m_shuttingDown = false;
    int m_exitStatus = 0;
};
