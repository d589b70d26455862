#include "dawnbellwindow.h"

#include "applog.h"
#include "choicegroup.h"
#include "clockformat.h"
#include "commands.h"
#include "deviceconstants.h"
#include "findclocksdialog.h"
#include "lampshape.h"
#include "layout.h"
#include "linksocket.h"
#include "modulewords.h"
#include "networkclocksearch.h"
#include "picturebox.h"
#include "platform.h"
#include "settingsrecord.h"

#include <QtGui/QCloseEvent>
#include <QtGui/QRegularExpressionValidator>
#include <QtWidgets/QButtonGroup>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>
#include <QtWidgets/QPushButton>

#include <optional>
#include <utility>

Q_LOGGING_CATEGORY(lcApp, "dawnbell.app", QtWarningMsg)

DawnbellWindow::DawnbellWindow(LinkSocket &socket, Platform &platform, const QString &settingsPath,
                               QWidget *parent)
    : QWidget(parent)
    , m_platform(platform)
    , m_settings(settingsPath)
    , m_form(this)
    , m_link(socket)
    , m_controls(m_form.controls())
    , m_panel(m_link, m_clockSettings, platform)
    , m_dateLabel(m_controls.dateLabel)
    , m_timeLabel(m_controls.timeLabel)
    , m_clockTicker([&platform] { return platform.now(); })
{
    socket.setRemoteHost(QLatin1String(Device::DefaultHost));
    socket.setRemotePort(Device::DefaultPort);

    bindLamp();
    connect(m_controls.logoPicture, &PictureBox::clicked, this, &DawnbellWindow::openMakerWebSite);
    connect(m_controls.saveAndExitButton, &QPushButton::clicked, this,
            &DawnbellWindow::onSaveAndExitClicked);
    bindControls();
    for (QLineEdit *box : {m_controls.hostEdit, m_controls.portEdit}) {
        box->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(box, &QWidget::customContextMenuRequested, this,
                [this, box](const QPoint &position) { showEndpointMenu(box, position); });
    }

    connect(&m_clockTicker, &ClockTicker::ticked, this, &DawnbellWindow::showClock);
    m_clockTicker.start();
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
    connect(c.stopAlarmButton, &QPushButton::clicked, panel, &ControlPanel::onStopAlarmClicked);
    connect(c.disableAlarmButton, &QPushButton::clicked, panel,
            &ControlPanel::onDisableAlarmClicked);
    connect(c.enableAlarmButton, &QPushButton::clicked, panel, &ControlPanel::onEnableAlarmClicked);
    connect(c.testButton, &QPushButton::clicked, panel, &ControlPanel::onTestClicked);
    connect(panel, &ControlPanel::alarmEntrySent, this, &DawnbellWindow::showAlarmEntrySent);
    connect(panel, &ControlPanel::enableAlarmAvailable, c.enableAlarmButton, &QWidget::setEnabled);
    connect(panel, &ControlPanel::disableAlarmAvailable, c.disableAlarmButton,
            &QWidget::setEnabled);

    // Only the user's clicks send; showing the saved choice sends nothing.
    connect(c.announceBox, &QCheckBox::clicked, panel, &ControlPanel::onAnnounceToggled);
    connect(c.schemeGroup, &ChoiceGroup::chosen, panel, &ControlPanel::onSchemeChosen);
    connect(c.screenGroup, &ChoiceGroup::chosen, panel, &ControlPanel::onScreenChosen);
    connect(c.screenGroup, &QButtonGroup::idClicked, panel, &ControlPanel::onScreenBoxClicked);

    // What a host is made of, and the brackets around an IPv6 address, as dawnbell-send's
    // --host takes it.
    c.hostEdit->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("(%1|[\\[\\]])*").arg(Settings::hostCharacter())),
            c.hostEdit));

    // Digits only, and no number above the highest port; while typing it may be empty or 0.
    c.portEdit->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9]{0,4}|[0-5][0-9]{4}|6[0-4][0-9]{3}"
                                              "|65[0-4][0-9]{2}|655[0-2][0-9]|6553[0-5]")),
            c.portEdit));
    connect(c.hostEdit, &QLineEdit::textEdited, &m_clockSettings, &ClockSettings::setHost);
    connect(c.portEdit, &QLineEdit::textEdited, &m_clockSettings, &ClockSettings::setPort);
    // Either endpoint box showing another text means the settings may be saved.
    for (QLineEdit *box : {c.hostEdit, c.portEdit}) {
        connect(box, &QLineEdit::textChanged, c.saveAndExitButton,
                [button = c.saveAndExitButton] { button->setEnabled(true); });
    }
    bindSettings();
}

