#include "commanddecoder.h"

#include <QtTest/QtTest>

using namespace Protocol;

// The command bytes and their decoding.
class tst_Commands : public QObject
{
    Q_OBJECT

private slots:
    void setTime_data();
    void setTime();
    void wholeNumber_data();
    void wholeNumber();
    void setAlarm_data();
    void setAlarm();
    void blankSigned_data();
    void blankSigned();
    void otherCommands_data();
    void otherCommands();
    void decodeSplits_data();
    void decodeSplits();
    void decodeGarbage_data();
    void decodeGarbage();
    void decoderBoundsGarbage();
};

namespace {

QList<Command> commandsOf(const QList<Decoder::Event> &events, QByteArray *malformed = nullptr)
{
    QList<Command> commands;
    for (const Decoder::Event &event : events) {
        if (event.command)
            commands.append(*event.command);
        else if (malformed)
            *malformed += event.malformed;
    }
    return commands;
}

std::optional<Command> decodeOne(const QByteArray &bytes)
{
    Decoder decoder;
    const QList<Decoder::Event> events = decoder.feed(bytes);
    if (events.size() != 1 || !decoder.finish().isEmpty())
        return std::nullopt;
    return events.first().command;
}

} // namespace

void tst_Commands::setTime_data()
{
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<QByteArray>("expected");
    auto at = [](int y, int mo, int d, int h, int mi, int s) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
    };
    QTest::newRow("afternoon") << at(2018, 7, 4, 15, 5, 32)
                               << QByteArray("T,07,04,18, 3, 105, 32,2,0");
    QTest::newRow("noon") << at(2019, 1, 1, 12, 45, 12) << QByteArray("T,01,01,19, 12, 45, 12,2,0");
    QTest::newRow("after midnight")
            << at(2018, 12, 31, 0, 10, 1) << QByteArray("T,12,31,18, 0, 10, 1,1,0");
    QTest::newRow("midnight") << at(2019, 1, 1, 0, 0, 0) << QByteArray("T,01,01,19, 0, 100, 0,1,0");
    QTest::newRow("before noon") << at(2020, 2, 29, 11, 59, 59)
                                 << QByteArray("T,02,29,20, 11, 59, 59,1,0");
    QTest::newRow("one pm") << at(2000, 10, 9, 13, 9, 0) << QByteArray("T,10,09,00, 1, 109, 0,2,0");
    QTest::newRow("last minute") << at(2099, 12, 31, 23, 59, 59)
                                 << QByteArray("T,12,31,99, 11, 59, 59,2,0");
}

void tst_Commands::setTime()
{
    QFETCH(QDateTime, time);
    QFETCH(QByteArray, expected);
    const Pieces pieces = Protocol::setTime(time);
    QCOMPARE(bytes(pieces), expected);

    const std::optional<Command> decoded = decodeOne(expected);
    QVERIFY(decoded);
    QCOMPARE(decoded->code, 'T');
    QCOMPARE(decoded->raw, expected);
    const std::optional<QDateTime> decodedTime = clockTimeOf(*decoded);
    QVERIFY(decodedTime);
    QCOMPARE(*decodedTime, time);
}

void tst_Commands::wholeNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("value");
    QTest::newRow("plain") << "6" << true << qint64(6);
    QTest::newRow("leading zero") << "06" << true << qint64(6);
    QTest::newRow("blanks") << "  7 " << true << qint64(7);
    QTest::newRow("plus") << "+5" << true << qint64(5);
    QTest::newRow("minus") << " -12" << true << qint64(-12);
    QTest::newRow("minus zero") << "-0" << true << qint64(0);
    QTest::newRow("zeros") << "000" << true << qint64(0);
    QTest::newRow("18 digits") << "999999999999999999" << true << qint64(999999999999999999);
    QTest::newRow("18 digits after zeros")
            << "0000123456789012345678" << true << qint64(123456789012345678);
    QTest::newRow("19 digits") << "1000000000000000000" << false << qint64(0);
    QTest::newRow("huge") << QString(400, u'9') << false << qint64(0);
    QTest::newRow("empty") << "" << false << qint64(0);
    QTest::newRow("only blanks") << "   " << false << qint64(0);
    QTest::newRow("sign only") << "-" << false << qint64(0);
    QTest::newRow("two signs") << "--3" << false << qint64(0);
    QTest::newRow("inner blank") << "1 2" << false << qint64(0);
    QTest::newRow("blank after sign") << "- 2" << false << qint64(0);
    QTest::newRow("letters") << "ab" << false << qint64(0);
    QTest::newRow("trailing letter") << "6a" << false << qint64(0);
    QTest::newRow("fraction") << "6.5" << false << qint64(0);
    QTest::newRow("exponent") << "1e2" << false << qint64(0);
    QTest::newRow("hex") << "0x10" << false << qint64(0);
    QTest::newRow("arabic-indic digit") << QStringLiteral("\u0663") << false << qint64(0);
}

