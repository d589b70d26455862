#include "app/dawnbellwindow.h"
#include "link/linkstate.h"
#include "tests/common/fakelinksocket.h"
#include "tests/common/fakeplatform.h"

#include <QtGui/QClipboard>
#include <QtTest/QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>

#include <memory>

// The keyboard on the real window: Tab into the alarm track group, the arrow keys in it, Enter
// on a command button and a paste into an alarm box, with the link connected.
class tst_Keyboard : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void tabAndArrowsFollowTheSelection();
    void enterClicksFocusedButton();
    void pasteKeepsWhatFits_data();
    void pasteKeepsWhatFits();

private:
    QWidget *control(const char *name) const
    {
        return m_window->form().control(QLatin1String(name));
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<FakeLinkSocket> m_socket;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<DawnbellWindow> m_window;
};

void tst_Keyboard::init()
{
    m_socket = std::make_unique<FakeLinkSocket>();
    m_platform = std::make_unique<FakePlatform>();
    m_window = std::make_unique<DawnbellWindow>(*m_socket, *m_platform,
                                                m_dir.filePath(QStringLiteral("setupdata.ini")));
    m_socket->setState(LinkState::Connected);
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void tst_Keyboard::cleanup()
{
    m_window.reset();
    m_platform.reset();
    m_socket.reset();
}

void tst_Keyboard::tabAndArrowsFollowTheSelection()
{
    // Selected by code, as the settings loader does.
    qobject_cast<QRadioButton *>(control("Option1(5)"))->setChecked(true);
    control("CMDStop_WUA")->setFocus(); // tab position 1; the options hold 2 to 17
    press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), control("Option1(5)"));

    press(Qt::Key_Down);
    press(Qt::Key_Right);
    QCOMPARE(QApplication::focusWidget(), control("Option1(14)"));
    QVERIFY(qobject_cast<QRadioButton *>(control("Option1(14)"))->isChecked());
    QVERIFY(m_socket->written.isEmpty());

    press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), control("CMDPlay_WUA")); // tab position 18
    press(Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), control("Option1(14)"));
    QVERIFY(m_socket->written.isEmpty());
}

void tst_Keyboard::enterClicksFocusedButton()
{
    control("CMDPlay_WUA")->setFocus();
    press(Qt::Key_Return);
    QCOMPARE(m_socket->bytes(), QByteArray("P, 150, 0"));
    control("CMDStop_WUA")->setFocus();
    press(Qt::Key_Enter);
    QCOMPARE(m_socket->bytes(), QByteArray("P, 150, 0S"));
}

void tst_Keyboard::pasteKeepsWhatFits_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("selectAll");
    QTest::addColumn<QString>("after");

    QTest::newRow("over the selected text") << "12" << true << "98";
    QTest::newRow("after one character") << "1" << false << "19";
    QTest::newRow("into a full box") << "12" << false << "12";
}

void tst_Keyboard::pasteKeepsWhatFits()
{
    QFETCH(QString, before);
    QFETCH(bool, selectAll);
    QFETCH(QString, after);

    auto *box = qobject_cast<QLineEdit *>(control("Text_SATH"));
    box->setText(before);
    box->setFocus();
    box->end(false);
    if (selectAll)
        box->selectAll();
    QGuiApplication::clipboard()->setText(QStringLiteral("987654"));
    press(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(box->text(), after);
    QCOMPARE(m_window->setupData().AlarmHour.toText(), after);

    // The limit still holds for what is typed next.
    QTest::keyClicks(box, QStringLiteral("7"));
    QCOMPARE(box->text(), after);
}

QTEST_MAIN(tst_Keyboard)
#include "tst_keyboard.moc"