// The controls show what the settings hold, whoever changed them.
void DawnbellWindow::bindSettings()
{
    const WindowControls &c = m_controls;
    const ClockSettings *settings = &m_clockSettings;
    connect(settings, &ClockSettings::loaded, this, &DawnbellWindow::showSettings);
    connect(settings, &ClockSettings::alarmChanged, this, &DawnbellWindow::showAlarm);
    connect(settings, &ClockSettings::alarmTrackChanged, this, &DawnbellWindow::showAlarmTrack);
    connect(settings, &ClockSettings::endpointChanged, this, &DawnbellWindow::showEndpoint);
    connect(settings, &ClockSettings::schemeChanged, c.schemeGroup, &ChoiceGroup::showOnly);
    connect(settings, &ClockSettings::screenChanged, c.screenGroup,
            [group = c.screenGroup](Device::WakeUpScreen screen) { group->showOnly(int(screen)); });
    connect(settings, &ClockSettings::announceHourlyChanged, c.announceBox,
            &QAbstractButton::setChecked);
}

namespace {

// Leaves a box that already shows the text alone, so that its cursor stays where it is.
void showText(QLineEdit *box, const QString &text)
{
    if (box->text() != text)
        box->setText(text);
}

} // namespace

void DawnbellWindow::showSettings()
{
    const ClockSettings &settings = m_clockSettings;
    showAlarm();
    showAlarmTrack(settings.alarmTrack());
    showEndpoint();
    m_controls.schemeGroup->showOnly(settings.scheme());
    const std::optional<Device::WakeUpScreen> screen = settings.screen();
    m_controls.screenGroup->showOnly(screen ? int(*screen) : 0);
    m_controls.announceBox->setChecked(settings.announceHourly());
}

void DawnbellWindow::showAlarm()
{
    showText(m_controls.alarmHourEdit, m_clockSettings.alarmHour());
    showText(m_controls.alarmMinuteEdit, m_clockSettings.alarmMinute());
    showText(m_controls.alarmAmPmEdit, m_clockSettings.alarmAmPm());
}

void DawnbellWindow::showAlarmTrack(int track)
{
    if (QAbstractButton *button = m_controls.trackGroup->button(track))
        button->setChecked(true);
}

void DawnbellWindow::showEndpoint()
{
    showText(m_controls.hostEdit, m_clockSettings.host());
    showText(m_controls.portEdit, m_clockSettings.port());
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
    if (m_shuttingDown)
        return;
    m_lampFollowsLink = true;
    emit startUpEnded();
    // Queued, so the window shows before a modal message can hold the event loop.
    if (!m_startNotices.isEmpty())
        QMetaObject::invokeMethod(this, &DawnbellWindow::showStartNotices, Qt::QueuedConnection);
}

void DawnbellWindow::tellOnceStarted(const QString &text)
{
    m_startNotices.append(text);
}

void DawnbellWindow::showStartNotices()
{
    const QStringList notices = std::exchange(m_startNotices, {});
    for (const QString &notice : notices) {
        if (m_shuttingDown)
            return;
        m_platform.showMessage(Title, notice);
    }
}

void DawnbellWindow::bindLamp()
{
    connect(&m_link, &DeviceLink::connectionWaitEnded, this, [this](bool connected) {
        const LampShape *lamp = m_controls.linkLamp;
        showLamp(LampColour::afterConnectRun(lamp->fillColour(), connected),
                 connected ? LampConnectedText.arg(endpointText())
                           : LampNotConnectedText.arg(
                                   QStringLiteral("no connection to %1").arg(endpointText())));
        // Only the saved endpoint's module is asked: the first wait is the built-in one's.
        if (!connected && m_settingsLoaded)
            explainFailure();
    });
    connect(&m_lampProbe, &ModuleFinder::moduleFound, this,
            [this](const ModuleFrame::ModuleInfo &module) {
                addModuleAccount(ModuleWords::moduleSentence(m_link.socket().remoteHost(), module));
            });
    connect(&m_lampProbe, &ModuleFinder::finished, this, [this] {
        if (m_lampProbe.modules().isEmpty())
            addModuleAccount(ModuleWords::noAnswerText(m_link.socket().remoteHost()));
    });
    connect(&m_link.socket(), &LinkSocket::stateChanged, this, &DawnbellWindow::showLinkState);
    connect(&m_link, &DeviceLink::commandDropped, this, &DawnbellWindow::showCommandDropped);
}

QString DawnbellWindow::endpointText() const
{
    const QString host = m_link.socket().remoteHost();
    // An IPv6 address takes brackets, so that its port stands apart.
    const QString shownHost = host.contains(QLatin1Char(':')) ? u'[' + host + u']' : host;
    return QStringLiteral("%1:%2").arg(shownHost).arg(m_link.socket().remotePort());
}