void tst_Commands::wholeNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(qint64, value);
    const std::optional<qint64> number = Protocol::wholeNumber(text);
    QCOMPARE(number.has_value(), valid);
    if (valid)
        QCOMPARE(*number, value);
}

void tst_Commands::setAlarm_data()
{
    QTest::addColumn<QString>("hour");
    QTest::addColumn<QString>("minute");
    QTest::addColumn<QString>("amPm");
    QTest::addColumn<int>("track");
    QTest::addColumn<QByteArray>("expected"); // empty: not encodable
    QTest::newRow("first track") << "6"
                                 << "30"
                                 << "AM" << 150 << QByteArray("A, 6, 30,1, 150, 0");
    QTest::newRow("last track") << "07"
                                << "05"
                                << "PM" << 165 << QByteArray("A, 7, 5,2, 165, 0");
    QTest::newRow("lower am") << "6"
                              << "0"
                              << "am" << 151 << QByteArray("A, 6, 0,1, 151, 0");
    QTest::newRow("mixed Am") << "6"
                              << "0"
                              << "Am" << 151 << QByteArray("A, 6, 0,2, 151, 0");
    QTest::newRow("padded AM") << "6"
                               << "0"
                               << " AM" << 151 << QByteArray("A, 6, 0,2, 151, 0");
    QTest::newRow("empty flag") << "6"
                                << "0"
                                << "" << 151 << QByteArray("A, 6, 0,2, 151, 0");
    QTest::newRow("no range check") << "-3"
                                    << "75"
                                    << "x" << 152 << QByteArray("A,-3, 75,2, 152, 0");
    QTest::newRow("hour not a number") << "six"
                                       << "30"
                                       << "AM" << 150 << QByteArray();
    QTest::newRow("minute not a number") << "6"
                                         << "3O"
                                         << "AM" << 150 << QByteArray();
    QTest::newRow("hour empty") << ""
                                << "30"
                                << "AM" << 150 << QByteArray();
    QTest::newRow("minute fraction") << "6"
                                     << "30.5"
                                     << "AM" << 150 << QByteArray();
}

void tst_Commands::setAlarm()
{
    QFETCH(QString, hour);
    QFETCH(QString, minute);
    QFETCH(QString, amPm);
    QFETCH(int, track);
    QFETCH(QByteArray, expected);
    const std::optional<Pieces> pieces = Protocol::setAlarm(hour, minute, amPm, track);
    if (expected.isEmpty()) {
        QVERIFY(!pieces);
        return;
    }
    QVERIFY(pieces);
    QCOMPARE(bytes(*pieces), expected);
}

void tst_Commands::blankSigned_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("zero") << qint64(0) << QByteArray(" 0");
    QTest::newRow("five") << qint64(5) << QByteArray(" 5");
    QTest::newRow("105") << qint64(105) << QByteArray(" 105");
    QTest::newRow("negative") << qint64(-3) << QByteArray("-3");
    QTest::newRow("lowest") << std::numeric_limits<qint64>::min()
                            << QByteArray("-9223372036854775808");
    QTest::newRow("highest") << std::numeric_limits<qint64>::max()
                             << QByteArray(" 9223372036854775807");
}

void tst_Commands::blankSigned()
{
    QFETCH(qint64, value);
    QFETCH(QByteArray, expected);
    QCOMPARE(Protocol::blankSigned(value), expected);
}

void tst_Commands::otherCommands_data()
{
    QTest::addColumn<Pieces>("pieces");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("play") << playTrack(152) << QByteArray("P, 152, 0");
    QTest::newRow("stop") << stopAlarm() << QByteArray("S");
    QTest::newRow("disable") << disableAlarm() << QByteArray("D");
    QTest::newRow("enable") << enableAlarm() << QByteArray("E");
    QTest::newRow("test") << test() << QByteArray("!");
    QTest::newRow("hourly on") << announceHourly(true) << QByteArray("H");
    QTest::newRow("hourly off") << announceHourly(false) << QByteArray("h");
    for (int n = 1; n <= 4; ++n)
        QTest::addRow("scheme %d", n) << colourScheme(n) << QByteArray::number(n);
    for (int n = 5; n <= 7; ++n)
        QTest::addRow("screen %d", n)
                << wakeUpScreen(Device::WakeUpScreen(n)) << QByteArray::number(n);
    QTest::newRow("scheme 0") << colourScheme(0) << QByteArray();
    QTest::newRow("scheme 5") << colourScheme(5) << QByteArray();
    QTest::newRow("screen 4") << wakeUpScreen(Device::WakeUpScreen(4)) << QByteArray();
    QTest::newRow("screen 8") << wakeUpScreen(Device::WakeUpScreen(8)) << QByteArray();
}

