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
    QTest::addColumn<bool>("shown");
    QTest::addColumn<int>("option");
    QTest::addColumn<int>("backGround");
    QTest::addColumn<int>("screen");
    QTest::addColumn<bool>("announce");

    const auto text = [](const char *latin1) { return SettingValue::fromText(latin1); };
    const auto number = [](double value) { return SettingValue::fromNumber(value); };
    const auto scheme = &SetupData::BackGrounds;
    const auto screen = &SetupData::WakeUpScreens;
    const auto announce = &SetupData::AnnounceHourly;
    const auto track = &SetupData::AlarmTrack;
    QTest::newRow("defaults") << scheme << text("1") << true << 2 << 1 << 0 << false;
    QTest::newRow("scheme as number") << scheme << number(1) << true << 2 << 1 << 0 << false;
    QTest::newRow("scheme 4") << scheme << text("4") << true << 2 << 4 << 0 << false;
    QTest::newRow("scheme 2.0") << scheme << number(2.0) << true << 2 << 2 << 0 << false;
    QTest::newRow("scheme 0") << scheme << number(0) << true << 2 << 0 << 0 << false;
    QTest::newRow("scheme 5") << scheme << number(5) << true << 2 << 0 << 0 << false;
    QTest::newRow("scheme empty") << scheme << SettingValue() << true << 2 << 0 << 0 << false;
    QTest::newRow("scheme word") << scheme << text("blue") << false << 0 << 0 << 0 << false;
    QTest::newRow("screen 5") << screen << number(5) << true << 2 << 1 << 5 << false;
    QTest::newRow("screen \"7\"") << screen << text("7") << true << 2 << 1 << 7 << false;
    QTest::newRow("screen 4") << screen << number(4) << true << 2 << 1 << 0 << false;
    QTest::newRow("announce 1") << announce << number(1) << true << 2 << 1 << 0 << true;
    QTest::newRow("announce \"1\"") << announce << text("1") << true << 2 << 1 << 0 << true;
    QTest::newRow("announce 2") << announce << number(2) << true << 2 << 1 << 0 << false;
    QTest::newRow("track \"152\"") << track << text("152") << true << 3 << 1 << 0 << false;
    QTest::newRow("track 166") << track << number(166) << false << 0 << 0 << 0 << false;
}

void TestSettingsView::selection()
{
    QFETCH(SettingValue SetupData::*, field);
    QFETCH(SettingValue, value);
    QFETCH(bool, shown);
    QFETCH(int, option);
    QFETCH(int, backGround);
    QFETCH(int, screen);
    QFETCH(bool, announce);

    SetupData record = Settings::defaultRecord();
    record.*field = value;
    const std::optional<Selection> selection = selectionFor(record);
    QCOMPARE(selection.has_value(), shown);
    if (!selection)
        return;
    QCOMPARE(selection->optionIndex, option);
    QCOMPARE(selection->backGround, backGround);
    QCOMPARE(selection->wakeUpScreen, screen);
    QCOMPARE(selection->announceHourly, announce);
}

QTEST_APPLESS_MAIN(TestSettingsView)
#include "tst_settingsview.moc"
