#include "dawnbellwindow.h"

#include "applog.h"
#include "appplatform.h"
#include "choicegroup.h"
#include "commandtable.h"
#include "deviceconstants.h"
#include "findclocksmenu.h"
#include "lampshape.h"
#include "layout.h"
#include "linksocket.h"
#include "picturebox.h"
#include "settingsbinding.h"
#include "settingsrecord.h"

#include <QtGui/QCloseEvent>
#include <QtWidgets/QButtonGroup>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>

#include <optional>

Q_LOGGING_CATEGORY(lcApp, "dawnbell.app", QtWarningMsg)

DawnbellWindow::DawnbellWindow(LinkSocket &socket, AppPlatform &platform,
                               const QString &settingsPath, QWidget *parent)
    : QWidget(parent)
    , m_platform(platform)
    , m_settings(settingsPath)
    , m_form(this)
    , m_link(socket)
    , m_lamp(m_link)
    , m_controls(m_form.controls())
    , m_panel(m_link, m_clockSettings, platform)
    , m_clock(platform, m_controls.dateLabel, m_controls.timeLabel)
    , m_startNotices(platform, Title)
{
    socket.setRemoteHost(QLatin1String(Device::DefaultHost));
    socket.setRemotePort(Device::DefaultPort);

    // The lamp shows what its presenter says, in colour and in words.
    connect(&m_lamp, &LinkLamp::changed, this, [this, lamp = m_controls.linkLamp] {
        lamp->setFillColour(m_lamp.colour());
        lamp->setToolTip(m_lamp.toolTip());
        lamp->setAccessibleName(m_lamp.accessibleName());
    });
    connect(m_controls.logoPicture, &PictureBox::clicked, this, &DawnbellWindow::openMakerWebSite);
    connect(m_controls.saveAndExitButton, &QPushButton::clicked, this,
            &DawnbellWindow::onSaveAndExitClicked);
    bindControls();
    auto *findClocks = new FindClocksMenu(m_controls.hostEdit, m_controls.portEdit,
                                          m_controls.linkLamp, this);
    connect(findClocks, &FindClocksMenu::clockChosen, this, &DawnbellWindow::useFoundClock);
}

void DawnbellWindow::bindControls()
{
    const WindowControls &c = m_controls;
    ControlPanel *panel = &m_panel;
    connect(c.setTimeButton, &QPushButton::clicked, panel, &ControlPanel::onSetTimeClicked);

    connect(c.alarmHourEdit, &QLineEdit::textEdited, panel, &ControlPanel::onAlarmHourEdited);
    connect(c.alarmMinuteEdit, &QLineEdit::textEdited, panel, &ControlPanel::onAlarmMinuteEdited);
    connect(c.alarmAmPmEdit, &QLineEdit::textEdited, panel, &ControlPanel::onAlarmAmPmEdited);
    QButtonGroup *tracks = c.trackGroup;
    connect(c.setAlarmButton, &QPushButton::clicked, panel,
            [panel, tracks] { panel->onSetAlarmClicked(tracks->checkedId()); });
    connect(c.playAlarmButton, &QPushButton::clicked, panel,
            [panel, tracks] { panel->onPlayAlarmClicked(tracks->checkedId()); });
    // The buttons that send one command and change nothing else: a new one is one row here.
    static constexpr struct
    {
        QPushButton *WindowControls::*button;
        Protocol::Action action;
    } commandButtons[] = {
            {&WindowControls::stopAlarmButton, Protocol::Action::StopAlarm},
    };
    for (const auto &[button, action] : commandButtons) {
        connect(c.*button, &QPushButton::clicked, panel,
                [panel, action = action] { panel->sendCommand(action); });
    }
    connect(c.disableAlarmButton, &QPushButton::clicked, panel,
            &ControlPanel::onDisableAlarmClicked);
    connect(c.enableAlarmButton, &QPushButton::clicked, panel, &ControlPanel::onEnableAlarmClicked);
    connect(c.testButton, &QPushButton::clicked, panel, &ControlPanel::onTestClicked);
    connect(panel, &ControlPanel::alarmEntrySent, this, &DawnbellWindow::showAlarmEntrySent);
    connect(panel, &ControlPanel::enableAlarmAvailable, c.enableAlarmButton, &QWidget::setEnabled);
    connect(panel, &ControlPanel::disableAlarmAvailable, c.disableAlarmButton,
            &QWidget::setEnabled);

    // Only the user's clicks send; showing the saved choice sends nothing.
    connect(c.announceBox, &QCheckBox::clicked, panel, &ControlPanel::onAnnounceClicked);
    connect(c.schemeGroup, &ChoiceGroup::chosen, panel, &ControlPanel::onSchemeChosen);
    connect(c.screenGroup, &ChoiceGroup::chosen, panel, &ControlPanel::onScreenChosen);
    connect(c.screenGroup, &QButtonGroup::idClicked, panel, &ControlPanel::onScreenBoxClicked);

    // Either endpoint box showing another text means the settings may be saved.
    for (QLineEdit *box : {c.hostEdit, c.portEdit}) {
        connect(box, &QLineEdit::textChanged, c.saveAndExitButton,
                [button = c.saveAndExitButton] { button->setEnabled(true); });
    }
    new SettingsBinding(m_controls, m_clockSettings, this);
}

void DawnbellWindow::showAlarmEntrySent(bool sent)
{
    const QColor colour = sent ? EntryColour::Sent : EntryColour::Unsent;
    for (QLineEdit *box :
         {m_controls.alarmHourEdit, m_controls.alarmMinuteEdit, m_controls.alarmAmPmEdit}) {
        QPalette palette = box->palette();
        palette.setColor(QPalette::Text, colour);
        box->setPalette(palette);
    }
}

