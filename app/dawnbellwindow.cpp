#include "dawnbellwindow.h"

#include "applog.h"
#include "clockformat.h"
#include "commands.h"
#include "deviceconstants.h"
#include "lampshape.h"
#include "linksocket.h"
#include "picturebox.h"
#include "platform.h"
#include "settingsrecord.h"

#include <QtGui/QCloseEvent>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>

#include <optional>

Q_LOGGING_CATEGORY(lcApp, "dawnbell.app", QtWarningMsg)

DawnbellWindow::DawnbellWindow(LinkSocket &socket, Platform &platform, const QString &settingsPath,
                               QWidget *parent)
    : QWidget(parent)
    , m_platform(platform)
    , m_settings(settingsPath)
    , m_form(this)
    , m_link(socket)
    , m_controls(panelControls(m_form.controls()))
    , m_panel(m_controls, m_link, m_setupData, platform)
    , m_dateLabel(m_form.controls().dateLabel)
    , m_timeLabel(m_form.controls().timeLabel)
    , m_clockTicker([&platform] { return platform.now(); })
{
    socket.setRemoteHost(QLatin1String(Device::DefaultHost));
    socket.setRemotePort(Device::DefaultPort);

    LampShape *lamp = m_form.controls().linkLamp;
    connect(&m_link, &DeviceLink::connectionWaitEnded, lamp, [lamp](bool connected) {
        lamp->setFillColour(LampColour::afterConnectRun(lamp->fillColour(), connected));
    });
    connect(m_form.controls().logoPicture, &PictureBox::clicked, this,
            &DawnbellWindow::openMakerWebSite);
    connect(m_controls.saveAndExitButton, &QPushButton::clicked, this,
            &DawnbellWindow::onSaveAndExitClicked);

    connect(&m_clockTicker, &ClockTicker::ticked, this, &DawnbellWindow::showClock);
    m_clockTicker.start();
}

PanelControls DawnbellWindow::panelControls(const WindowControls &form)
{
    PanelControls c;
    c.setTimeButton = form.setTimeButton;
    c.setAlarmButton = form.setAlarmButton;
    c.playAlarmButton = form.playAlarmButton;
    c.stopAlarmButton = form.stopAlarmButton;
    c.enableAlarmButton = form.enableAlarmButton;
    c.disableAlarmButton = form.disableAlarmButton;
    c.testButton = form.testButton;
    c.saveAndExitButton = form.saveAndExitButton;
    c.alarmHourEdit = form.alarmHourEdit;
    c.alarmMinuteEdit = form.alarmMinuteEdit;
    c.alarmAmPmEdit = form.alarmAmPmEdit;
    c.hostEdit = form.hostEdit;
    c.portEdit = form.portEdit;
    c.announceBox = form.announceBox;
    c.trackGroup = form.trackGroup;
    c.schemeGroup = form.schemeGroup;
    c.screenGroup = form.screenGroup;
    return c;
}

bool DawnbellWindow::start()
{
    const SingleCopyClaim claim = m_platform.claimSingleCopy();
    if (claim.outcome != SingleCopyClaim::Outcome::Taken) {
        refuseToStart(claim);
        return false;
    }
    showClock();
    connectThen(&DawnbellWindow::loadAndReconnect);
    return true;
}

void DawnbellWindow::refuseToStart(const SingleCopyClaim &claim)
{
    if (claim.outcome == SingleCopyClaim::Outcome::HeldByOtherCopy) {
        m_platform.showMessage(Title, AlreadyRunningText);
    } else {
        // Not knowing whether another copy runs is no reason to claim that one does.
        const QString text = CannotStartText.arg(claim.failure);
        qCWarning(lcApp).noquote() << text;
        m_platform.showMessage(Title, text);
        m_exitStatus = 1;
    }
    // The record was never loaded, so the shutdown below writes nothing.
    shutDown();
}

// Each step returns to the event loop while the link waits, so a request to end the panel
// is served at once and the wait costs no processor time.
void DawnbellWindow::connectThen(void (DawnbellWindow::*nextStep)())
{
    connect(&m_link, &DeviceLink::connectionWaitEnded, this, nextStep, Qt::SingleShotConnection);
    m_link.connectToDevice();
}

