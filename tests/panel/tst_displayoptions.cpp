#include "panelrig.h"

// The announcement box and the one-of-n scheme and screen groups.
class TestDisplayOptions : public QObject
{
    Q_OBJECT

private slots:
    void announceHourly_data();
    void announceHourly();
    void groups_data();
    void groups();
    void twoClicksOnAClearBox_data();
    void twoClicksOnAClearBox();
};

namespace {

QCheckBox *box(const PanelControls &c, const QString &name)
{
    const QMap<QString, QCheckBox *> boxes
            = {{"1", c.Check1},   {"21", c.Check21}, {"22", c.Check22}, {"23", c.Check23},
               {"24", c.Check24}, {"31", c.Check31}, {"32", c.Check32}, {"33", c.Check33}};
    return boxes.value(name);
}

} // namespace

void TestDisplayOptions::announceHourly_data()
{
    QTest::addColumn<LinkState>("state");
    QTest::addColumn<bool>("wasChecked");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<int>("connects");
    QTest::newRow("check, up") << LinkState::Connected << false << QByteArray("H") << 0;
    QTest::newRow("check, down") << LinkState::Closed << false << QByteArray() << 1;
    QTest::newRow("clear, up") << LinkState::Connected << true << QByteArray("h") << 0;
    QTest::newRow("clear, failed") << LinkState::Error << true << QByteArray() << 1;
}

void TestDisplayOptions::announceHourly()
{
    QFETCH(LinkState, state);
    QFETCH(bool, wasChecked);
    QFETCH(QByteArray, sent);
    QFETCH(int, connects);
    FakeRig rig(state);
    {
        const QSignalBlocker blocker(rig.c.Check1);
        rig.c.Check1->setChecked(wasChecked);
    }
    PanelRig::click(rig.c.Check1);
    QCOMPARE(rig.c.Check1->isChecked(), !wasChecked);
    QCOMPARE(rig.socket().bytes(), sent);
    QCOMPARE(rig.socket().connectCalls, connects);
    // The setting follows the box even when nothing went out.
    QCOMPARE(rig.record.AnnounceHourly, SettingValue::fromNumber(wasChecked ? 0 : 1));
}

void TestDisplayOptions::groups_data()
{
    QTest::addColumn<LinkState>("state");
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<QString>("checked");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<double>("scheme"); // BackGrounds afterwards; the rig starts it at 9
    QTest::addColumn<double>("screen"); // WakeUpScreens afterwards; starts at 8
    QTest::addColumn<bool>("disableEnabled");
    // The window starts with 21 and 31 checked.
    QTest::newRow("scheme 3, up") << LinkState::Connected << "23"
                                  << "23 31" << QByteArray("3") << 3.0 << 8.0 << false;
    QTest::newRow("scheme 2, down") << LinkState::Closed << "22"
                                    << "22 31" << QByteArray() << 9.0 << 8.0 << false;
    QTest::newRow("scheme 4, connecting") << LinkState::Connecting << "24"
                                          << "24 31" << QByteArray() << 9.0 << 8.0 << false;
    QTest::newRow("checked scheme again, up") << LinkState::Connected << "21"
                                              << "21 31" << QByteArray("1") << 1.0 << 8.0 << false;
    QTest::newRow("checked scheme again, down") << LinkState::Closed << "21"
                                                << "21 31" << QByteArray() << 9.0 << 8.0 << false;
    QTest::newRow("screen 2, up") << LinkState::Connected << "32"
                                  << "21 32" << QByteArray("6") << 9.0 << 6.0 << true;
    QTest::newRow("screen 3, down") << LinkState::Error << "33"
                                    << "21 33" << QByteArray() << 9.0 << 8.0 << true;
    QTest::newRow("checked screen again, up") << LinkState::Connected << "31"
                                              << "21 31" << QByteArray("5") << 9.0 << 5.0 << true;
    QTest::newRow("checked screen again, down") << LinkState::Closed << "31"
                                                << "21 31" << QByteArray() << 9.0 << 8.0 << true;
}

void TestDisplayOptions::groups()
{
    QFETCH(LinkState, state);
    QFETCH(QString, clicked);
    QFETCH(QString, checked);
    QFETCH(QByteArray, sent);
    QFETCH(double, scheme);
    QFETCH(double, screen);
    QFETCH(bool, disableEnabled);
    FakeRig rig(state);
    rig.record.BackGrounds = SettingValue::fromNumber(9);
    rig.record.WakeUpScreens = SettingValue::fromNumber(8);
    rig.c.CMDSet_DWUA->setEnabled(false);
    rig.c.CMDSet_EWUA->setEnabled(false);

    PanelRig::click(box(rig.c, clicked));
    QCOMPARE(rig.checkedBoxes(), checked);
    QCOMPARE(rig.socket().bytes(), sent);
    QCOMPARE(rig.record.BackGrounds, SettingValue::fromNumber(scheme));
    QCOMPARE(rig.record.WakeUpScreens, SettingValue::fromNumber(screen));
    QCOMPARE(rig.c.CMDSet_DWUA->isEnabled(), disableEnabled);
    QVERIFY(!rig.c.CMDSet_EWUA->isEnabled());
}

void TestDisplayOptions::twoClicksOnAClearBox_data()
{
    QTest::addColumn<LinkState>("state");
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<QString>("checked");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("scheme, up") << LinkState::Connected << "24"
                                << "24 31" << QByteArray("44");
    QTest::newRow("scheme, down") << LinkState::Closed << "24"
                                  << "24 31" << QByteArray();
    QTest::newRow("screen, up") << LinkState::Connected << "33"
                                << "21 33" << QByteArray("77");
    QTest::newRow("announce, up") << LinkState::Connected << "1"
                                  << "21 31" << QByteArray("Hh");
}

void TestDisplayOptions::twoClicksOnAClearBox()
{
    QFETCH(LinkState, state);
    QFETCH(QString, clicked);
    QFETCH(QString, checked);
    QFETCH(QByteArray, sent);
    FakeRig rig(state);
    PanelRig::click(box(rig.c, clicked));
    PanelRig::click(box(rig.c, clicked));
    QCOMPARE(rig.checkedBoxes(), checked);
    QCOMPARE(rig.socket().bytes(), sent);
}

QTEST_MAIN(TestDisplayOptions)
#include "tst_displayoptions.moc"
