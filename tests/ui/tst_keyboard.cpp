#include "common/fakelinksocket.h"
#include "common/fakeplatform.h"
#include "dawnbellwindow.h"
#include "layout.h"

#include <QtGui/QClipboard>
#include <QtTest/QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>

#include <algorithm>

// The keyboard on the real window with the link connected: Tab through the window, the arrow keys,
// Enter on a command button and a paste into an alarm box.
class tst_Keyboard : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void tabWalksTheTableOrder();
    void tabAndArrowsFollowTheSelection();
    void enterClicksFocusedButton();
    void pasteKeepsWhatFits();

private:
    QWidget *control(const char *name) { return m_window.form().control(QLatin1String(name)); }
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

void tst_Keyboard::tabWalksTheTableOrder()
{
    // Every enabled control that takes focus, by tab index; the track group is one stop, at its
    // selected member.
    std::vector<std::pair<int, QString>> stops; // tab index and name
    for (const ControlSpec &entry : dawnbellLayout()) {
        const QWidget *widget = control(entry.name);
        const auto *option = qobject_cast<const QRadioButton *>(widget);
        if (widget->isEnabled()
            && (option ? option->isChecked()
                       : entry.kind == ControlKind::PushButton
                                || entry.kind == ControlKind::LineEdit
                                || entry.kind == ControlKind::CheckBox))
            stops.emplace_back(entry.tabIndex, QString::fromLatin1(entry.name));
    }
    std::sort(stops.begin(), stops.end());

    m_window.form().control(stops.front().second)->setFocus();
    for (size_t i = 1; i <= stops.size(); ++i) { // and round to the start
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), stops[i % stops.size()].second);
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
