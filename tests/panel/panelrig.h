#pragma once

#include "common/fakelinksocket.h"
#include "common/fakeplatform.h"
#include "controlpanel.h"
#include "deviceconstants.h"
#include "devicelink.h"
#include "linkstate.h"
#include "setupdata.h"

#include <QtTest/QTest>
#include <QtWidgets/QButtonGroup>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QWidget>

#include <array>
#include <memory>

// Readable failure messages for settings fields: kind and value.
inline char *toString(const SettingValue &value)
{
    const char *kind = value.isText() ? "text" : value.isNumber() ? "number" : "empty";
    return QTest::toString(QStringLiteral("%1 \"%2\"").arg(QLatin1String(kind), value.toText()));
}

// Real widgets in a shown window, wired to a ControlPanel over a real DeviceLink on the given
// socket, with the widget states the window starts with.
class PanelRig
{
public:
    explicit PanelRig(LinkSocket &socket)
        : link(socket)
    {
        // Compact enough for the offscreen screen: a click lands only inside the window.
        auto *layout = new QGridLayout(&window);
        auto place = [layout](QWidget *widget) {
            const int n = layout->count();
            layout->addWidget(widget, n / 4, n % 4);
        };
        auto button = [&](const char *caption) {
            auto *b = new QPushButton(QString::fromLatin1(caption), &window);
            place(b);
            return b;
        };
        auto edit = [&] {
            auto *e = new QLineEdit(&window);
            place(e);
            return e;
        };
        auto check = [&](const char *caption) {
            auto *c = new QCheckBox(QString::fromLatin1(caption), &window);
            place(c);
            return c;
        };
        c.setTimeButton = button("SET Date/Time");
        c.setAlarmButton = button("Set-Up");
        c.playAlarmButton = button("Play");
        c.stopAlarmButton = button("Stop");
        c.enableAlarmButton = button("Enable");
        c.disableAlarmButton = button("Disable");
        c.testButton = button("TEST!");
        c.saveAndExitButton = button("Save and Exit");
        c.saveAndExitButton->setEnabled(false);
        c.alarmHourEdit = edit();
        c.alarmMinuteEdit = edit();
        c.alarmAmPmEdit = edit();
        c.hostEdit = edit();
        c.portEdit = edit();
        c.announceBox = check("Announce Hourly");

        // The groups as the window builds them, ids and all.
        c.trackGroup = new QButtonGroup(&window);
        for (int n = 1; n <= Device::TrackCount; ++n) {
            trackButtons[n - 1] = new QRadioButton(QStringLiteral("Alarm #%1").arg(n), &window);
            place(trackButtons[n - 1]);
            c.trackGroup->addButton(trackButtons[n - 1], Device::TrackOffset + n);
        }
        c.schemeGroup = new QButtonGroup(&window);
        c.schemeGroup->setExclusive(false);
        for (int n = 1; n <= Device::SchemeCount; ++n)
            c.schemeGroup->addButton(schemeBoxes[n - 1] = check(Device::SchemeNames[n - 1]), n);
        c.screenGroup = new QButtonGroup(&window);
        c.screenGroup->setExclusive(false);
        for (int n = 1; n <= Device::ScreenCount; ++n) {
            screenBoxes[n - 1] = check("Screen");
            c.screenGroup->addButton(screenBoxes[n - 1], Device::FirstScreenCode + n - 1);
        }
        schemeBoxes[0]->setChecked(true);
        screenBoxes[0]->setChecked(true);
        panel = std::make_unique<ControlPanel>(c, link, record, platform);
        window.show();
    }

    static QColor colourOf(const QLineEdit *box) { return box->palette().color(QPalette::Text); }

    QList<QColor> entryColours() const
    {
        return {colourOf(c.alarmHourEdit), colourOf(c.alarmMinuteEdit), colourOf(c.alarmAmPmEdit)};
    }

    QRadioButton *trackButton(int n) const { return trackButtons[n - 1]; }

    // A check box by the name checkedBoxes() gives it: "announce", "scheme2", "screen3".
    QCheckBox *box(const QString &name) const
    {
        if (name == QLatin1String("announce"))
            return c.announceBox;
        const int n = name.right(1).toInt();
        return name.startsWith(QLatin1String("scheme")) ? schemeBoxes[n - 1] : screenBoxes[n - 1];
    }

    // The checked boxes, announcement first, as one readable string ("scheme1 screen1").
    QString checkedBoxes() const
    {
        QStringList names;
        if (c.announceBox->isChecked())
            names << QStringLiteral("announce");
        for (int n = 1; n <= Device::SchemeCount; ++n) {
            if (schemeBoxes[n - 1]->isChecked())
                names << QStringLiteral("scheme%1").arg(n);
        }
        for (int n = 1; n <= Device::ScreenCount; ++n) {
            if (screenBoxes[n - 1]->isChecked())
                names << QStringLiteral("screen%1").arg(n);
        }
        return names.join(QLatin1Char(' '));
    }

    static void click(QAbstractButton *button) { QTest::mouseClick(button, Qt::LeftButton); }

    QWidget window;
    PanelControls c;
    std::array<QRadioButton *, Device::TrackCount> trackButtons{};
    std::array<QCheckBox *, Device::SchemeCount> schemeBoxes{};
    std::array<QCheckBox *, Device::ScreenCount> screenBoxes{};
    DeviceLink link;
    SetupData record;
    FakePlatform platform;
    std::unique_ptr<ControlPanel> panel;
};

// Holds the recording socket so that it is built before the rig that refers to it.
struct FakeSocketHolder
{
    FakeLinkSocket fakeSocket;
};

// The rig over a recording socket whose state the test sets.
class FakeRig : private FakeSocketHolder, public PanelRig
{
public:
    explicit FakeRig(LinkState state = LinkState::Closed)
        : PanelRig(fakeSocket)
    {
        fakeSocket.setState(state);
    }

    FakeLinkSocket &socket() { return fakeSocket; }
};
