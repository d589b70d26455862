#include "choicegroup.h"
#include "deviceconstants.h"
#include "form.h"
#include "lampshape.h"
#include "layout.h"
#include "picturebox.h"

#include <QtTest/QtTest>
#include <QtWidgets/QButtonGroup>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>

#include <memory>

using EditMember = QLineEdit *WindowControls::*;
Q_DECLARE_METATYPE(EditMember)

// The window built from the layout table as it shows: its frame, groups, initial states,
// fonts, colours, pictures and the typed-length limit of the alarm time boxes.
class tst_Form : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void window();
    void buttonGroups();
    void initialStates_data();
    void initialStates();
    void typedLengthLimit_data();
    void typedLengthLimit();
    void shownFonts_data();
    void shownFonts();
    void paintedColours_data();
    void paintedColours();
    void bannerLeavesLampVisible();
    void pictures();
    void logoClick();

private:
    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<Form> m_form;
};

void tst_Form::init()
{
    m_window = std::make_unique<QWidget>();
    m_form = std::make_unique<Form>(m_window.get());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_Form::cleanup()
{
    m_form.reset();
    m_window.reset();
}

void tst_Form::window()
{
    QCOMPARE(m_window->size(), QSize(693, 468));
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Dawnbell"));
    const Qt::WindowFlags flags = m_window->windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!m_window->windowIcon().isNull());
    QCOMPARE(QFontInfo(m_window->font()).pointSizeF(), 8.25);
    // The window opens with the focus on the first control in tab order.
    QCOMPARE(m_window->focusWidget(), m_form->controls().stopAlarmButton);
}

void tst_Form::buttonGroups()
{
    const WindowControls &c = m_form->controls();
    QCOMPARE(c.trackGroup->buttons().size(), Device::TrackCount);
    QVERIFY(c.trackGroup->exclusive());
    for (int n = 1; n <= Device::TrackCount; ++n) {
        QRadioButton *option = c.trackButtons[n - 1];
        QCOMPARE(option->text(), QStringLiteral("Alarm #%1").arg(n));
        QCOMPARE(c.trackGroup->id(option), Device::TrackOffset + n);
    }
    QCOMPARE(c.trackGroup->checkedId(), Device::FirstTrack);
    QTest::mouseClick(c.trackButtons[11], Qt::LeftButton);
    QCOMPARE(c.trackGroup->checkedId(), Device::TrackOffset + 12);
    QVERIFY(!c.trackButtons[0]->isChecked());

    // The scheme and screen boxes carry the values their commands send; the panel, not the
    // group, keeps one of them checked.
    QVERIFY(!c.schemeGroup->exclusive());
    for (int n = 1; n <= Device::SchemeCount; ++n) {
        QCOMPARE(c.schemeBoxes[n - 1]->text(), QString::fromLatin1(Device::SchemeNames[n - 1]));
        QCOMPARE(c.schemeGroup->id(c.schemeBoxes[n - 1]), n);
    }
    QVERIFY(!c.screenGroup->exclusive());
    for (int n = 1; n <= Device::ScreenCount; ++n) {
        QCOMPARE(c.screenBoxes[n - 1]->text(), QStringLiteral("Screen %1").arg(n));
        QCOMPARE(c.screenGroup->id(c.screenBoxes[n - 1]), Device::FirstScreenCode + n - 1);
    }
}

void tst_Form::initialStates_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("text");

    QTest::newRow("announce") << "announceBox" << false << true << "Announce Hourly";
    QTest::newRow("scheme 1") << "schemeBox1" << true << true << "Black/Green";
    QTest::newRow("scheme 4") << "schemeBox4" << false << true << "Teal/Black";
    QTest::newRow("screen 1") << "screenBox1" << true << true << "Screen 1";
    QTest::newRow("screen 3") << "screenBox3" << false << true << "Screen 3";
    QTest::newRow("alarm 1") << "trackButton1" << true << true << "Alarm #1";
    QTest::newRow("save and exit") << "saveAndExitButton" << false << false << "Save and Exit";
    QTest::newRow("enable alarm") << "enableAlarmButton" << false << true << "Enable WakeUp Alarm";
    QTest::newRow("host") << "hostEdit" << false << true << "127.0.0.1";
    QTest::newRow("port") << "portEdit" << false << true << "5000";
    QTest::newRow("alarm hour") << "alarmHourEdit" << false << true << "";
    QTest::newRow("date") << "dateLabel" << false << true << "";
    QTest::newRow("banner, two blanks after the colon")
            << "bannerLabel" << false << true
            << "powered by:  WIZnet - Serial to Ethernet, StablE (WIZ750SR)";
}

void tst_Form::initialStates()
{
    QFETCH(QString, name);
    QFETCH(bool, checked);
    QFETCH(bool, enabled);
    QFETCH(QString, text);

    QWidget *widget = m_window->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->isEnabled(), enabled);
    // The clock labels are read by their text and described by the table's name.
    QVERIFY(!widget->accessibleName().isEmpty() || !widget->accessibleDescription().isEmpty());
    if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
        QCOMPARE(button->isChecked(), checked);
        QCOMPARE(button->text().replace(QLatin1Char('\n'), QLatin1Char(' ')), text);
    } else if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
        QCOMPARE(edit->text(), text);
    } else if (auto *label = qobject_cast<QLabel *>(widget)) {
        QCOMPARE(label->text(), text);
    } else {
        QFAIL("unexpected kind");
    }
}

