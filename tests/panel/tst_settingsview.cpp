#include "settingsrecord.h"
#include "settingsview.h"

#include <QtTest/QtTest>

Q_DECLARE_METATYPE(SettingValue)

// Which alarm button and boxes the panel shows for a loaded record.
class TestSettingsView : public QObject
{
    Q_OBJECT

private slots:
    void selection_data();
    void selection();
};

void TestSettingsView::selection_data()
{
    QTest::addColumn<SettingValue SetupData::*>("field");
    QTest::addColumn<SettingValue>("value");
    QTest::addColumn<QString>("shown"); // option, scheme, screen, announce; empty: not shown

    const auto text = [](const char *latin1) { return SettingValue::fromText(latin1); };
    const auto number = [](double value) { return SettingValue::fromNumber(value); };
    QTest::newRow("defaults") << &SetupData::BackGrounds << text("1") << "2 1 0 0";
    QTest::newRow("scheme as number") << &SetupData::BackGrounds << number(1) << "2 1 0 0";
    QTest::newRow("scheme 4") << &SetupData::BackGrounds << text("4") << "2 4 0 0";
    QTest::newRow("scheme 2.0") << &SetupData::BackGrounds << number(2.0) << "2 2 0 0";
    QTest::newRow("scheme 0") << &SetupData::BackGrounds << number(0) << "2 0 0 0";
    QTest::newRow("scheme 5") << &SetupData::BackGrounds << number(5) << "2 0 0 0";
    QTest::newRow("scheme empty") << &SetupData::BackGrounds << SettingValue() << "2 0 0 0";
    QTest::newRow("scheme word") << &SetupData::BackGrounds << text("blue") << "";
    QTest::newRow("screen 5") << &SetupData::WakeUpScreens << number(5) << "2 1 5 0";
    QTest::newRow("screen \"7\"") << &SetupData::WakeUpScreens << text("7") << "2 1 7 0";
    QTest::newRow("screen 4") << &SetupData::WakeUpScreens << number(4) << "2 1 0 0";
    QTest::newRow("announce 1") << &SetupData::AnnounceHourly << number(1) << "2 1 0 1";
    QTest::newRow("announce \"1\"") << &SetupData::AnnounceHourly << text("1") << "2 1 0 1";
    QTest::newRow("announce 2") << &SetupData::AnnounceHourly << number(2) << "2 1 0 0";
    QTest::newRow("track \"152\"") << &SetupData::AlarmTrack << text("152") << "3 1 0 0";
    QTest::newRow("track 166") << &SetupData::AlarmTrack << number(166) << "";
}

void TestSettingsView::selection()
{
    QFETCH(SettingValue SetupData::*, field);
    QFETCH(SettingValue, value);
    QFETCH(QString, shown);

    SetupData record = Settings::defaultRecord();
    record.*field = value;
    const std::optional<Selection> s = selectionFor(record);
    QCOMPARE(s ? QString::asprintf("%d %d %d %d", s->optionIndex, s->backGround, s->wakeUpScreen,
                                   int(s->announceHourly))
               : QString(),
             shown);
}

QTEST_APPLESS_MAIN(TestSettingsView)
#include "tst_settingsview.moc"