void tst_Commands::otherCommands()
{
    QFETCH(Pieces, pieces);
    QFETCH(QByteArray, expected);
    QCOMPARE(bytes(pieces), expected);
    if (expected.isEmpty()) {
        QVERIFY(pieces.isEmpty());
        return;
    }
    const std::optional<Command> decoded = decodeOne(expected);
    QVERIFY(decoded);
    QCOMPARE(decoded->code, expected.at(0));
    QCOMPARE(decoded->raw, expected);
}

// A stream of commands cut into chunks of every size decodes to the same commands.
void tst_Commands::decodeSplits_data()
{
    QTest::addColumn<int>("chunk");
    for (int chunk : {1, 2, 3, 5, 7, 13, 26, 1000})
        QTest::addRow("chunks of %d", chunk) << chunk;
}

void tst_Commands::decodeSplits()
{
    // Every command of the table once, its numbers as wide as they come.
    QList<Pieces> sent;
    for (const CommandRow &row : CommandTable) {
        QList<qint64> fields;
        for (int i = 0; i < row.fields.count; ++i)
            fields << (row.fields.encodings[i] == FieldEncoding::BlankSigned ? -999999999999999999
                                                                             : 2);
        sent.append(encode(row, fields));
    }
    QFETCH(int, chunk);
    QByteArray stream;
    for (const Pieces &pieces : sent)
        stream += bytes(pieces);

    Decoder decoder;
    QList<Command> received;
    QByteArray malformed;
    for (qsizetype at = 0; at < stream.size(); at += chunk)
        received += commandsOf(decoder.feed(stream.mid(at, chunk)), &malformed);
    QVERIFY(decoder.finish().isEmpty());
    QCOMPARE(malformed, QByteArray());
    QCOMPARE(received.size(), sent.size());
    for (int i = 0; i < sent.size(); ++i) {
        QCOMPARE(received[i].raw, bytes(sent[i]));
        QCOMPARE(encode(*commandRow(received[i].code), received[i].fields), sent[i]);
    }
}

void tst_Commands::decodeGarbage_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QByteArray>("codes");     // the commands found, one character each
    QTest::addColumn<QByteArray>("malformed"); // everything else, in order
    // Bytes that start no command are skipped one at a time, so a digit inside rejected bytes
    // is read as the one-byte command it is; the rows avoid such digits unless they show it.
    QTest::newRow("between commands")
            << QByteArray("Sxyz\r\nH") << QByteArray("SH") << QByteArray("xyz\r\n");
    QTest::newRow("cut time then play")
            << QByteArray("T,08,09P, 152, 0") << QByteArray("P") << QByteArray("T,08,09");
    QTest::newRow("leading zero") << QByteArray("P, 089, 0") << QByteArray("")
                                  << QByteArray("P, 089, 0");
    QTest::newRow("minus zero") << QByteArray("P,-0, 0") << QByteArray("") << QByteArray("P,-0, 0");
    QTest::newRow("no sign") << QByteArray("P,98, 0") << QByteArray("") << QByteArray("P,98, 0");
    QTest::newRow("blank before last T field")
            << QByteArray("T,08,09,00, 0, 89, 0,2, 0E") << QByteArray("2E")
            << QByteArray("T,08,09,00, 0, 89, 0,, 0");
    QTest::newRow("bad flag") << QByteArray("A, 9, 80,3, 98, 0") << QByteArray("3")
                              << QByteArray("A, 9, 80,, 98, 0");
    QTest::newRow("binary") << QByteArray("\x00\xff!", 3) << QByteArray("!")
                            << QByteArray("\x00\xff", 2);
    QTest::newRow("cut at the end") << QByteArray("DA, 6") << QByteArray("D") << QByteArray("A, 6");
}

void tst_Commands::decodeGarbage()
{
    QFETCH(QByteArray, stream);
    QFETCH(QByteArray, codes);
    QFETCH(QByteArray, malformed);
    Decoder decoder;
    QByteArray foundMalformed;
    QList<Command> commands = commandsOf(decoder.feed(stream), &foundMalformed);
    commands += commandsOf(decoder.finish(), &foundMalformed);
    QByteArray foundCodes;
    for (const Command &command : commands)
        foundCodes += command.code;
    QCOMPARE(foundCodes, codes);
    QCOMPARE(foundMalformed, malformed);
}

void tst_Commands::decoderBoundsGarbage()
{
    // A digit run that never ends must be rejected, not buffered.
    Decoder decoder;
    QByteArray malformed;
    QList<Command> commands = commandsOf(decoder.feed("A, "), &malformed);
    for (int i = 0; i < 1000; ++i)
        commands += commandsOf(decoder.feed(QByteArray(1000, '8')), &malformed);
    QVERIFY(commands.isEmpty());
    const QList<Decoder::Event> rest = decoder.finish();
    QVERIFY(rest.isEmpty() || rest.first().malformed.size() <= MaxCommandBytes);
    QVERIFY(malformed.size() >= 1000 * 1000);
}

QTEST_APPLESS_MAIN(tst_Commands)
#include "tst_commands.moc"
