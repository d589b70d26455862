#pragma once

#include "common/fakelinksocket.h"
#include "common/fakeplatform.h"
#include "dawnbellwindow.h"
#include "deviceconstants.h"
#include "linkstate.h"
#include "setupdata.h"

#include <QtCore/QTemporaryDir>
#include <QtTest/QTest>
#include <QtWidgets/QButtonGroup>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>

// Readable failure messages for settings fields: kind and value.
inline char *toString(const SettingValue &value)
{
    const char *kind = value.isText() ? "text" : value.isNumber() ? "number" : "empty";
    return QTest::toString(QStringLiteral("%1 \"%2\"").arg(QLatin1String(kind), value.toText()));
}

// The panel's real window over a given socket, with a stand-in machine, shown and with the
// control states it starts with. Nothing is loaded: the settings are the defaults, as the
// window would save them: an empty record.
class PanelRig
{
public:
    explicit PanelRig(LinkSocket &socket)
        : window(socket, platform, dir.filePath(QStringLiteral("setupdata.ini")))
        , c(window.form().controls())
    {
        window.show();
    }

    // The record a save would write now.
    SetupData saved() const { return window.clockSettings().record(); }
    // Shows a loaded record, as the start-up does.
    void load(const SetupData &record) { window.clockSettings().load(record); }

    static QColor colourOf(const QLineEdit *box) { return box->palette().color(QPalette::Text); }

    QList<QColor> entryColours() const
    {
        return {colourOf(c.alarmHourEdit), colourOf(c.alarmMinuteEdit), colourOf(c.alarmAmPmEdit)};
    }

    QRadioButton *trackButton(int n) const { return c.trackButtons[n - 1]; }
    // Leaves no track button selected.
    void clearTrack() const
    {
        c.trackGroup->setExclusive(false);
        for (QRadioButton *button : c.trackButtons)
            button->setChecked(false);
        c.trackGroup->setExclusive(true);
    }

    // A check box by the name checkedBoxes() gives it: "announce", "scheme2", "screen3".
    QCheckBox *box(const QString &name) const
    {
        if (name == QLatin1String("announce"))
            return c.announceBox;
        const int n = name.right(1).toInt();
        return name.startsWith(QLatin1String("scheme")) ? c.schemeBoxes[n - 1]
                                                        : c.screenBoxes[n - 1];
    }

    // The checked boxes, announcement first, as one readable string ("scheme1 screen1").
    QString checkedBoxes() const
    {
        QStringList names;
        if (c.announceBox->isChecked())
            names << QStringLiteral("announce");
        for (int n = 1; n <= Device::SchemeCount; ++n) {
            if (c.schemeBoxes[n - 1]->isChecked())
                names << QStringLiteral("scheme%1").arg(n);
        }
        for (int n = 1; n <= Device::ScreenCount; ++n) {
            if (c.screenBoxes[n - 1]->isChecked())
                names << QStringLiteral("screen%1").arg(n);
        }
        return names.join(QLatin1Char(' '));
    }

    static void click(QAbstractButton *button) { QTest::mouseClick(button, Qt::LeftButton); }
    // Puts the text over the box's as the user's paste does, through its validator and its
    // edit signal.
    static void paste(QLineEdit *box, const QString &text)
    {
        box->selectAll();
        if (text.isEmpty())
            box->del();
        else
            box->insert(text);
    }

    FakePlatform platform;
    QTemporaryDir dir;
    DawnbellWindow window;
    const WindowControls &c;
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
