#include "panelrig.h"

Q_DECLARE_METATYPE(SettingValue)

// Showing a loaded record: what the controls show, and that loading sends nothing.
class TestShowSettings : public QObject
{
    Q_OBJECT

private slots:
    void checksExactlyTheSavedBoxes_data();
    void checksExactlyTheSavedBoxes();
    void textsGoThroughTheirHandlers();
    void unchangedEndpointKeepsSaveDisabled();
};

namespace {

SetupData loadedRecord(const SettingValue &scheme, const SettingValue &screen,
                       const SettingValue &announce)
{
    SetupData record;
    record.AlarmHour = SettingValue::fromNumber(7);
    record.AlarmMinute = SettingValue::fromText(QStringLiteral("05"));
    record.AlarmAMPM = SettingValue::fromText(QStringLiteral("PM"));
    record.AlarmTrack = SettingValue::fromNumber(151);
    record.BackGrounds = scheme;
    record.WakeUpScreens = screen;
    record.AnnounceHourly = announce;
    record.RemoteHost = SettingValue::fromText(QStringLiteral("127.0.0.1"));
    record.RemotePort = SettingValue::fromText(QStringLiteral("5000"));
    return record;
}

} // namespace

void TestShowSettings::checksExactlyTheSavedBoxes_data()
{
    QTest::addColumn<SettingValue>("scheme");
    QTest::addColumn<SettingValue>("screen");
    QTest::addColumn<SettingValue>("announce");
    QTest::addColumn<LinkState>("state");
    QTest::addColumn<QString>("checked");
    auto text = [](const char *t) { return SettingValue::fromText(QString::fromLatin1(t)); };
    auto number = [](double n) { return SettingValue::fromNumber(n); };
    QTest::newRow("default file") << text("1") << text("1") << text("0") << LinkState::Connected
                                  << "scheme1";
    QTest::newRow("scheme 3, screen 7, on") << number(3) << number(7) << number(1)
                                            << LinkState::Connected << "announce scheme3 screen3";
    QTest::newRow("scheme 4 as text, screen 6")
            << text("4") << number(6) << number(0) << LinkState::Connected << "scheme4 screen2";
    QTest::newRow("nothing matches")
            << number(0) << number(4) << number(2) << LinkState::Connected << "";
    QTest::newRow("scheme 5, screen 5")
            << number(5) << number(5) << number(1) << LinkState::Closed << "announce screen1";
    QTest::newRow("empty fields") << SettingValue() << SettingValue() << SettingValue()
                                  << LinkState::Error << "";
}

void TestShowSettings::checksExactlyTheSavedBoxes()
{
    QFETCH(SettingValue, scheme);
    QFETCH(SettingValue, screen);
    QFETCH(SettingValue, announce);
    QFETCH(LinkState, state);
    QFETCH(QString, checked);
    FakeRig rig(state);
    rig.c.disableAlarmButton->setEnabled(false);

    rig.load(loadedRecord(scheme, screen, announce));
    QCOMPARE(rig.checkedBoxes(), checked);
    QVERIFY(rig.socket().written.isEmpty());
    QCOMPARE(rig.socket().connectCalls, 0);
    // The saved choices survive: no click handler ran to record what it found.
    QCOMPARE(rig.saved().BackGrounds, scheme);
    QCOMPARE(rig.saved().WakeUpScreens, screen);
    QCOMPARE(rig.saved().AnnounceHourly, announce);
    QVERIFY(!rig.c.disableAlarmButton->isEnabled());
}

void TestShowSettings::textsGoThroughTheirHandlers()
{
    FakeRig rig(LinkState::Connected);
    SetupData record = loadedRecord(SettingValue::fromNumber(1), SettingValue::fromNumber(5),
                                    SettingValue::fromNumber(0));
    record.AlarmAMPM = SettingValue::fromText(QStringLiteral("p"));
    record.RemoteHost = SettingValue::fromText(QStringLiteral("127.0.0.2"));
    rig.load(record);

    QCOMPARE(rig.c.alarmHourEdit->text(), QStringLiteral("7"));
    QCOMPARE(rig.c.alarmAmPmEdit->text(), QStringLiteral("PM"));
    // The change handlers stored the boxes' texts back, as texts.
    QCOMPARE(rig.saved().AlarmHour, SettingValue::fromText(QStringLiteral("7")));
    QCOMPARE(rig.saved().AlarmMinute, SettingValue::fromText(QStringLiteral("05")));
    QCOMPARE(rig.saved().AlarmAMPM, SettingValue::fromText(QStringLiteral("PM")));
    QCOMPARE(rig.entryColours(), QList<QColor>(3, Qt::red));
    QVERIFY(rig.trackButton(2)->isChecked());
    QCOMPARE(rig.saved().AlarmTrack, SettingValue::fromNumber(151));
    // An endpoint other than the built-in one can be saved at once.
    QCOMPARE(rig.c.hostEdit->text(), QStringLiteral("127.0.0.2"));
    QCOMPARE(rig.c.portEdit->text(), QStringLiteral("5000"));
    QVERIFY(rig.c.saveAndExitButton->isEnabled());
    QVERIFY(rig.socket().written.isEmpty());

    // The shown alarm is the one Set-Up sends.
    PanelRig::click(rig.c.setAlarmButton);
    QCOMPARE(rig.socket().bytes(), QByteArray("A, 7, 5,2, 151, 0"));
}

void TestShowSettings::unchangedEndpointKeepsSaveDisabled()
{
    FakeRig rig;
    rig.c.hostEdit->setText(QStringLiteral("127.0.0.1"));
    rig.c.portEdit->setText(QStringLiteral("5000"));
    rig.c.saveAndExitButton->setEnabled(false);
    rig.load(loadedRecord(SettingValue(), SettingValue(), SettingValue()));
    QVERIFY(!rig.c.saveAndExitButton->isEnabled());

    QTest::keyClicks(rig.c.portEdit, QStringLiteral("1"));
    QVERIFY(rig.c.saveAndExitButton->isEnabled());
    QCOMPARE(rig.saved().RemotePort, SettingValue::fromText(QStringLiteral("5000")));
}

QTEST_MAIN(TestShowSettings)
#include "tst_showsettings.moc"
