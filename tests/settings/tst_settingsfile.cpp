#include "clocksettings.h"
#include "defaultbytes.h"
#include "settingsformat.h"
#include "settingsrecord.h"

#include <QtTest/QtTest>

using namespace Settings;

namespace {

QList<QByteArray> defaultLines()
{
    QList<QByteArray> lines = DefaultBytes.split('\n');
    lines.removeLast();
    for (QByteArray &line : lines)
        line.chop(1);
    return lines;
}

// The default file with line `item` (1-based) replaced.
QByteArray withItem(int item, const QByteArray &line)
{
    QList<QByteArray> lines = defaultLines();
    lines[item - 1] = line;
    return lines.join("\r\n") + "\r\n";
}

// Compact expectations: "t:abc" a text, "n:1.5" a number, "" nothing.
QString describe(const SettingValue &value)
{
    switch (value.kind()) {
    case SettingValue::Kind::Empty:
        return QString();
    case SettingValue::Kind::Text:
        return QLatin1String("t:") + value.toText();
    case SettingValue::Kind::Number:
        return QLatin1String("n:") + value.toText();
    }
    return QString();
}

} // namespace

Q_DECLARE_METATYPE(SettingValue)
using Edit = std::function<void(ClockSettings &)>;
Q_DECLARE_METATYPE(Edit)

// Reading, writing and judging records, all over bytes in memory.
class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void readNumber_data();
    void readNumber();
    void readItems_data();
    void readItems();
    void validity_data();
    void validity();
    void endpoint_data();
    void endpoint();
    void unquotedCommaShiftsItems();
    void defaultBytes();
    void roundTrip_data();
    void roundTrip();
    void emptyRecordGivesNineteenEmptyLines();
    void quoteInTextKeepsItemsInPlace();
    void saveMask_data();
    void saveMask();
};

void TestSettingsFile::readNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");

    QTest::newRow("plain") << "151" << true << 151.0;
    QTest::newRow("blanks around") << " \t12 " << true << 12.0;
    QTest::newRow("signs") << "-3" << true << -3.0;
    QTest::newRow("plus") << "+4" << true << 4.0;
    QTest::newRow("leading zeros") << "007" << true << 7.0;
    QTest::newRow("fraction") << "1.5" << true << 1.5;
    QTest::newRow("bare fraction") << ".25" << true << 0.25;
    QTest::newRow("trailing period") << "5." << true << 5.0;
    QTest::newRow("exponent") << "1.5E+2" << true << 150.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("blanks only") << "   " << false << 0.0;
    QTest::newRow("word") << "AM" << false << 0.0;
    QTest::newRow("inner blank") << "1 2" << false << 0.0;
    QTest::newRow("comma decimal") << "1,5" << false << 0.0;
    QTest::newRow("hex") << "0x10" << false << 0.0;
    QTest::newRow("lone exponent") << "1e" << false << 0.0;
    QTest::newRow("lone period") << "." << false << 0.0;
    QTest::newRow("double sign") << "--1" << false << 0.0;
    QTest::newRow("infinity") << "inf" << false << 0.0;
    QTest::newRow("overflow") << "1e999" << false << 0.0;
}

void TestSettingsFile::readNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, value);

    const std::optional<double> number = ::readNumber(text);
    QCOMPARE(number.has_value(), isNumber);
    if (isNumber)
        QCOMPARE(*number, value);
}

