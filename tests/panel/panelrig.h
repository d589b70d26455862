#pragma once

#include "common/fakelinksocket.h"
#include "common/fakeplatform.h"
#include "controlpanel.h"
#include "devicelink.h"
#include "linkstate.h"
#include "setupdata.h"

#include <QtTest/QTest>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QWidget>

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
        c.CMDSET_TIME = button("SET Date/Time");
        c.CMDSet_WUA = button("Set-Up");
        c.CMDPlay_WUA = button("Play");
        c.CMDStop_WUA = button("Stop");
        c.CMDSet_EWUA = button("Enable");
        c.CMDSet_DWUA = button("Disable");
        c.CMDSet_TEST = button("TEST!");
        c.CMD_SaveExit = button("Save and Exit");
        c.CMD_SaveExit->setEnabled(false);
        c.Text_SATH = edit();
        c.Text_SATM = edit();
        c.Text_SATAMPM = edit();
        c.Text5 = {edit(), edit()};
        for (int n = 1; n <= 16; ++n) {
            c.Option1[n] = new QRadioButton(QStringLiteral("Alarm #%1").arg(n), &window);
            place(c.Option1[n]);
        }
        c.Check1 = check("Announce Hourly");
        c.Check21 = check("Black/Green");
        c.Check22 = check("Black/Red");
        c.Check23 = check("Blue/Yellow");
        c.Check24 = check("Teal/Black");
        c.Check31 = check("Screen 1");
        c.Check32 = check("Screen 2");
        c.Check33 = check("Screen 3");
        c.Check21->setChecked(true);
        c.Check31->setChecked(true);
        panel = std::make_unique<ControlPanel>(c, link, record, platform);
        window.show();
    }

    // Text colour of an entry box, blue-green-red like the panel's colour values.
    static int colourOf(const QLineEdit *box)
    {
        const QColor colour = box->palette().color(QPalette::Text);
        return colour.red() | colour.green() << 8 | colour.blue() << 16;
    }

    QList<int> entryColours() const
    {
        return {colourOf(c.Text_SATH), colourOf(c.Text_SATM), colourOf(c.Text_SATAMPM)};
    }

    // Checked boxes of both groups and Check1, as one readable string ("21 31").
    QString checkedBoxes() const
    {
        QStringList names;
        const QList<QPair<QCheckBox *, const char *>> boxes
                = {{c.Check1, "1"},   {c.Check21, "21"}, {c.Check22, "22"}, {c.Check23, "23"},
                   {c.Check24, "24"}, {c.Check31, "31"}, {c.Check32, "32"}, {c.Check33, "33"}};
        for (const auto &[box, name] : boxes) {
            if (box->isChecked())
                names << QString::fromLatin1(name);
        }
        return names.join(QLatin1Char(' '));
    }

    static void click(QAbstractButton *button) { QTest::mouseClick(button, Qt::LeftButton); }

    QWidget window;
    PanelControls c;
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
