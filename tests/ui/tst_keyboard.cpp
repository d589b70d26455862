#include "common/fakelinksocket.h"
#include "common/fakeplatform.h"
#include "dawnbellwindow.h"

#include <QtGui/QClipboard>
#include <QtTest/QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>

// The keyboard on the real window with the link connected: Tab through the window, the arrow keys,
// Enter on a command button and a paste into an alarm box.
class tst_Keyboard : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void tabWalksTheWindow();
    void tabAndArrowsFollowTheSelection();
    void enterClicksFocusedButton();
    void pasteKeepsWhatFits();

private:
    static void press(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }

    QTemporaryDir m_dir;
    FakeLinkSocket m_socket;
    FakePlatform m_platform;
    DawnbellWindow m_window{m_socket, m_platform, m_dir.filePath(QStringLiteral("setupdata.ini"))};
};

void tst_Keyboard::initTestCase()
{
    m_socket.setState(LinkState::Connected);
    m_window.show();
    QApplication::setActiveWindow(&m_window);
    QVERIFY(QTest::qWaitForWindowActive(&m_window));
}

void tst_Keyboard::tabWalksTheWindow()
{
    // Every enabled control that takes focus, as Tab reaches it; the track group is one stop, at
    // its selected member, and "Save and Exit" is skipped while it is disabled.
    const QStringList stops{"stopAlarmButton",    "trackButton1",  "playAlarmButton",
                            "setTimeButton",      "announceBox",   "schemeBox1",
                            "schemeBox2",         "schemeBox3",    "schemeBox4",
                            "screenBox1",         "screenBox2",    "screenBox3",
                            "setAlarmButton",     "alarmAmPmEdit", "alarmMinuteEdit",
                            "alarmHourEdit",      "testButton",    "enableAlarmButton",
                            "disableAlarmButton", "hostEdit",      "portEdit"};
    m_window.findChild<QWidget *>(stops.front())->setFocus();
    for (qsizetype i = 1; i <= stops.size(); ++i) { // and round to the start
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), stops[i % stops.size()]);
    }
}

void tst_Keyboard::tabAndArrowsFollowTheSelection()
{
    // Selected by code, as the settings loader does.
    const WindowControls &c = m_window.form().controls();
    c.trackButtons[4]->setChecked(true);
    c.stopAlarmButton->setFocus(); // tab position 1; the track buttons hold 2 to 17
    press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), c.trackButtons[4]);
    press(Qt::Key_Right);
    QCOMPARE(QApplication::focusWidget(), c.trackButtons[12]);
    QVERIFY(c.trackButtons[12]->isChecked());
    // On the scheme and screen boxes the arrows walk the tab order.
    c.schemeBoxes.back()->setFocus();
    press(Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), c.screenBoxes.front());
    press(Qt::Key_Left);
    QCOMPARE(QApplication::focusWidget(), c.schemeBoxes.back());
    QVERIFY(m_socket.written.isEmpty());
}

void tst_Keyboard::enterClicksFocusedButton()
{
    m_window.form().controls().stopAlarmButton->setFocus();
    press(Qt::Key_Return);
    QCOMPARE(m_socket.bytes(), QByteArray("S"));
}

void tst_Keyboard::pasteKeepsWhatFits()
{
    QLineEdit *box = m_window.form().controls().alarmHourEdit;
    box->setText(QStringLiteral("12"));
    box->setFocus();
    box->selectAll();
    QGuiApplication::clipboard()->setText(QStringLiteral("987654"));
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(box->text(), QStringLiteral("98"));
}

QTEST_MAIN(tst_Keyboard)
#include "tst_keyboard.moc"