void DawnbellWindow::showLinkState(LinkState state)
{
    if (!m_lampFollowsLink || m_shuttingDown)
        return;
    switch (state) {
    case LinkState::Connected:
        showLamp(LampColour::Green, LampConnectedText.arg(endpointText()));
        break;
    case LinkState::ClosedByPeer:
        showLamp(LampColour::Red,
                 LampNotConnectedText.arg(QStringLiteral("the module closed the connection")));
        explainFailure();
        break;
    case LinkState::Error:
        showLamp(LampColour::Red,
                 LampNotConnectedText.arg(
                         QStringLiteral("the connection to %1 failed").arg(endpointText())));
        explainFailure();
        break;
    default:
        break;
    }
}

namespace {

QString dropReasonText(DeviceLink::DropReason reason)
{
    switch (reason) {
    case DeviceLink::DropReason::NotConnected:
        return QStringLiteral("there was no connection to the module");
    case DeviceLink::DropReason::ConnectFailed:
        return QStringLiteral("the connection to the module had failed");
    case DeviceLink::DropReason::ClosedByDevice:
        return QStringLiteral("the module closed the connection");
    case DeviceLink::DropReason::Connecting:
        return QStringLiteral("the connection was still being made");
    case DeviceLink::DropReason::QueueFull:
        return QStringLiteral("the module is not taking commands");
    case DeviceLink::DropReason::WriteFailed:
        return QStringLiteral("the connection refused it");
    }
    return {};
}

} // namespace

void DawnbellWindow::showCommandDropped(const QByteArray &command, DeviceLink::DropReason reason)
{
    if (!m_lampFollowsLink || m_shuttingDown || command.isEmpty())
        return;
    const char code = command.at(0);
    showLamp(LampColour::Red,
             LampNotConnectedText.arg(LampDroppedText.arg(QString(QLatin1Char(code)),
                                                          Protocol::purposeOf(code),
                                                          dropReasonText(reason))));
}

void DawnbellWindow::explainFailure()
{
    // The module's own account needs its address; a host name is not looked up for it.
    const QHostAddress module(m_link.socket().remoteHost());
    if (module.isNull())
        return;
    m_lampProbe.find({module});
}

void DawnbellWindow::addModuleAccount(const QString &account)
{
    if (m_shuttingDown || m_controls.linkLamp->fillColour() != LampColour::Red)
        return; // the link came up meanwhile: the lamp's words are current
    showLamp(LampColour::Red, m_lampWords + QStringLiteral(". ") + account);
}

void DawnbellWindow::showEndpointMenu(QLineEdit *box, const QPoint &position)
{
    QMenu *menu = box->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSeparator();
    connect(menu->addAction(FindClocksDialog::MenuText), &QAction::triggered, this,
            &DawnbellWindow::openFindClocks);
    menu->popup(box->mapToGlobal(position));
}

void DawnbellWindow::openFindClocks()
{
    if (!m_findClocks) {
        m_clockSearch = new NetworkClockSearch(this);
        m_findClocks = new FindClocksDialog(*m_clockSearch, this);
        connect(m_findClocks, &FindClocksDialog::clockChosen, this, &DawnbellWindow::useFoundClock);
    }
    m_findClocks->open();
    m_findClocks->searchAgain();
}

// The chosen module's address and data port become the endpoint as typing would make it, so
// "Save and Exit" keeps them for the next start.
void DawnbellWindow::useFoundClock(const QString &host, quint16 port)
{
    m_clockSettings.setHost(host);
    m_clockSettings.setPort(QString::number(port));
}

void DawnbellWindow::showLamp(const QColor &colour, const QString &words)
{
    m_lampWords = words;
    LampShape *lamp = m_controls.linkLamp;
    lamp->setFillColour(colour);
    lamp->setToolTip(words);
    lamp->setAccessibleName(QStringLiteral("Connection lamp: %1").arg(words));
}

bool DawnbellWindow::applyEndpoint()
{
    // A saved port that is no port gives the default port, still on the saved host: commands
    // never go to a machine other than the one the user named.
    const Settings::Endpoint endpoint = m_clockSettings.endpoint();
    m_link.socket().setRemotePort(endpoint.port);
    m_link.socket().setRemoteHost(endpoint.host);
    if (!endpoint.hostUsable || !endpoint.portUsable)
        tellOnceStarted(tr("The saved endpoint cannot be used: %1. Dawnbell connects to %2.")
                                .arg(endpointProblems(endpoint), endpointText()));
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
    const Settings::LoadResult loaded = m_settings.load();
    m_clockSettings.load(loaded.record);
    m_settingsLoaded = true;
    // The panel runs on, but on settings the user did not choose; they hear why.
    if (!loaded.unusedFile.isEmpty()) {
        tellOnceStarted(UnusedSettingsText.arg(
                loaded.unusedFile,
                loaded.keptAs.isEmpty() ? LeftAsItWasText : KeptAsText.arg(loaded.keptAs)));
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
    if (!edited.hostUsable || !edited.portUsable) {
        m_platform.showWarning(
                Title, tr("This endpoint cannot be saved: %1.").arg(endpointProblems(edited)));
        return;
    }
    m_clockSettings.keepEndpoint();
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
