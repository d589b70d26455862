#include "panelrig.h"

// "SET Date/Time" and the wake-up alarm group, through real widgets and the real send rule.
class TestAlarmAndTime : public QObject
{
    Q_OBJECT

private slots:
    void setTime_data();
    void setTime();
    void setTimeWhileClosedConnectsForTheNextClick();
    void amPmExpansion_data();
    void amPmExpansion();
    void typedLetterExpands();
    void setUp_data();
    void setUp();
    void setUpWithLinkDown_data();
    void setUpWithLinkDown();
    void editAfterSetUpTurnsAllRed();
    void playChangesSavedTrack_data();
    void playChangesSavedTrack();
    void alarmButtons_data();
    void alarmButtons();
};

void TestAlarmAndTime::setTime_data()
{
    QTest::addColumn<QDateTime>("clock");
    QTest::addColumn<QByteArray>("sent");
    auto row = [](const char *name, QDate date, QTime time, const char *sent) {
        QTest::newRow(name) << QDateTime(date, time) << QByteArray(sent);
    };
    const QDate july4(2018, 7, 4);
    row("lead carries year", QDate(2018, 12, 31), QTime(23, 59, 58), "T,01,01,19, 0, 100, 0,1,0");
    row("lead carries into noon", july4, QTime(11, 59, 59), "T,07,04,18, 12, 100, 1,2,0");
    row("second 57", july4, QTime(8, 10, 57), "T,07,04,18, 8, 10, 59,1,0");
    row("second 58", july4, QTime(8, 10, 58), "T,07,04,18, 8, 11, 0,1,0");
}

void TestAlarmAndTime::setTime()
{
    QFETCH(QDateTime, clock);
    QFETCH(QByteArray, sent);
    FakeRig rig(LinkState::Connected);
    rig.platform.current = clock;
    PanelRig::click(rig.c.setTimeButton);
    QCOMPARE(rig.socket().bytes(), sent);
    QCOMPARE(rig.socket().written.size(), 17);
}

void TestAlarmAndTime::setTimeWhileClosedConnectsForTheNextClick()
{
    FakeRig rig(LinkState::Closed);
    rig.socket().connectSucceeds = true;
    PanelRig::click(rig.c.setTimeButton);
    QVERIFY(rig.socket().written.isEmpty());
    QCOMPARE(rig.socket().connectCalls, 1);

    QTRY_COMPARE(rig.socket().state(), LinkState::Connected);
    rig.platform.current = QDateTime(QDate(2019, 1, 1), QTime(12, 45, 10));
    PanelRig::click(rig.c.setTimeButton);
    QCOMPARE(rig.socket().bytes(), QByteArray("T,01,01,19, 12, 45, 12,2,0"));
}

void TestAlarmAndTime::amPmExpansion_data()
{
    QTest::addColumn<QString>("entered");
    QTest::addColumn<QString>("shown");
    for (const auto &[entered, shown] : QList<QPair<const char *, const char *>>{{"a", "AM"},
                                                                                 {"A", "AM"},
                                                                                 {"p", "PM"},
                                                                                 {"P", "PM"},
                                                                                 {"am", "am"},
                                                                                 {"pm", "pm"},
                                                                                 {"x", "x"},
                                                                                 {"Am", "Am"},
                                                                                 {"", ""}}) {
        QTest::newRow(entered) << QString::fromLatin1(entered) << QString::fromLatin1(shown);
    }
}

void TestAlarmAndTime::amPmExpansion()
{
    QFETCH(QString, entered);
    QFETCH(QString, shown);
    FakeRig rig;
    PanelRig::paste(rig.c.alarmAmPmEdit, QStringLiteral("zz"));
    PanelRig::paste(rig.c.alarmAmPmEdit, entered);
    QCOMPARE(rig.c.alarmAmPmEdit->text(), shown);
    QCOMPARE(rig.saved().AlarmAMPM, SettingValue::fromText(shown));
    QCOMPARE(rig.entryColours(), QList<QColor>(3, Qt::red));
}

void TestAlarmAndTime::typedLetterExpands()
{
    FakeRig rig;
    QTest::keyClicks(rig.c.alarmAmPmEdit, QStringLiteral("p"));
    QCOMPARE(rig.c.alarmAmPmEdit->text(), QStringLiteral("PM"));
    QTest::keyClicks(rig.c.alarmHourEdit, QStringLiteral("07"));
    QCOMPARE(rig.saved().AlarmHour, SettingValue::fromText(QStringLiteral("07")));
    QCOMPARE(rig.saved().AlarmAMPM, SettingValue::fromText(QStringLiteral("PM")));
}