void TestSettingsFile::readItems_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected"); // leading items; empty list: reading fails

    const QByteArray tail = QByteArray(18, ',') + "\r\n"; // enough empty items
    QTest::newRow("one line, commas")
            << QByteArray("\"a,b\",2,x y") + tail << QStringList{"t:a,b", "n:2", "t:x y", ""};
    QTest::newRow("LF and lone CR")
            << QByteArray("1\n2\r3\r\n4") + tail << QStringList{"n:1", "n:2", "n:3", "n:4"};
    QTest::newRow("blanks skipped, unquoted trimmed") << QByteArray("  \"  q \"  ,\t 7  ,  w x  ,")
                    + tail << QStringList{"t:  q ", "n:7", "t:w x", ""};
    QTest::newRow("junk after closing quote")
            << QByteArray("\"a\"junk,\"b\" 9\r\nc") + tail << QStringList{"t:a", "t:b", "t:c"};
    QTest::newRow("open quote ends with its line")
            << QByteArray("\"open, still\r\nnext") + tail << QStringList{"t:open, still", "t:next"};
    QTest::newRow("empty lines and fields")
            << QByteArray("\r\n\r\n,,5") + tail << QStringList{"", "", "", "", "n:5"};
    QTest::newRow("lines after item 19 ignored")
            << DefaultBytes + "\"extra\"\r\nbroken\"\r\n"
            << QStringList{"t:Starting on line 2, every other line is a comment.  comments "
                           "must be in quotes."};
    QTest::newRow("trailing comma is an item") << QByteArray(18, ',') << QStringList{""};
    QTest::newRow("last line without line end") << QByteArray(18, '\n') + "last" << QStringList{""};
    QTest::newRow("17 items") << QByteArray(17, '\n') << QStringList();
    QTest::newRow("18 items") << QByteArray(18, '\n') << QStringList();
    QTest::newRow("18 lines, final empty line missing")
            << DefaultBytes.left(DefaultBytes.size() - 8) << QStringList();
    QTest::newRow("byte-order mark skipped")
            << QByteArray("\xEF\xBB\xBF\"h\"\r\n7") + tail << QStringList{"t:h", "n:7"};
    QTest::newRow("mark only at the start") << QByteArray("1\r\n\xEF\xBB\xBF") + tail
                                            << QStringList{"n:1", QLatin1String("t:\xEF\xBB\xBF")};
    QTest::newRow("part of a mark is text")
            << QByteArray("\xEF\xBBx") + tail << QStringList{QLatin1String("t:\xEF\xBBx")};
    QTest::newRow("overlong item cut, reading goes on") << QByteArray(MaxItemChars + 10, '7')
                    + "\r\n\"q\"" + tail << QStringList{"t:" + QString(MaxItemChars, u'7'), "t:q"};
    QTest::newRow("nothing") << QByteArray() << QStringList();
    QTest::newRow("binary") << QByteArray("\0\xff\"\x80", 4) + QByteArray(19, '\n')
                            << QStringList{QString::fromLatin1("t:\0\xff\"\x80", 6)};
}

void TestSettingsFile::readItems()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);

    const std::optional<QList<SettingValue>> items = Settings::readItems(bytes);
    QCOMPARE(items.has_value(), !expected.isEmpty());
    if (!items)
        return;
    QCOMPARE(items->size(), ItemCount);
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(describe(items->at(i)), expected.at(i));
}

void TestSettingsFile::validity_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("loads");
    // What the panel shows: track, scheme, screen, announcement on (1) or off (0).
    QTest::addColumn<QString>("shown");

    QTest::newRow("defaults") << 1 << defaultLines().first() << true << "151 1 0 0";
    QTest::newRow("scheme as number") << 11 << QByteArray("1") << true << "151 1 0 0";
    QTest::newRow("scheme 4") << 11 << QByteArray("\"4\"") << true << "151 4 0 0";
    QTest::newRow("scheme 2.0") << 11 << QByteArray("2.0") << true << "151 2 0 0";
    QTest::newRow("scheme 0") << 11 << QByteArray("0") << true << "151 0 0 0";
    QTest::newRow("scheme 5") << 11 << QByteArray("5") << true << "151 0 0 0";
    QTest::newRow("scheme empty") << 11 << QByteArray() << true << "151 0 0 0";
    QTest::newRow("scheme word") << 11 << QByteArray("blue") << false << "";
    QTest::newRow("scheme quoted empty") << 11 << QByteArray("\"\"") << false << "";
    QTest::newRow("screen 5") << 13 << QByteArray("5") << true << "151 1 5 0";
    QTest::newRow("screen \"7\"") << 13 << QByteArray("\"7\"") << true << "151 1 7 0";
    QTest::newRow("screen 4") << 13 << QByteArray("4") << true << "151 1 0 0";
    QTest::newRow("screen word") << 13 << QByteArray("\"x\"") << false << "";
    QTest::newRow("announce 1") << 15 << QByteArray("1") << true << "151 1 0 1";
    QTest::newRow("announce \"1\"") << 15 << QByteArray("\"1\"") << true << "151 1 0 1";
    QTest::newRow("announce 2") << 15 << QByteArray("2") << true << "151 1 0 0";
    QTest::newRow("announce word") << 15 << QByteArray("on") << false << "";
    QTest::newRow("track 150") << 9 << QByteArray("150") << true << "150 1 0 0";
    QTest::newRow("track 165") << 9 << QByteArray("165") << true << "165 1 0 0";
    QTest::newRow("track \"152\"") << 9 << QByteArray("\"152\"") << true << "152 1 0 0";
    QTest::newRow("track 149") << 9 << QByteArray("149") << false << "";
    QTest::newRow("track 166") << 9 << QByteArray("166") << false << "";
    QTest::newRow("track word") << 9 << QByteArray("\"Alarm\"") << false << "";
    QTest::newRow("track empty") << 9 << QByteArray() << false << "";
    QTest::newRow("track 149.5 rounds to 0") << 9 << QByteArray("149.5") << false << "";
    QTest::newRow("track 150.5 rounds to 2") << 9 << QByteArray("150.5") << true << "151 1 0 0";
    QTest::newRow("track 165.5 rounds to 16") << 9 << QByteArray("165.5") << true << "165 1 0 0";
    QTest::newRow("track 165.6") << 9 << QByteArray("165.6") << false << "";
    QTest::newRow("track huge") << 9 << QByteArray("1e300") << false << "";
    QTest::newRow("host Latin-1") << 17 << QByteArray("\"b\xFC.lan\"") << false << "";
}