bool DawnbellWindow::start()
{
    const SingleCopyClaim claim = m_platform.claimSingleCopy();
    if (claim.outcome != SingleCopyClaim::Outcome::Taken) {
        refuseToStart(claim);
        return false;
    }
    m_clock.show();
    connectThen(&DawnbellWindow::loadAndReconnect);
    return true;
}

void DawnbellWindow::refuseToStart(const SingleCopyClaim &claim)
{
    if (claim.outcome == SingleCopyClaim::Outcome::HeldByOtherCopy) {
        m_platform.showMessage(MessageKind::Information, Title, alreadyRunningText());
    } else {
        // Not knowing whether another copy runs is no reason to claim that one does.
        const QString text = cannotStartText().arg(claim.failure);
        qCWarning(lcApp).noquote() << text;
        m_platform.showMessage(MessageKind::Critical, Title, text);
        m_exitStatus = 1;
    }
    // The record was never loaded, so the shutdown below writes nothing.
    shutDown(WayOut::StartRefused);
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
    m_lamp.askModuleOnFailure();
    m_link.socket().close();
    if (applyEndpoint())
        connectThen(&DawnbellWindow::finishStartUp);
    else
        finishStartUp();
}

void DawnbellWindow::finishStartUp()
{
    if (m_shuttingDown)
        return;
    m_lamp.followLink();
    emit startUpEnded();
    m_startNotices.showSoon();
}

// The chosen module's address and data port become the endpoint as typing would make it, so
// "Save and Exit" keeps them for the next start.
void DawnbellWindow::useFoundClock(const QString &host, quint16 port)
{
    m_clockSettings.setHost(host);
    m_clockSettings.setPort(QString::number(port));
}

bool DawnbellWindow::applyEndpoint()
{
    // A saved port that is no port gives the default port, still on the saved host: commands
    // never go to a machine other than the one the user named.
    const Settings::Endpoint endpoint = m_clockSettings.endpoint();
    m_link.socket().setRemotePort(endpoint.port);
    m_link.socket().setRemoteHost(endpoint.host);
    if (!endpoint.usable())
        tellOnceStarted(tr("The saved endpoint cannot be used: %1. Dawnbell connects to %2.")
                                .arg(endpointProblems(endpoint), m_lamp.endpointText()));
    // Without a usable port, start-up ends before its second connection; the next command
    // connects.
    return endpoint.portUsable;
}

void DawnbellWindow::loadSettings()
{
    const Settings::LoadResult loaded = m_settings.load();
    m_clockSettings.load(loaded.record);
    m_settingsLoaded = true;
    // The panel runs on, but on settings the user did not choose; they hear why.
    if (!loaded.unusedFile.isEmpty()) {
        tellOnceStarted(unusedSettingsText().arg(
                loaded.unusedFile,
                loaded.keptAs.isEmpty() ? leftAsItWasText() : keptAsText().arg(loaded.keptAs)));
    }
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
    const Settings::SaveResult result = m_settings.save(m_clockSettings.record());
    return result.saved ? QString() : result.error;
}

QString DawnbellWindow::endpointProblems(const Settings::Endpoint &endpoint) const
{
    QStringList problems;
    if (!endpoint.hostUsable)
        problems << tr("the remote host \"%1\" is blank").arg(m_clockSettings.host());
    if (!endpoint.portUsable) {
        problems << tr("the remote port \"%1\" is not a whole number from 1 to 65535")
                            .arg(m_clockSettings.port());
    }
    return problems.join(QStringLiteral("; "));
}

void DawnbellWindow::onSaveAndExitClicked()
{
    if (m_shuttingDown)
        return;
    // An endpoint the next start could not use is not saved; the window stays for a mend.
    const Settings::Endpoint edited = m_clockSettings.endpoint();
    if (!edited.usable()) {
        m_platform.showMessage(
                MessageKind::Warning, Title,
                tr("This endpoint cannot be saved: %1.").arg(endpointProblems(edited)));
        return;
    }
    m_clockSettings.keepEndpoint();
    shutDown(WayOut::SaveAndExit);
}

void DawnbellWindow::openMakerWebSite()
{
    // A browser that cannot be started changes nothing in the panel.
    m_platform.openUrl(QUrl(MakerWebSite));
}

void DawnbellWindow::shutDown(WayOut way, const QString &why)
{
    if (m_shuttingDown)
        return;
    m_shuttingDown = true;
    if (!why.isEmpty())
        qCInfo(lcApp) << "ending:" << why;
    m_lamp.freeze();
    m_startNotices.drop();
    m_clock.stop();
    // The session's choices are lost with the process, so the user hears of it: in a message
    // when they left from the window and are looking at it, else on standard error.
    if (const QString failure = saveSettings(); !failure.isEmpty()) {
        qCWarning(lcApp).noquote() << "settings not saved:" << failure;
        if (way == WayOut::WindowClosed || way == WayOut::SaveAndExit)
            m_platform.showMessage(MessageKind::Critical, Title, saveFailedText().arg(failure));
    }
    if (way == WayOut::ProcessExit)
        return; // the toolkit may no longer work; the save was what mattered
    m_link.socket().close();
    close();
    m_platform.endProcess();
}

void DawnbellWindow::closeEvent(QCloseEvent *event)
{
    // Closing the window always ends the program, saving the endpoint as it was loaded.
    event->accept();
    shutDown(WayOut::WindowClosed);
}