namespace {

void fillAlarm(PanelRig &rig, const QString &hour, const QString &minute, const QString &amPm,
               int option)
{
    rig.window.clockSettings().setAlarmTrack(151);
    PanelRig::paste(rig.c.alarmHourEdit, hour);
    PanelRig::paste(rig.c.alarmMinuteEdit, minute);
    PanelRig::paste(rig.c.alarmAmPmEdit, amPm);
    if (option > 0)
        rig.trackButton(option)->setChecked(true);
    else
        rig.clearTrack();
}

} // namespace

void TestAlarmAndTime::setUp_data()
{
    QTest::addColumn<QString>("hour");
    QTest::addColumn<QString>("minute");
    QTest::addColumn<QString>("amPm");
    QTest::addColumn<int>("option"); // 0: no button selected
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<int>("beeps");
    QTest::addColumn<int>("track");
    auto row = [](const char *name, const char *h, const char *m, const char *ap, int option,
                  const char *sent, int beeps, int track) {
        QTest::newRow(name) << QString::fromLatin1(h) << QString::fromLatin1(m)
                            << QString::fromLatin1(ap) << option << QByteArray(sent) << beeps
                            << track;
    };
    row("6:30 AM #1", "6", "30", "AM", 1, "A, 6, 30,1, 150, 0", 0, 150);
    row("leading zeros, am", "06", "00", "am", 1, "A, 6, 0,1, 150, 0", 0, 150);
    row("12:59 PM", "12", "59", "PM", 4, "A, 12, 59,2, 153, 0", 0, 153);
    row("no button keeps track", "6", "30", "AM", 0, "A, 6, 30,1, 151, 0", 0, 151);
    // A time the clock cannot show beeps like an empty box and leaves the track as it was.
    row("hour 13", "13", "30", "PM", 3, "", 1, 151);
    row("hour 0", "0", "30", "AM", 3, "", 1, 151);
    row("hour -1", "-1", "05", "AM", 3, "", 1, 151);
    row("minute 60", "6", "60", "AM", 3, "", 1, 151);
    row("99:99", "99", "99", "PM", 3, "", 1, 151);
    row("am/pm x", "6", "30", "x", 3, "", 1, 151);
    row("am/pm Am", "6", "30", "Am", 3, "", 1, 151);
    row("am/pm blank A", "6", "30", " A", 3, "", 1, 151);
    row("hour not a number", "ab", "30", "AM", 5, "", 1, 151);
    row("empty minute", "6", "", "AM", 5, "", 1, 151);
    row("empty hour", "", "30", "AM", 5, "", 1, 151);
    row("empty am/pm", "6", "30", "", 5, "", 1, 151);
}

void TestAlarmAndTime::setUp()
{
    QFETCH(QString, hour);
    QFETCH(QString, minute);
    QFETCH(QString, amPm);
    QFETCH(int, option);
    QFETCH(QByteArray, sent);
    QFETCH(int, beeps);
    QFETCH(int, track);
    FakeRig rig(LinkState::Connected);
    fillAlarm(rig, hour, minute, amPm, option);

    PanelRig::click(rig.c.setAlarmButton);
    QCOMPARE(rig.socket().bytes(), sent);
    QCOMPARE(rig.socket().written.size(), sent.isEmpty() ? 0 : 11);
    QCOMPARE(rig.platform.beeps, beeps);
    const QColor colour = sent.isEmpty() ? Qt::red : Qt::black;
    QCOMPARE(rig.entryColours(), QList<QColor>(3, colour));
    QCOMPARE(rig.saved().AlarmTrack, SettingValue::fromNumber(track));
}

void TestAlarmAndTime::setUpWithLinkDown_data()
{
    QTest::addColumn<LinkState>("state");
    QTest::addColumn<int>("connects");
    QTest::newRow("closed") << LinkState::Closed << 1;
    QTest::newRow("failed") << LinkState::Error << 1;
    QTest::newRow("connecting") << LinkState::Connecting << 0;
    QTest::newRow("closed by peer") << LinkState::ClosedByPeer << 1; // the link starts afresh
}

void TestAlarmAndTime::setUpWithLinkDown()
{
    QFETCH(LinkState, state);
    QFETCH(int, connects);
    FakeRig rig(state);
    fillAlarm(rig, QStringLiteral("6"), QStringLiteral("30"), QStringLiteral("AM"), 6);
    PanelRig::click(rig.c.setAlarmButton);
    QVERIFY(rig.socket().written.isEmpty());
    QCOMPARE(rig.socket().connectCalls, connects);
    QCOMPARE(rig.entryColours(), QList<QColor>(3, Qt::red));
    QCOMPARE(rig.saved().AlarmTrack, SettingValue::fromNumber(155));
    QCOMPARE(rig.platform.beeps, 0);
}

