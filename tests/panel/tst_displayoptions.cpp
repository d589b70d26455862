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
        const QSignalBlocker blocker(rig.c.announceBox);
        rig.c.announceBox->setChecked(wasChecked);
    }
    PanelRig::click(rig.c.announceBox);
    QCOMPARE(rig.c.announceBox->isChecked(), !wasChecked);
    QCOMPARE(rig.socket().bytes(), sent);
    QCOMPARE(rig.socket().connectCalls, connects);
    // The setting follows the box even when nothing went out.
    QCOMPARE(rig.saved().AnnounceHourly, SettingValue::fromNumber(wasChecked ? 0 : 1));
}

void TestDisplayOptions::groups_data()
{
    QTest::addColumn<LinkState>("state");
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<QString>("checked");
    QTest::addColumn<QByteArray>("sent");
    // The saved scheme and screen afterwards; kept: the rig's empty record is untouched.
    QTest::addColumn<SettingValue>("scheme");
    QTest::addColumn<SettingValue>("screen");
    const SettingValue kept;
    auto sent = [](double value) { return SettingValue::fromNumber(value); };
    QTest::addColumn<bool>("disableEnabled");
    // The window starts with 21 and 31 checked.
    QTest::newRow("scheme 3, up") << LinkState::Connected << "scheme3"
                                  << "scheme3 screen1" << QByteArray("3") << sent(3.0) << kept
                                  << false;
    QTest::newRow("scheme 2, down") << LinkState::Closed << "scheme2"
                                    << "scheme2 screen1" << QByteArray() << kept << kept << false;
    QTest::newRow("scheme 4, connecting")
            << LinkState::Connecting << "scheme4"
            << "scheme4 screen1" << QByteArray() << kept << kept << false;
    QTest::newRow("checked scheme again, up")
            << LinkState::Connected << "scheme1"
            << "scheme1 screen1" << QByteArray("1") << sent(1.0) << kept << false;
    QTest::newRow("checked scheme again, down")
            << LinkState::Closed << "scheme1"
            << "scheme1 screen1" << QByteArray() << kept << kept << false;
    QTest::newRow("screen 2, up") << LinkState::Connected << "screen2"
                                  << "scheme1 screen2" << QByteArray("6") << kept << sent(6.0)
                                  << true;
    QTest::newRow("screen 3, down") << LinkState::Error << "screen3"
                                    << "scheme1 screen3" << QByteArray() << kept << kept << true;
    QTest::newRow("checked screen again, up")
            << LinkState::Connected << "screen1"
            << "scheme1 screen1" << QByteArray("5") << kept << sent(5.0) << true;
    QTest::newRow("checked screen again, down")
            << LinkState::Closed << "screen1"
            << "scheme1 screen1" << QByteArray() << kept << kept << true;
}

void TestDisplayOptions::groups()
{
    QFETCH(LinkState, state);
    QFETCH(QString, clicked);
    QFETCH(QString, checked);
    QFETCH(QByteArray, sent);
    QFETCH(SettingValue, scheme);
    QFETCH(SettingValue, screen);
    QFETCH(bool, disableEnabled);
    FakeRig rig(state);
    rig.c.disableAlarmButton->setEnabled(false);
    rig.c.enableAlarmButton->setEnabled(false);

    PanelRig::click(rig.box(clicked));
    QCOMPARE(rig.checkedBoxes(), checked);
    QCOMPARE(rig.socket().bytes(), sent);
    QCOMPARE(rig.saved().BackGrounds, scheme);
    QCOMPARE(rig.saved().WakeUpScreens, screen);
    QCOMPARE(rig.c.disableAlarmButton->isEnabled(), disableEnabled);
    QVERIFY(!rig.c.enableAlarmButton->isEnabled());
}

void TestDisplayOptions::twoClicksOnAClearBox_data()
{
    QTest::addColumn<LinkState>("state");
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<QString>("checked");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("scheme, up") << LinkState::Connected << "scheme4"
                                << "scheme4 screen1" << QByteArray("44");
    QTest::newRow("scheme, down") << LinkState::Closed << "scheme4"
                                  << "scheme4 screen1" << QByteArray();
    QTest::newRow("screen, up") << LinkState::Connected << "screen3"
                                << "scheme1 screen3" << QByteArray("77");
    QTest::newRow("announce, up") << LinkState::Connected << "announce"
                                  << "scheme1 screen1" << QByteArray("Hh");
}

void TestDisplayOptions::twoClicksOnAClearBox()
{
    QFETCH(LinkState, state);
    QFETCH(QString, clicked);
    QFETCH(QString, checked);
    QFETCH(QByteArray, sent);
    FakeRig rig(state);
    PanelRig::click(rig.box(clicked));
    PanelRig::click(rig.box(clicked));
    QCOMPARE(rig.checkedBoxes(), checked);
    QCOMPARE(rig.socket().bytes(), sent);
}

QTEST_MAIN(TestDisplayOptions)
#include "tst_displayoptions.moc"