void TestSettingsFile::validity()
{
    QFETCH(int, item);
    QFETCH(QByteArray, line);
    QFETCH(bool, loads);
    QFETCH(QString, shown);

    const std::optional<SetupData> record = parseRecord(withItem(item, line));
    QCOMPARE(record.has_value(), loads);
    if (!record)
        return;
    ClockSettings settings;
    settings.load(*record);
    QCOMPARE(QStringLiteral("%1 %2 %3 %4")
                     .arg(settings.alarmTrack())
                     .arg(settings.scheme())
                     .arg(int(settings.screen().value_or(Device::WakeUpScreen(0))))
                     .arg(int(settings.announceHourly())),
             shown);
    // Nothing the user did: the record saved is the record loaded, byte for byte.
    QCOMPARE(serialize(settings.record()), serialize(*record));
}

void TestSettingsFile::endpoint_data()
{
    QTest::addColumn<SettingValue>("host");
    QTest::addColumn<SettingValue>("port");
    QTest::addColumn<QString>("expected");

    const auto text = [](const char *latin1) { return SettingValue::fromText(latin1); };
    const auto number = [](double value) { return SettingValue::fromNumber(value); };
    const SettingValue host = text(" 127.0.0.2 ");
    QTest::newRow("number port") << host << number(80) << "127.0.0.2:80";
    QTest::newRow("sign, zeros, blanks") << host << text(" +065535 ") << "127.0.0.2:65535";
    QTest::newRow("blank host") << text(" ") << text("6000") << "127.0.0.1:6000, no host";
    QTest::newRow("empty brackets") << text("[]") << text("6000") << "127.0.0.1:6000, no host";
    // A slip in the port keeps the saved host: commands never go to another machine.
    QTest::newRow("letter O") << host << text("50O1") << "127.0.0.2:5000, no port";
    QTest::newRow("zero") << host << text("0") << "127.0.0.2:5000, no port";
    QTest::newRow("65536") << host << number(65536) << "127.0.0.2:5000, no port";
    QTest::newRow("fraction") << host << number(80.5) << "127.0.0.2:5000, no port";
    QTest::newRow("empty port") << host << SettingValue() << "127.0.0.2:5000, no port";
    QTest::newRow("IPv6 in brackets") << text("[::1]") << text("6000") << "::1:6000";
    QTest::newRow("UTF-8 host") << SettingValue::fromText(QLatin1String("b\xC3\xBC.lan"))
                                << text("6000") << "bü.lan:6000";
}

void TestSettingsFile::endpoint()
{
    QFETCH(SettingValue, host);
    QFETCH(SettingValue, port);
    QFETCH(QString, expected);

    SetupData record = defaultRecord();
    record.RemoteHost = host;
    record.RemotePort = port;
    if (expected.endsWith(QLatin1String("no port")))
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("is no port"));
    const Endpoint endpoint = endpointOf(record);
    QCOMPARE(endpoint.host + QLatin1Char(':') + QString::number(endpoint.port)
                     + QLatin1String(endpoint.hostUsable ? "" : ", no host")
                     + QLatin1String(endpoint.portUsable ? "" : ", no port"),
             expected);
}

void TestSettingsFile::unquotedCommaShiftsItems()
{
    const auto items = Settings::readItems(withItem(2, "Alarm, Hour"));
    QVERIFY(items);
    QCOMPARE(describe(items->at(1)), "t:Alarm");
    QCOMPARE(describe(items->at(2)), "t:Hour");
    QCOMPARE(describe(items->at(3)), "t:6");
    QCOMPARE(describe(items->at(8)), "t:Alarm Track");
    // Item 9 now holds a comment, which selects no alarm button.
    QVERIFY(!parseRecord(withItem(2, "Alarm, Hour")));
}