void TestAlarmAndTime::editAfterSetUpTurnsAllRed()
{
    FakeRig rig(LinkState::Connected);
    fillAlarm(rig, QStringLiteral("6"), QStringLiteral("30"), QStringLiteral("AM"), 1);
    PanelRig::click(rig.c.setAlarmButton);
    QCOMPARE(rig.entryColours(), QList<QColor>(3, Qt::black));
    QTest::keyClick(rig.c.alarmMinuteEdit, Qt::Key_Backspace);
    QCOMPARE(rig.entryColours(), QList<QColor>(3, Qt::red));
    QCOMPARE(rig.saved().AlarmMinute, SettingValue::fromText(QStringLiteral("3")));
}

void TestAlarmAndTime::playChangesSavedTrack_data()
{
    QTest::addColumn<LinkState>("state");
    QTest::addColumn<int>("option");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<int>("track");
    QTest::newRow("#3 connected") << LinkState::Connected << 3 << QByteArray("P, 152, 0") << 152;
    QTest::newRow("#5 connected") << LinkState::Connected << 5 << QByteArray("P, 154, 0") << 154;
    QTest::newRow("#16 connected") << LinkState::Connected << 16 << QByteArray("P, 165, 0") << 165;
    QTest::newRow("none selected") << LinkState::Connected << 0 << QByteArray("P, 151, 0") << 151;
    QTest::newRow("#5 closed") << LinkState::Closed << 5 << QByteArray() << 154;
}

void TestAlarmAndTime::playChangesSavedTrack()
{
    QFETCH(LinkState, state);
    QFETCH(int, option);
    QFETCH(QByteArray, sent);
    QFETCH(int, track);
    FakeRig rig(state);
    fillAlarm(rig, QStringLiteral("6"), QStringLiteral("30"), QStringLiteral("AM"), 0);
    if (option > 0)
        PanelRig::click(rig.trackButton(option));
    PanelRig::click(rig.c.playAlarmButton);
    QCOMPARE(rig.socket().bytes(), sent);
    QCOMPARE(rig.socket().written.size(), sent.isEmpty() ? 0 : 5); // "P", each comma, each field
    QCOMPARE(rig.saved().AlarmTrack, SettingValue::fromNumber(track));
    QCOMPARE(rig.entryColours(), QList<QColor>(3, Qt::red));
}

void TestAlarmAndTime::alarmButtons_data()
{
    QTest::addColumn<LinkState>("state");
    QTest::addColumn<QByteArray>("clicks"); // each the byte its button sends
    QTest::addColumn<bool>("disableEnabled");
    QTest::addColumn<bool>("enableEnabled");
    QTest::newRow("disable, up") << LinkState::Connected << QByteArray("D") << false << true;
    QTest::newRow("disable, down") << LinkState::Closed << QByteArray("D") << false << true;
    QTest::newRow("disable then enable, down")
            << LinkState::Closed << QByteArray("DE") << true << false;
    QTest::newRow("enable then test, up")
            << LinkState::Connected << QByteArray("E!") << true << false;
    QTest::newRow("disable then test, down")
            << LinkState::Error << QByteArray("D!") << true << true;
    QTest::newRow("stop, up") << LinkState::Connected << QByteArray("S") << true << true;
    QTest::newRow("stop, down") << LinkState::Closed << QByteArray("S") << true << true;
}

void TestAlarmAndTime::alarmButtons()
{
    QFETCH(LinkState, state);
    QFETCH(QByteArray, clicks);
    QFETCH(bool, disableEnabled);
    QFETCH(bool, enableEnabled);
    FakeRig rig(state);
    const QMap<char, QPushButton *> buttons = {{'D', rig.c.disableAlarmButton},
                                               {'E', rig.c.enableAlarmButton},
                                               {'!', rig.c.testButton},
                                               {'S', rig.c.stopAlarmButton}};
    for (char button : clicks)
        PanelRig::click(buttons.value(button));
    QCOMPARE(rig.socket().bytes(), state == LinkState::Connected ? clicks : QByteArray());
    QCOMPARE(rig.socket().written.size(), rig.socket().bytes().size()); // one write per command
    QCOMPARE(rig.socket().connectCalls, state == LinkState::Connected ? 0 : int(clicks.size()));
    QCOMPARE(rig.c.disableAlarmButton->isEnabled(), disableEnabled);
    QCOMPARE(rig.c.enableAlarmButton->isEnabled(), enableEnabled);
}

QTEST_MAIN(TestAlarmAndTime)
#include "tst_alarmandtime.moc"
