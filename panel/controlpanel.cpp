#include "controlpanel.h"

#include "commands.h"
#include "deviceconstants.h"
#include "devicelink.h"
#include "devicetext.h"
#include "platform.h"
#include "settingsview.h"
#include "setupdata.h"

#include <QtGui/QColor>
#include <QtGui/QPalette>
#include <QtWidgets/QButtonGroup>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>

#include <algorithm>
#include <cmath>

namespace {

bool anyChecked(const QButtonGroup *group)
{
    const auto boxes = group->buttons();
    return std::any_of(boxes.begin(), boxes.end(),
                       [](const QAbstractButton *box) { return box->isChecked(); });
}

// Checks the box with the given id and clears the others; none for an id the group lacks.
// Setting a box's state by code runs no click handler.
void showOnly(QButtonGroup *group, int id)
{
    const auto boxes = group->buttons();
    for (QAbstractButton *box : boxes)
        box->setChecked(group->id(box) == id);
}

// The scheme and screen boxes act as a one-of-n choice: after a click on the box `id` it is the
// only one checked. A click on the checked box clears it, and with no other box checked it is
// checked again, so that the choice is made once more. False when the click leaves the box
// clear: another box is still checked and stays the choice.
bool keepOnlyClicked(QButtonGroup *group, int id)
{
    QAbstractButton *clicked = group->button(id);
    if (!clicked->isChecked()) {
        if (anyChecked(group))
            return false;
        clicked->setChecked(true);
    }
    showOnly(group, id);
    return true;
}

} // namespace

ControlPanel::ControlPanel(const PanelControls &controls, DeviceLink &link, SetupData &record,
                           Platform &platform, QObject *parent)
    : QObject(parent)
    , m_controls(controls)
    , m_link(link)
    , m_record(record)
    , m_platform(platform)
{
    connectHandlers();
}

void ControlPanel::connectHandlers()
{
    const PanelControls &c = m_controls;
    connect(c.setTimeButton, &QPushButton::clicked, this, &ControlPanel::onSetTimeClicked);

    connect(c.alarmHourEdit, &QLineEdit::textChanged, this, &ControlPanel::onAlarmHourEdited);
    connect(c.alarmMinuteEdit, &QLineEdit::textChanged, this, &ControlPanel::onAlarmMinuteEdited);
    connect(c.alarmAmPmEdit, &QLineEdit::textChanged, this, &ControlPanel::onAlarmAmPmEdited);
    connect(c.setAlarmButton, &QPushButton::clicked, this, &ControlPanel::onSetAlarmClicked);
    connect(c.playAlarmButton, &QPushButton::clicked, this, &ControlPanel::onPlayAlarmClicked);
    connect(c.stopAlarmButton, &QPushButton::clicked, this, &ControlPanel::onStopAlarmClicked);
    connect(c.disableAlarmButton, &QPushButton::clicked, this,
            &ControlPanel::onDisableAlarmClicked);
    connect(c.enableAlarmButton, &QPushButton::clicked, this, &ControlPanel::onEnableAlarmClicked);
    connect(c.testButton, &QPushButton::clicked, this, &ControlPanel::onTestClicked);

    // toggled fires for a click and for setChecked alike, and only when the value changes; the
    // loader blocks it to show the saved choice without sending it.
    connect(c.announceBox, &QCheckBox::toggled, this, &ControlPanel::onAnnounceToggled);
    // idClicked fires for the user's clicks only, never for a box set by code.
    connect(c.schemeGroup, &QButtonGroup::idClicked, this, &ControlPanel::onSchemeClicked);
    connect(c.screenGroup, &QButtonGroup::idClicked, this, &ControlPanel::onScreenClicked);

    // Either endpoint box changed means the settings may be saved.
    connect(c.hostEdit, &QLineEdit::textChanged, this, &ControlPanel::onEndpointEdited);
    connect(c.portEdit, &QLineEdit::textChanged, this, &ControlPanel::onEndpointEdited);
}

void ControlPanel::showSettings()
{
    const PanelControls &c = m_controls;
    c.alarmHourEdit->setText(m_record.AlarmHour.toText());
    c.alarmMinuteEdit->setText(m_record.AlarmMinute.toText());
    c.alarmAmPmEdit->setText(m_record.AlarmAMPM.toText());

    const std::optional<Selection> selection = selectionFor(m_record);
    if (selection) {
        if (QAbstractButton *track
            = c.trackGroup->button(Device::TrackOffset + selection->optionIndex))
            track->setChecked(true);
    }

    c.hostEdit->setText(m_record.RemoteHost.toText());
    c.portEdit->setText(m_record.RemotePort.toText());

    if (!selection)
        return;
    showOnly(c.schemeGroup, selection->backGround);
    showOnly(c.screenGroup, selection->wakeUpScreen);
    const QSignalBlocker blocker(c.announceBox);
    c.announceBox->setChecked(selection->announceHourly);
}