void tst_Form::typedLengthLimit_data()
{
    QTest::addColumn<EditMember>("edit");
    QTest::addColumn<QString>("preset"); // put in by code
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("backspaces");
    QTest::addColumn<QString>("expected");

    QTest::newRow("hour, two typed") << &WindowControls::alarmHourEdit << ""
                                     << "07" << 0 << "07";
    QTest::newRow("hour, third refused") << &WindowControls::alarmHourEdit << ""
                                         << "123" << 0 << "12";
    QTest::newRow("am/pm, third refused") << &WindowControls::alarmAmPmEdit << ""
                                          << "PMX" << 0 << "PM";
    QTest::newRow("long text from code kept") << &WindowControls::alarmHourEdit << "1234"
                                              << "" << 0 << "1234";
    QTest::newRow("long text cannot grow") << &WindowControls::alarmMinuteEdit << "1234"
                                           << "5" << 0 << "1234";
    QTest::newRow("long text can shrink") << &WindowControls::alarmAmPmEdit << "AMPM"
                                          << "" << 1 << "AMP";
    QTest::newRow("host is not limited") << &WindowControls::hostEdit << ""
                                         << "127.0.0.2" << 0 << "127.0.0.2";
}

void tst_Form::typedLengthLimit()
{
    QFETCH(EditMember, edit);
    QFETCH(QString, preset);
    QFETCH(QString, typed);
    QFETCH(int, backspaces);
    QFETCH(QString, expected);

    QLineEdit *box = m_form->controls().*edit;
    box->setText(preset);
    QCOMPARE(box->text(), preset);
    box->setFocus();
    box->end(false);
    for (int i = 0; i < backspaces; ++i)
        QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, typed);
    QCOMPARE(box->text(), expected);
}

void tst_Form::shownFonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("pointSize");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("underline");
    // A control in a group box keeps its own font, not the bold of the box's title.
    QTest::newRow("button in a group") << "setTimeButton" << 8.25 << false << false;
    QTest::newRow("group title") << "alarmFrame" << 8.25 << true << false;
    QTest::newRow("host box") << "hostEdit" << 9.75 << true << false;
    QTest::newRow("time") << "timeLabel" << 12.0 << true << false;
    QTest::newRow("banner") << "bannerLabel" << 14.25 << true << true;
}

void tst_Form::shownFonts()
{
    QFETCH(QString, name);
    QFETCH(double, pointSize);
    QFETCH(bool, bold);
    QFETCH(bool, underline);
    const QFontInfo shown(m_window->findChild<QWidget *>(name)->font());
    QCOMPARE(shown.pointSizeF(), pointSize);
    QCOMPARE(shown.bold(), bold);
    QCOMPARE(shown.underline(), underline);
}

void tst_Form::paintedColours_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("at"); // a pixel of the control's background
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QColor>("text"); // QColor() where not checked

    QTest::newRow("wake up label")
            << "screen3Preview" << QPoint(2, 2) << QColor(255, 0, 0) << QColor(255, 255, 255);
    QTest::newRow("save and exit face")
            << "saveAndExitButton" << QPoint(44, 3) << QColor(255, 255, 255) << QColor();
    QTest::newRow("host box") << "hostEdit" << QPoint(4, 4) << QColor(255, 255, 255)
                              << QColor(0, 0, 0);
    QTest::newRow("alarm hour") << "alarmHourEdit" << QPoint(4, 4) << QColor() << QColor(255, 0, 0);
    QTest::newRow("alarm track") << "trackButton4" << QPoint() << QColor() << QColor(0, 0, 64);
    QTest::newRow("banner") << "bannerLabel" << QPoint() << QColor() << QColor(255, 0, 0);
}

void tst_Form::paintedColours()
{
    QFETCH(QString, name);
    QFETCH(QPoint, at);
    QFETCH(QColor, background);
    QFETCH(QColor, text);

    QWidget *widget = m_window->findChild<QWidget *>(name);
    QVERIFY(widget);
    if (background.isValid()) {
        const QImage image = widget->grab().toImage();
        QCOMPARE(image.pixelColor(at * image.devicePixelRatio()).toRgb(), background);
    }
    if (text.isValid())
        QCOMPARE(widget->palette().color(widget->foregroundRole()), text);
}

void tst_Form::bannerLeavesLampVisible()
{
    LampShape *lamp = m_form->controls().linkLamp;
    QWidget *banner = m_form->controls().bannerLabel;
    QVERIFY(banner->geometry().intersects(lamp->geometry()));
    lamp->setFillColour(Qt::green);
    // The lamp's top rows lie under the banner; they must still show green.
    const QPoint underBanner(lamp->geometry().center().x(), banner->geometry().bottom());
    const QImage image = m_window->grab().toImage();
    QCOMPARE(image.pixelColor(underBanner * image.devicePixelRatio()).toRgb(), QColor(0, 255, 0));
    QCOMPARE(m_window->childAt(underBanner), lamp);
}

void tst_Form::pictures()
{
    const WindowControls &c = m_form->controls();
    for (const PictureBox *box : {c.logoPicture, c.screen1Picture, c.screen2Picture}) {
        QVERIFY(box->hasScaledContents());
        QCOMPARE(box->pixmap().size(), box->size());
    }
    for (const QCheckBox *box : c.screenBoxes)
        QVERIFY(box->icon().isNull());
}

void tst_Form::logoClick()
{
    PictureBox *logo = m_form->controls().logoPicture;
    QSignalSpy clicked(logo, &PictureBox::clicked);
    QTest::mouseClick(logo, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    QTest::mouseClick(logo, Qt::RightButton);
    QCOMPARE(clicked.count(), 1);
}

QTEST_MAIN(tst_Form)
#include "tst_form.moc"
