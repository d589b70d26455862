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

// The keyboard on the real window with the link connected: Tab through the whole window, Tab
// into the alarm track group and the arrow keys in it, Enter on a command button and a paste into
// an alarm box.
class tst_Keyboard : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void tabWalksTheTableOrder();
    void tabAndArrowsFollowTheSelection();
    void arrowsOnABoxWalkTheTabOrder();
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
    // The stops Tab should visit: every enabled control that takes focus, by tab index, with the
    // alarm track group as one stop at its selected member.
    std::vector<const ControlSpec *> stops;
    for (const ControlSpec &entry : dawnbellLayout()) {
        const QWidget *widget = control(entry.name);
        const auto *option = qobject_cast<const QRadioButton *>(widget);
        const bool takesFocus = entry.kind == ControlKind::CommandButton
                || entry.kind == ControlKind::TextBox || entry.kind == ControlKind::CheckBox
                || (option && option->isChecked());
        if (takesFocus && widget->isEnabled())
            stops.push_back(&entry);
    }
    std::sort(stops.begin(), stops.end(),
              [](const ControlSpec *a, const ControlSpec *b) { return a->tabIndex < b->tabIndex; });

    QStringList expected;
    for (const ControlSpec *entry : stops)
        expected << QString::fromLatin1(entry->name);
    expected << expected.first(); // and round to the start
    QStringList walked{expected.first()};
    control(stops.front()->name)->setFocus();
    while (walked.size() < expected.size()) {
        press(Qt::Key_Tab);
        walked << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(walked, expected);
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
    QVERIFY(m_socket.written.isEmpty());
}

void tst_Keyboard::arrowsOnABoxWalkTheTabOrder()
{
    const WindowControls &c = m_window.form().controls();
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
