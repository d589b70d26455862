#include "controlpanel.h"

#include "commands.h"
#include "deviceconstants.h"
#include "devicelink.h"
#include "platform.h"
#include "settingsfile.h"
#include "setupdata.h"

#include <QtGui/QColor>
#include <QtGui/QPalette>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>

#include <cmath>

namespace {

// A handler ends silently at its first error: nothing may unwind into Qt's event loop, which
// is not exception safe, and the panel reports no failure to the user.
template<typename Body>
void guarded(Body &&body) noexcept
{
    try {
        body();
    } catch (...) { }
}

QColor fromBgr(int colour)
{
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

template<std::size_t N>
void clearOthers(const std::array<QCheckBox *, N> &group, QCheckBox *keep)
{
    // Clearing a box runs its own handler at once; it finds `keep` checked and does nothing.
    for (QCheckBox *box : group) {
        if (box != keep)
            box->setChecked(false);
    }
}

template<std::size_t N>
bool noneChecked(const std::array<QCheckBox *, N> &group)
{
    for (const QCheckBox *box : group) {
        if (box->isChecked())
            return false;
    }
    return true;
}

template<std::size_t N>
void showOnly(const std::array<QCheckBox *, N> &group, int index)
{
    for (std::size_t i = 0; i < N; ++i) {
        const QSignalBlocker blocker(group[i]);
        group[i]->setChecked(static_cast<int>(i) == index);
    }
}

} // namespace

ControlPanel::ControlPanel(const PanelControls &controls, DeviceLink &link, SetupData &record,
                           Platform &platform, QObject *parent)
    : QObject(parent)
    , m_controls(controls)
    , m_link(link)
    , m_record(record)
    , m_platform(platform)
    , m_schemeBoxes{controls.Check21, controls.Check22, controls.Check23, controls.Check24}
    , m_screenBoxes{controls.Check31, controls.Check32, controls.Check33}
{
    connectHandlers();
}

void ControlPanel::connectHandlers()
{
    const PanelControls &c = m_controls;
    connect(c.CMDSET_TIME, &QPushButton::clicked, this, &ControlPanel::CMDSET_TIME_Click);

    connect(c.Text_SATH, &QLineEdit::textChanged, this, &ControlPanel::Text_SATH_Change);
    connect(c.Text_SATM, &QLineEdit::textChanged, this, &ControlPanel::Text_SATM_Change);
    connect(c.Text_SATAMPM, &QLineEdit::textChanged, this, &ControlPanel::Text_SATAMPM_Change);
    connect(c.CMDSet_WUA, &QPushButton::clicked, this, &ControlPanel::CMDSet_WUA_Click);
    connect(c.CMDPlay_WUA, &QPushButton::clicked, this, &ControlPanel::CMDPlay_WUA_Click);
    connect(c.CMDStop_WUA, &QPushButton::clicked, this, &ControlPanel::CMDStop_WUA_Click);
    connect(c.CMDSet_DWUA, &QPushButton::clicked, this, &ControlPanel::CMDSet_DWUA_Click);
    connect(c.CMDSet_EWUA, &QPushButton::clicked, this, &ControlPanel::CMDSet_EWUA_Click);
    connect(c.CMDSet_TEST, &QPushButton::clicked, this, &ControlPanel::CMDSet_TEST_Click);

    // toggled fires for a click and for setChecked alike, and only when the value changes:
    // the one-of-n groups depend on exactly that.
    connect(c.Check1, &QCheckBox::toggled, this, &ControlPanel::Check1_Click);
    connect(c.Check21, &QCheckBox::toggled, this, &ControlPanel::Check21_Click);
    connect(c.Check22, &QCheckBox::toggled, this, &ControlPanel::Check22_Click);
    connect(c.Check23, &QCheckBox::toggled, this, &ControlPanel::Check23_Click);
    connect(c.Check24, &QCheckBox::toggled, this, &ControlPanel::Check24_Click);
    connect(c.Check31, &QCheckBox::toggled, this, &ControlPanel::Check31_Click);
    connect(c.Check32, &QCheckBox::toggled, this, &ControlPanel::Check32_Click);
    connect(c.Check33, &QCheckBox::toggled, this, &ControlPanel::Check33_Click);

    for (int index = 0; index < 2; ++index) {
        connect(c.Text5[index], &QLineEdit::textChanged, this,
                [this, index] { Text5_Change(index); });
    }
}

void ControlPanel::showSettings()
{
    const PanelControls &c = m_controls;
    c.Text_SATH->setText(m_record.AlarmHour.toText());
    c.Text_SATM->setText(m_record.AlarmMinute.toText());
    c.Text_SATAMPM->setText(m_record.AlarmAMPM.toText());

    const std::optional<SettingsFile::Selection> selection = SettingsFile::selectionFor(m_record);
    if (selection && selection->optionIndex >= 1
        && selection->optionIndex < static_cast<int>(c.Option1.size()))
        c.Option1[selection->optionIndex]->setChecked(true);
    m_record.AlarmTrack = m_record.LoadedAlarmTrack;

    c.Text5[0]->setText(m_record.RemoteHost.toText());
    c.Text5[1]->setText(m_record.RemotePort.toText());

    if (!selection)
        return;
    showOnly(m_schemeBoxes, selection->backGround - 1);
    showOnly(m_screenBoxes, selection->wakeUpScreen - FirstScreen);
    const QSignalBlocker blocker(c.Check1);
    c.Check1->setChecked(selection->announceHourly);
}

void ControlPanel::CMDSET_TIME_Click()
{
    guarded([this] {
        // One reading of the clock, advanced as a whole, so a carry of the lead reaches the
        // minute, hour and date instead of sending seconds 60 and 61.
        const QDateTime at = m_platform.now().addSecs(Device::TimeLeadSeconds);
        m_link.sendToDevice(Protocol::setTime(at));
    });
}

void ControlPanel::setEntryColour(int colour)
{
    for (QLineEdit *box : {m_controls.Text_SATH, m_controls.Text_SATM, m_controls.Text_SATAMPM}) {
        QPalette palette = box->palette();
        palette.setColor(QPalette::Text, fromBgr(colour));
        box->setPalette(palette);
    }
}

void ControlPanel::Text_SATH_Change()
{
    guarded([this] {
        setEntryColour(EntryUnsent);
        m_record.AlarmHour = SettingValue::fromText(m_controls.Text_SATH->text());
    });
}

void ControlPanel::Text_SATM_Change()
{
    guarded([this] {
        setEntryColour(EntryUnsent);
        m_record.AlarmMinute = SettingValue::fromText(m_controls.Text_SATM->text());
    });
}

void ControlPanel::Text_SATAMPM_Change()
{
    guarded([this] {
        setEntryColour(EntryUnsent);
        QLineEdit *box = m_controls.Text_SATAMPM;
        // Each replacement runs this handler again at once; that run finds "AM" or "PM".
        if (box->text() == QLatin1String("a"))
            box->setText(QStringLiteral("AM"));
        if (box->text() == QLatin1String("A"))
            box->setText(QStringLiteral("AM"));
        if (box->text() == QLatin1String("p"))
            box->setText(QStringLiteral("PM"));
        if (box->text() == QLatin1String("P"))
            box->setText(QStringLiteral("PM"));
        m_record.AlarmAMPM = SettingValue::fromText(box->text());
    });
}

void ControlPanel::scanTrack()
{
    for (int n = 1; n < static_cast<int>(m_controls.Option1.size()); ++n) {
        if (m_controls.Option1[n]->isChecked()) {
            m_record.AlarmTrack = SettingValue::fromNumber(Device::TrackOffset + n);
            break;
        }
    }
    m_record.LoadedAlarmTrack = m_record.AlarmTrack;
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

void ControlPanel::CMDSet_WUA_Click()
{
    guarded([this] {
        const QString hour = m_controls.Text_SATH->text();
        const QString minute = m_controls.Text_SATM->text();
        const QString amPm = m_controls.Text_SATAMPM->text();
        if (hour.isEmpty() || minute.isEmpty() || amPm.isEmpty()) {
            m_platform.beep();
            return;
        }
        scanTrack();
        const std::optional<int> track = trackOf(m_record);
        if (!track)
            return;
        // An hour or minute that is not a whole number is refused like an empty box rather
        // than leaving the start of a command on the wire.
        const std::optional<Protocol::Pieces> pieces
                = Protocol::setAlarm(hour, minute, amPm, *track);
        if (!pieces) {
            m_platform.beep();
            return;
        }
        if (m_link.sendToDevice(*pieces))
            setEntryColour(EntrySent);
    });
}

void ControlPanel::CMDPlay_WUA_Click()
{
    guarded([this] {
        scanTrack();
        if (const std::optional<int> track = trackOf(m_record))
            m_link.sendToDevice(Protocol::playTrack(*track));
    });
}

void ControlPanel::CMDStop_WUA_Click()
{
    guarded([this] { m_link.sendToDevice(Protocol::stopAlarm()); });
}

void ControlPanel::CMDSet_DWUA_Click()
{
    guarded([this] {
        m_link.sendToDevice(Protocol::disableAlarm());
        m_controls.CMDSet_DWUA->setEnabled(false);
        m_controls.CMDSet_EWUA->setEnabled(true);
    });
}

void ControlPanel::CMDSet_EWUA_Click()
{
    guarded([this] {
        m_link.sendToDevice(Protocol::enableAlarm());
        m_controls.CMDSet_DWUA->setEnabled(true);
        m_controls.CMDSet_EWUA->setEnabled(false);
    });
}

void ControlPanel::CMDSet_TEST_Click()
{
    guarded([this] {
        m_link.sendToDevice(Protocol::test());
        m_controls.CMDSet_DWUA->setEnabled(true);
    });
}

void ControlPanel::Check1_Click()
{
    guarded([this] {
        // The setting follows the box before the link is looked at, sent or not.
        const bool on = m_controls.Check1->isChecked();
        m_record.AnnounceHourly = SettingValue::fromNumber(on ? 1 : 0);
        m_link.sendToDevice(Protocol::announceHourly(on));
    });
}

void ControlPanel::schemeClicked(int scheme)
{
    guarded([this, scheme] {
        QCheckBox *box = m_schemeBoxes[scheme - 1];
        if (box->isChecked()) {
            clearOthers(m_schemeBoxes, box);
            // The saved scheme is the one the device took, not the one shown.
            if (m_link.sendToDevice(Protocol::colourScheme(scheme)))
                m_record.BackGrounds = SettingValue::fromNumber(scheme);
        } else if (noneChecked(m_schemeBoxes)) {
            // Runs this handler again, which sends the scheme once more.
            box->setChecked(true);
        }
    });
}

void ControlPanel::screenClicked(int screen)
{
    guarded([this, screen] {
        m_controls.CMDSet_DWUA->setEnabled(true);
        QCheckBox *box = m_screenBoxes[screen - FirstScreen];
        if (box->isChecked()) {
            clearOthers(m_screenBoxes, box);
            if (m_link.sendToDevice(Protocol::wakeUpScreen(screen)))
                m_record.WakeUpScreens = SettingValue::fromNumber(screen);
        } else if (noneChecked(m_screenBoxes)) {
            box->setChecked(true);
        }
    });
}

void ControlPanel::Check21_Click()
{
    schemeClicked(1);
}

void ControlPanel::Check22_Click()
{
    schemeClicked(2);
}

void ControlPanel::Check23_Click()
{
    schemeClicked(3);
}

void ControlPanel::Check24_Click()
{
    schemeClicked(4);
}

void ControlPanel::Check31_Click()
{
    screenClicked(FirstScreen);
}

void ControlPanel::Check32_Click()
{
    screenClicked(FirstScreen + 1);
}

void ControlPanel::Check33_Click()
{
    screenClicked(FirstScreen + 2);
}

void ControlPanel::Text5_Change(int index)
{
    Q_UNUSED(index); // both endpoint boxes mean the same: the settings may be saved
    guarded([this] { m_controls.CMD_SaveExit->setEnabled(true); });
}
