#pragma once

#include "clockdisplay.h"
#include "clocksettings.h"
#include "controlpanel.h"
#include "devicelink.h"
#include "form.h"
#include "linklamp.h"
#include "settingsstore.h"
#include "startnotices.h"

#include <QtWidgets/QWidget>

class AppPlatform;
class LinkSocket;
struct SingleCopyClaim;

// The panel's one window: its start-up sequence and clock display, the wiring of its
// controls to the panel and of the lamp to its presenter, and the shutdown every way out
// of the program takes.
class DawnbellWindow : public QWidget
{
    Q_OBJECT

public:
    static inline const QString Title = QStringLiteral("Dawnbell");
    // The window's messages, made when shown so that they follow the translation loaded then.
    static QString alreadyRunningText() { return tr("Dawnbell App already running....."); }
    // Shown when the user ends the panel and the settings cannot be saved; %1 names the file
    // and the reason.
    static QString saveFailedText()
    {
        return tr("The settings could not be saved, so this session's choices are lost.\n\n%1");
    }
    // Shown once the window is up when the settings file was there but could not be used; %1
    // names the file, the line and why, %2 where the old file is.
    static QString unusedSettingsText()
    {
        return tr("The settings file could not be used, so Dawnbell runs on the default "
                  "settings.\n\n%1.\n\n%2");
    }
    static QString keptAsText() { return tr("The old file was kept as %1."); }
    static QString leftAsItWasText() { return tr("The file was left as it was."); }
    static QString cannotStartText()
    {
        return tr("Dawnbell cannot make sure that only one copy runs: %1");
    }
    static inline const QString MakerWebSite = QStringLiteral("https://www.dawnbell.example/");

    // The ways out of the program. Each saves the settings once and ends the program; they
    // differ in how a failed save is told and in what else is left to do.
    enum class WayOut {
        WindowClosed,    // the user closed the window: a failed save is shown
        SaveAndExit,     // "Save and Exit", once the endpoint is taken: a failed save is shown
        EndRequested,    // a signal, the end of the session, the window destroyed
        ApplicationQuit, // the event loop is ending
        StartRefused,    // this copy must not run; nothing was loaded, so nothing is saved
        ProcessExit,     // the process ends under the panel (the display gone): only the save,
                         // as the toolkit may no longer work
    };

    DawnbellWindow(LinkSocket &socket, AppPlatform &platform, const QString &settingsPath,
                   QWidget *parent = nullptr);

    // Begins the start-up and returns at once; the rest runs from the event loop, one step
    // per connection wait, and ends with startUpEnded. False when this copy must end at
    // once: another copy runs, or the single-copy lock cannot be taken.
    bool start();
    // Tells the user in a message once the start-up has ended and the window is up, so that
    // the message does not hold up the start.
    void tellOnceStarted(const QString &text) { m_startNotices.add(text); }
    // The process's exit status once this copy ends: 0, or 1 when it could not start.
    int exitStatus() const { return m_exitStatus; }

    ClockDisplay &clock() { return m_clock; }
    void loadSettings();
    // Empty when the settings were saved or nothing was loaded to save; else what failed.
    QString saveSettings();
    void openMakerWebSite();
    // The shutdown procedure every way out takes: stops the clock, saves, closes the link and
    // the window, and ends the program. Runs once; later calls do nothing. A failed save is
    // logged, and shown when the user left from the window. `why` is logged when given.
    void shutDown(WayOut way, const QString &why = {});

    const Form &form() const { return m_form; }
    const ClockSettings &clockSettings() const { return m_clockSettings; }
    ClockSettings &clockSettings() { return m_clockSettings; }
    ControlPanel &panel() { return m_panel; }
    DeviceLink &link() { return m_link; }
    const LinkLamp &lamp() const { return m_lamp; }

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
    void connectThen(void (DawnbellWindow::*nextStep)());
    void onSaveAndExitClicked();
    bool applyEndpoint();
    // The controls show the settings and the panel's reports, and hand the user's actions on.
    void bindControls();
    // Why the endpoint cannot be used, in words for the user.
    QString endpointProblems(const Settings::Endpoint &endpoint) const;
    void showAlarmEntrySent(bool sent);
    void useFoundClock(const QString &host, quint16 port);

    AppPlatform &m_platform;
    SettingsStore m_settings;
    Form m_form;
    DeviceLink m_link;
    LinkLamp m_lamp;
    ClockSettings m_clockSettings;
    const WindowControls &m_controls;
    ControlPanel m_panel;
    ClockDisplay m_clock;
    StartNotices m_startNotices;
    bool m_settingsLoaded = false;
    bool m_shuttingDown = false;
    int m_exitStatus = 0;
};