void TestSettingsFile::defaultBytes()
{
    QCOMPARE(defaultFileBytes(), DefaultBytes);
    QCOMPARE(parseRecord(DefaultBytes), defaultRecord());
    QVERIFY(defaultRecord().AlarmTrack.isNumber());
}

void TestSettingsFile::roundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("defaults") << DefaultBytes;
    QTest::newRow("mixed kinds") << QByteArray(
            "header,\"c\",7,\"\",\"07\",,PM,x,\"160\",y,2.5,,-6\r\n"
            "z,1e20,\"h\",0.1,,\"a b\",\"p\",8080\r\n");
    QTest::newRow("unquoted texts") << QByteArray("h\r\nc\r\nsix\r\nc\r\n  thirty  \r\nc\r\npm\r\n"
                                                  "c\r\n155\r\nc\r\n3\r\nc\r\n6\r\nc\r\n1\r\n"
                                                  "c\r\nclock.local\r\nc\r\n5000\r\n");
}

void TestSettingsFile::roundTrip()
{
    QFETCH(QByteArray, bytes);

    const std::optional<SetupData> record = parseRecord(bytes);
    QVERIFY(record);
    const QByteArray saved = serialize(*record);
    QCOMPARE(saved.count("\r\n"), ItemCount);
    QCOMPARE(parseRecord(saved), record);
    QCOMPARE(serialize(*parseRecord(saved)), saved);
}

void TestSettingsFile::emptyRecordGivesNineteenEmptyLines()
{
    QByteArray nineteen;
    for (int i = 0; i < ItemCount; ++i)
        nineteen += "\r\n";
    QCOMPARE(serialize(SetupData()), nineteen);
}

void TestSettingsFile::quoteInTextKeepsItemsInPlace()
{
    SetupData record = defaultRecord();
    record.RemoteHostComment = SettingValue::fromText(
            QString::fromUtf8("lo\"cal,host\r\nx\xe2\x82\xac\xf0\x9f\x94\x94\xc3\xa9"));
    record.AlarmAMPM = SettingValue::fromText("\"");

    const std::optional<SetupData> loaded = parseRecord(serialize(record));
    QVERIFY(loaded);
    QCOMPARE(loaded->RemoteHostComment.toText(), QString::fromUtf8("lo'cal,host  x??\xc3\xa9"));
    QCOMPARE(loaded->AlarmAMPM.toText(), "'");

    SetupData expected = record;
    expected.RemoteHostComment = loaded->RemoteHostComment;
    expected.AlarmAMPM = loaded->AlarmAMPM;
    QCOMPARE(*loaded, expected);
}

void TestSettingsFile::saveMask_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QList<int>>("changedLines");

    using S = ClockSettings;
    QTest::newRow("hour") << Edit([](S &s) { s.setAlarmHour("7"); }) << QList<int>{3};
    QTest::newRow("am/pm letter") << Edit([](S &s) { s.setAlarmAmPm("p"); }) << QList<int>{7};
    QTest::newRow("track") << Edit([](S &s) { s.setAlarmTrack(155); }) << QList<int>{9};
    // A choice made again is saved in the panel's own form, a bare number.
    QTest::newRow("scheme again") << Edit([](S &s) { s.setScheme(1); }) << QList<int>{11};
    QTest::newRow("screen") << Edit([](S &s) { s.setScreen(Device::WakeUpScreen::Screen2); })
                            << QList<int>{13};
    QTest::newRow("announce again")
            << Edit([](S &s) { s.setAnnounceHourly(false); }) << QList<int>{15};
    QTest::newRow("endpoint edited, not kept")
            << Edit([](S &s) { s.setHost("127.0.0.2"), s.setPort("6001"); }) << QList<int>{};
    QTest::newRow("host kept") << Edit([](S &s) { s.setHost("127.0.0.2"), s.keepEndpoint(); })
                               << QList<int>{17};
}

// Each change replaces exactly its own line of the loaded file.
void TestSettingsFile::saveMask()
{
    QFETCH(Edit, edit);
    QFETCH(QList<int>, changedLines);
    ClockSettings settings;
    settings.load(defaultRecord());
    edit(settings);
    const QList<QByteArray> saved = serialize(settings.record()).split('\n');
    const QList<QByteArray> loaded = DefaultBytes.split('\n');
    QList<int> changed;
    for (int line = 1; line <= ItemCount; ++line) {
        if (saved.value(line - 1) != loaded.value(line - 1))
            changed << line;
    }
    QCOMPARE(changed, changedLines);
}

QTEST_APPLESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