void ControlPanel::onSetTimeClicked()
{
    // One reading of the clock, advanced as a whole, so a carry of the lead reaches the
    // minute, hour and date instead of sending seconds 60 and 61.
    const QDateTime at = m_platform.now().addSecs(Device::TimeLeadSeconds);
    m_link.sendToDevice(Protocol::setTime(at));
}

void ControlPanel::setEntryColour(const QColor &colour)
{
    const PanelControls &c = m_controls;
    for (QLineEdit *box : {c.alarmHourEdit, c.alarmMinuteEdit, c.alarmAmPmEdit}) {
        QPalette palette = box->palette();
        palette.setColor(QPalette::Text, colour);
        box->setPalette(palette);
    }
}

void ControlPanel::onAlarmHourEdited()
{
    setEntryColour(EntryUnsent);
    m_record.AlarmHour = SettingValue::fromText(m_controls.alarmHourEdit->text());
}

void ControlPanel::onAlarmMinuteEdited()
{
    setEntryColour(EntryUnsent);
    m_record.AlarmMinute = SettingValue::fromText(m_controls.alarmMinuteEdit->text());
}

void ControlPanel::onAlarmAmPmEdited()
{
    setEntryColour(EntryUnsent);
    QLineEdit *box = m_controls.alarmAmPmEdit;
    // The completion runs this handler again at once; that run finds "AM" or "PM".
    const QString completed = Device::completedAmPm(box->text());
    if (completed != box->text())
        box->setText(completed);
    m_record.AlarmAMPM = SettingValue::fromText(box->text());
}

void ControlPanel::takeSelectedTrack()
{
    // With no track button selected the track in force stays.
    const int track = m_controls.trackGroup->checkedId();
    if (track != -1)
        m_record.AlarmTrack = SettingValue::fromNumber(track);
}

namespace {

// The track in force as a whole number; nothing when the record holds a text that is not one.
std::optional<int> trackOf(const SetupData &record)
{
    const std::optional<double> track = record.AlarmTrack.toNumber();
    if (!track || !std::isfinite(*track) || std::abs(*track) > 1e9)
        return std::nullopt;
    return static_cast<int>(std::lround(*track));
}

} // namespace

void ControlPanel::onSetAlarmClicked()
{
    const QString hour = m_controls.alarmHourEdit->text();
    const QString minute = m_controls.alarmMinuteEdit->text();
    const QString amPm = m_controls.alarmAmPmEdit->text();
    if (hour.isEmpty() || minute.isEmpty() || amPm.isEmpty()) {
        m_platform.beep();
        return;
    }
    takeSelectedTrack();
    const std::optional<int> track = trackOf(m_record);
    if (!track)
        return;
    // An hour or minute that is not a whole number is refused like an empty box rather
    // than leaving the start of a command on the wire.
    const std::optional<Protocol::Pieces> pieces = Protocol::setAlarm(hour, minute, amPm, *track);
    if (!pieces) {
        m_platform.beep();
        return;
    }
    if (m_link.sendToDevice(*pieces))
        setEntryColour(EntrySent);
}

void ControlPanel::onPlayAlarmClicked()
{
    takeSelectedTrack();
    if (const std::optional<int> track = trackOf(m_record))
        m_link.sendToDevice(Protocol::playTrack(*track));
}

void ControlPanel::onStopAlarmClicked()
{
    m_link.sendToDevice(Protocol::stopAlarm());
}

void ControlPanel::onDisableAlarmClicked()
{
    m_link.sendToDevice(Protocol::disableAlarm());
    m_controls.disableAlarmButton->setEnabled(false);
    m_controls.enableAlarmButton->setEnabled(true);
}

void ControlPanel::onEnableAlarmClicked()
{
    m_link.sendToDevice(Protocol::enableAlarm());
    m_controls.disableAlarmButton->setEnabled(true);
    m_controls.enableAlarmButton->setEnabled(false);
}

void ControlPanel::onTestClicked()
{
    m_link.sendToDevice(Protocol::test());
    m_controls.disableAlarmButton->setEnabled(true);
}

void ControlPanel::onAnnounceToggled(bool on)
{
    // The setting follows the box before the link is looked at, sent or not.
    m_record.AnnounceHourly = SettingValue::fromNumber(on ? 1 : 0);
    m_link.sendToDevice(Protocol::announceHourly(on));
}

void ControlPanel::onSchemeClicked(int scheme)
{
    if (!keepOnlyClicked(m_controls.schemeGroup, scheme))
        return;
    // The saved scheme is the one the device took, not the one shown.
    if (m_link.sendToDevice(Protocol::colourScheme(scheme)))
        m_record.BackGrounds = SettingValue::fromNumber(scheme);
}

void ControlPanel::onScreenClicked(int screen)
{
    m_controls.disableAlarmButton->setEnabled(true);
    if (!keepOnlyClicked(m_controls.screenGroup, screen))
        return;
    if (m_link.sendToDevice(Protocol::wakeUpScreen(screen)))
        m_record.WakeUpScreens = SettingValue::fromNumber(screen);
}

void ControlPanel::onEndpointEdited()
{
    m_controls.saveAndExitButton->setEnabled(true);
}
