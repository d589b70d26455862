#include "panelrig.h"

#include <QtTest/QSignalSpy>

Q_DECLARE_METATYPE(SettingValue)
using EditMember = QLineEdit *WindowControls::*;
Q_DECLARE_METATYPE(EditMember)
using Setter = void (ClockSettings::*)(const QString &);
Q_DECLARE_METATYPE(Setter)
using Field = SettingValue SetupData::*;
Q_DECLARE_METATYPE(Field)

// Showing a loaded record: what the controls show, and that loading sends nothing.
class TestShowSettings : public QObject
{
    Q_OBJECT

private slots:
    void checksExactlyTheSavedBoxes_data();
    void checksExactlyTheSavedBoxes();
    void loadedAlarmIsShownAndKeptAsText();
    void editsFlowOneWay_data();
    void editsFlowOneWay();
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

void TestShowSettings::loadedAlarmIsShownAndKeptAsText()
{
    FakeRig rig(LinkState::Connected);
    SetupData record = loadedRecord(SettingValue::fromNumber(1), SettingValue::fromNumber(5),
                                    SettingValue::fromNumber(0));
    record.AlarmAMPM = SettingValue::fromText(QStringLiteral("p"));
    record.RemoteHost = SettingValue::fromText(QStringLiteral("127.0.0.2"));
    rig.load(record);

    QCOMPARE(rig.c.alarmHourEdit->text(), QStringLiteral("7"));
    QCOMPARE(rig.c.alarmAmPmEdit->text(), QStringLiteral("PM"));
    // The alarm is saved as the boxes show it, as texts.
    QCOMPARE(rig.saved().AlarmHour, SettingValue::fromText(QStringLiteral("7")));
    QCOMPARE(rig.saved().AlarmAMPM, SettingValue::fromText(QStringLiteral("PM")));
    QVERIFY(rig.trackButton(2)->isChecked());
    // An endpoint other than the built-in one can be saved at once.
    QVERIFY(rig.c.saveAndExitButton->isEnabled());

    // The shown alarm is the one Set-Up sends.
    PanelRig::click(rig.c.setAlarmButton);
    QCOMPARE(rig.socket().bytes(), QByteArray("A, 7, 5,2, 151, 0"));
}

void TestShowSettings::editsFlowOneWay_data()
{
    QTest::addColumn<EditMember>("box");
    QTest::addColumn<Setter>("set");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept"); // what the settings keep and the box then shows
    QTest::addColumn<Field>("item");
    using C = WindowControls;
    using S = ClockSettings;
    QTest::newRow("hour") << &C::alarmHourEdit << &S::setAlarmHour << "8"
                          << "8" << &SetupData::AlarmHour;
    QTest::newRow("am/pm letter") << &C::alarmAmPmEdit << &S::setAlarmAmPm << "a"
                                  << "AM" << &SetupData::AlarmAMPM;
    QTest::newRow("port") << &C::portEdit << &S::setPort << "6"
                          << "6" << &SetupData::RemotePort;
}

// A box edit reaches the saved record, and a change of the settings reaches the box, each once.
void TestShowSettings::editsFlowOneWay()
{
    QFETCH(EditMember, box);
    QFETCH(Setter, set);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QFETCH(Field, item);
    FakeRig rig;
    rig.load(loadedRecord(SettingValue(), SettingValue(), SettingValue()));
    ClockSettings &settings = rig.window.clockSettings();
    QLineEdit *edit = rig.c.*box;
    QSignalSpy changes(&settings,
                       item == &SetupData::RemotePort ? SIGNAL(endpointChanged())
                                                      : SIGNAL(alarmChanged()));

    PanelRig::paste(edit, typed);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(edit->text(), kept);
    settings.keepEndpoint();
    QCOMPARE(rig.saved().*item, SettingValue::fromText(kept));

    QSignalSpy shown(edit, &QLineEdit::textChanged);
    (settings.*set)(QStringLiteral("12"));
    QCOMPARE(shown.count(), 1);
    QCOMPARE(edit->text(), QStringLiteral("12"));
}

QTEST_MAIN(TestShowSettings)
#include "tst_showsettings.moc"