void DawnbellWindow::loadAndReconnect()
{
    if (m_shuttingDown)
        return; // told to end during the wait, before anything was loaded
    loadSettings();
    m_link.socket().close();
    if (applyEndpoint())
        connectThen(&DawnbellWindow::finishStartUp);
    else
        finishStartUp();
}

void DawnbellWindow::finishStartUp()
{
    if (!m_shuttingDown)
        emit startUpEnded();
}

bool DawnbellWindow::applyEndpoint()
{
    // A saved port that is no port gives the default port, still on the saved host: commands
    // never go to a machine other than the one the user named.
    const Settings::Endpoint endpoint = Settings::endpointOf(m_setupData);
    m_link.socket().setRemotePort(endpoint.port);
    m_link.socket().setRemoteHost(endpoint.host);
    // Without a usable port, start-up ends before its second connection; the next command
    // connects.
    return endpoint.portUsable;
}

void DawnbellWindow::showClock()
{
    const QDateTime now = m_platform.now();
    const QLocale locale = QLocale::system();
    m_dateLabel->setText(dateCaption(now.date(), locale));
    m_timeLabel->setText(timeCaption(now.time(), locale));
}

void DawnbellWindow::loadSettings()
{
    m_setupData = m_settings.load().record;
    m_settingsLoaded = true;
    m_panel.showSettings();
}

QString DawnbellWindow::saveSettings()
{
    // A record that was never loaded holds nothing worth keeping; writing it would wipe the
    // user's file.
    if (!m_settingsLoaded) {
        qCInfo(lcApp) << "settings never loaded, so not saved";
        return {};
    }
    // The error names the file and the system's reason.
    const Settings::SaveResult result = m_settings.save(m_setupData);
    return result.saved ? QString() : result.error;
}

void DawnbellWindow::onSaveAndExitClicked()
{
    if (m_shuttingDown)
        return;
    m_setupData.RemoteHost = SettingValue::fromText(m_controls.hostEdit->text());
    m_setupData.RemotePort = SettingValue::fromText(m_controls.portEdit->text());
    endProgram(SaveFailureNotice::Shown);
}

void DawnbellWindow::openMakerWebSite()
{
    // A browser that cannot be started changes nothing in the panel.
    m_platform.openUrl(QUrl(MakerWebSite));
}

bool DawnbellWindow::beginShutdown(SaveFailureNotice notice)
{
    if (m_shuttingDown)
        return false;
    m_shuttingDown = true;
    m_clockTicker.stop();
    const QString failure = saveSettings();
    if (!failure.isEmpty())
        tellSaveFailed(failure, notice);
    return true;
}

// The session's choices are lost with the process, so the user hears of it: in a message
// when they ended the panel themselves and are looking at it, else on standard error.
void DawnbellWindow::tellSaveFailed(const QString &failure, SaveFailureNotice notice)
{
    qCWarning(lcApp).noquote() << "settings not saved:" << failure;
    if (notice == SaveFailureNotice::Shown)
        m_platform.showMessage(Title, SaveFailedText.arg(failure));
}

void DawnbellWindow::shutDown()
{
    endProgram(SaveFailureNotice::Logged);
}

void DawnbellWindow::endProgram(SaveFailureNotice notice)
{
    if (!beginShutdown(notice))
        return;
    m_link.socket().close();
    close();
    m_platform.endProcess();
}

void DawnbellWindow::endOnRequest(const QString &why)
{
    qCInfo(lcApp) << "ending:" << why;
    shutDown();
}

void DawnbellWindow::saveBeforeAbruptEnd()
{
    if (beginShutdown(SaveFailureNotice::Logged))
        qCInfo(lcApp) << "ended without the event loop; settings saved on the way out";
}

void DawnbellWindow::closeEvent(QCloseEvent *event)
{
    // Closing the window always ends the program, saving the endpoint as it was loaded.
    event->accept();
    endProgram(SaveFailureNotice::Shown);
}
