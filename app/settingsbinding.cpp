#include "settingsbinding.h"

#include "choicegroup.h"
#include "clocksettings.h"
#include "settingsrecord.h"
#include "windowcontrols.h"

#include <QtGui/QRegularExpressionValidator>
#include <QtWidgets/QButtonGroup>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QLineEdit>

#include <optional>

SettingsBinding::SettingsBinding(const WindowControls &controls, ClockSettings &settings,
                                 QObject *parent)
    : QObject(parent)
    , m_controls(controls)
    , m_settings(settings)
{
    bindEndpointBoxes();
    // The controls show what the settings hold, whoever changed them.
    const WindowControls &c = m_controls;
    connect(&settings, &ClockSettings::loaded, this, &SettingsBinding::showSettings);
    connect(&settings, &ClockSettings::alarmChanged, this, &SettingsBinding::showAlarm);
    connect(&settings, &ClockSettings::alarmTrackChanged, this, &SettingsBinding::showAlarmTrack);
    connect(&settings, &ClockSettings::endpointChanged, this, &SettingsBinding::showEndpoint);
    connect(&settings, &ClockSettings::schemeChanged, c.schemeGroup, &ChoiceGroup::showOnly);
    connect(&settings, &ClockSettings::screenChanged, c.screenGroup,
            [group = c.screenGroup](Device::WakeUpScreen screen) { group->showOnly(int(screen)); });
    connect(&settings, &ClockSettings::announceHourlyChanged, c.announceBox,
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

void SettingsBinding::showSettings()
{
    const ClockSettings &settings = m_settings;
    showAlarm();
    showAlarmTrack(settings.alarmTrack());
    showEndpoint();
    m_controls.schemeGroup->showOnly(settings.scheme());
    const std::optional<Device::WakeUpScreen> screen = settings.screen();
    m_controls.screenGroup->showOnly(screen ? int(*screen) : 0);
    m_controls.announceBox->setChecked(settings.announceHourly());
}

void SettingsBinding::showAlarm()
{
    showText(m_controls.alarmHourEdit, m_settings.alarmHour());
    showText(m_controls.alarmMinuteEdit, m_settings.alarmMinute());
    showText(m_controls.alarmAmPmEdit, m_settings.alarmAmPm());
}

void SettingsBinding::showAlarmTrack(int track)
{
    if (QAbstractButton *button = m_controls.trackGroup->button(track))
        button->setChecked(true);
}

void SettingsBinding::showEndpoint()
{
    showText(m_controls.hostEdit, m_settings.host());
    showText(m_controls.portEdit, m_settings.port());
}

// The endpoint boxes take only what can be a host or a port, and hand what the user types to
// the settings.
void SettingsBinding::bindEndpointBoxes()
{
    // What a host is made of, and the brackets around an IPv6 address, as dawnbell-send's
    // --host takes it.
    m_controls.hostEdit->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("(%1|[\\[\\]])*").arg(Settings::hostCharacter())),
            m_controls.hostEdit));

    // Digits only, and no number above the highest port; while typing it may be empty or 0.
    m_controls.portEdit->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9]{0,4}|[0-5][0-9]{4}|6[0-4][0-9]{3}"
                                              "|65[0-4][0-9]{2}|655[0-2][0-9]|6553[0-5]")),
            m_controls.portEdit));
    connect(m_controls.hostEdit, &QLineEdit::textEdited, &m_settings, &ClockSettings::setHost);
    connect(m_controls.portEdit, &QLineEdit::textEdited, &m_settings, &ClockSettings::setPort);
}
