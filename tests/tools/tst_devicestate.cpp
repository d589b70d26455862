#include "tools/sim/devicestate.h"

#include <QtTest/QtTest>

using namespace Protocol;

// The simulated clock's state, driven by byte streams and a stepped clock.
class tst_DeviceState : public QObject
{
    Q_OBJECT

private slots:
    void shows_data();
    void shows();
};

namespace {

QByteArray timeBytes(int hour, int minute, int second)
{
    return bytes(setTime(QDateTime(QDate(2018, 7, 4), QTime(hour, minute, second))));
}

const QByteArray alarm630 = bytes(*setAlarm(u"6", u"30", u"AM", 151));

// Decodes `bytes` and hands every command to `state` at nowMs, as the simulator does.
void feed(DeviceState &state, const QByteArray &bytes, qint64 nowMs)
{
    Decoder decoder;
    for (const Decoder::Event &event : decoder.feed(bytes)) {
        if (event.command)
            state.receive(*event.command, nowMs);
    }
}

QString shown(const DeviceState &state, const QString &what)
{
    if (what == "time")
        return state.timeText() + ' ' + state.dateText();
    if (what == "scheme")
        return QLatin1String(DeviceState::scheme(state.schemeNumber()).name);
    if (what == "screen")
        return state.screenText();
    if (what == "alarm")
        return state.alarmText();
    if (what == "announce")
        return state.announceText();
    if (what == "event")
        return state.eventText();
    if (what == "overlay")
        return state.overlayText();
    return QStringLiteral("unknown item %1").arg(what);
}

} // namespace

void tst_DeviceState::shows_data()
{
    // Bytes received at 0 ms, the clock moved on by `waitMs`, then more bytes; what the face
    // shows of one item.
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<qint64>("waitMs");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("expected");

    const QByteArray t = timeBytes(15, 5, 32);
    QTest::newRow("time before T") << QByteArray() << 5000ll << QByteArray() << "time"
                                   << "--:--:-- ";
    QTest::newRow("time T") << t << 0ll << QByteArray() << "time"
                            << "3:05:32 PM Wed 2018-07-04";
    QTest::newRow("time runs on 2 s") << t << 2000ll << QByteArray() << "time"
                                      << "3:05:34 PM Wed 2018-07-04";
    QTest::newRow("time whole seconds only") << t << 1999ll << QByteArray() << "time"
                                             << "3:05:33 PM Wed 2018-07-04";
    QTest::newRow("time over midnight")
            << bytes(setTime(QDateTime(QDate(2018, 12, 31), QTime(23, 59, 59)))) << 1000ll
            << QByteArray() << "time"
            << "12:00:00 AM Tue 2019-01-01";
    QTest::newRow("time noon") << timeBytes(12, 0, 0) << 0ll << QByteArray() << "time"
                               << "12:00:00 PM Wed 2018-07-04";
    QTest::newRow("time impossible T kept old")
            << t << 1000ll << QByteArray("T,13,01,18, 3, 105, 32,2,0") << "time"
            << "3:05:33 PM Wed 2018-07-04";
    QTest::newRow("time second T restarts") << t << 60000ll << timeBytes(6, 0, 0) << "time"
                                            << "6:00:00 AM Wed 2018-07-04";

    QTest::newRow("scheme at start") << QByteArray() << 0ll << QByteArray() << "scheme"
                                     << "Black/Green";
    QTest::newRow("scheme 3") << QByteArray("3") << 0ll << QByteArray() << "scheme"
                              << "Blue/Yellow";
    QTest::newRow("scheme last wins") << QByteArray("x32\x01") << 0ll << QByteArray("4") << "scheme"
                                      << "Teal/Black";
    QTest::newRow("screen 6 is 2") << QByteArray("6") << 0ll << QByteArray() << "screen"
                                   << "Wake-up screen 2";
    QTest::newRow("screen 7 is 3") << QByteArray("57") << 0ll << QByteArray() << "screen"
                                   << "Wake-up screen 3";

    QTest::newRow("alarm at start") << QByteArray() << 0ll << QByteArray() << "alarm"
                                    << "Alarm not set, enabled";
    QTest::newRow("alarm set") << alarm630 << 0ll << QByteArray() << "alarm"
                               << "Alarm 6:30 AM, track 151 (Alarm #2), enabled";
    QTest::newRow("alarm disabled") << alarm630 + "D" << 0ll << QByteArray() << "alarm"
                                    << "Alarm 6:30 AM, track 151 (Alarm #2), disabled";
    QTest::newRow("alarm no time of day")
            << bytes(*setAlarm(u"13", u"5", u"PM", 170)) << 0ll << QByteArray() << "alarm"
            << "Alarm 13:05 PM (not a time of day), track 170, enabled";

    QTest::newRow("announce at start") << QByteArray() << 0ll << QByteArray() << "announce"
                                       << "Hourly announcement off";
    QTest::newRow("announce on") << QByteArray("H") << 0ll << QByteArray() << "announce"
                                 << "Hourly announcement on";
    QTest::newRow("announce at the hour")
            << timeBytes(6, 59, 59) + "H" << 1000ll << QByteArray() << "event"
            << "announce 07:00";
    QTest::newRow("announce only when on")
            << timeBytes(6, 59, 59) << 1000ll << QByteArray() << "event"
            << "";
    QTest::newRow("announce is short")
            << timeBytes(6, 59, 59) + "H" << 1000 + DeviceState::AnnounceShowMs << QByteArray()
            << "event"
            << "";

    QTest::newRow("play") << bytes(playTrack(152)) << 0ll << QByteArray() << "event"
                          << "playing track 152";
    QTest::newRow("play until stop")
            << bytes(playTrack(152)) << 60000ll << QByteArray("S") << "event"
            << "";

    QTest::newRow("test") << QByteArray("!") << 0ll << QByteArray() << "overlay"
                          << "TEST";
    QTest::newRow("test 3 s") << QByteArray("!") << DeviceState::TestShowMs - 1 << QByteArray()
                              << "overlay"
                              << "TEST";
    QTest::newRow("test over") << QByteArray("!") << DeviceState::TestShowMs << QByteArray()
                               << "overlay"
                               << "";

    const QByteArray nearAlarm = timeBytes(6, 29, 58) + alarm630;
    QTest::newRow("alarm rings") << nearAlarm << 2000ll << QByteArray() << "overlay"
                                 << "playing track 151";
    QTest::newRow("alarm not yet") << nearAlarm << 1999ll << QByteArray() << "overlay"
                                   << "";
    QTest::newRow("alarm rings until stop") << nearAlarm << 600000ll << QByteArray() << "event"
                                            << "playing track 151";
    QTest::newRow("alarm stopped") << nearAlarm << 2000ll << QByteArray("S") << "overlay"
                                   << "";
    QTest::newRow("alarm disabled stays quiet")
            << nearAlarm + "D" << 2000ll << QByteArray() << "overlay"
            << "";
    QTest::newRow("alarm pm is not am")
            << timeBytes(6, 29, 58) + bytes(*setAlarm(u"6", u"30", u"PM", 151)) << 2000ll
            << QByteArray() << "overlay"
            << "";
    QTest::newRow("alarm 12 AM is midnight")
            << bytes(setTime(QDateTime(QDate(2018, 7, 4), QTime(23, 59, 59))))
                    + bytes(*setAlarm(u"12", u"0", u"AM", 160))
            << 1000ll << QByteArray() << "overlay"
            << "playing track 160";
}

void tst_DeviceState::shows()
{
    QFETCH(QByteArray, before);
    QFETCH(qint64, waitMs);
    QFETCH(QByteArray, after);
    QFETCH(QString, what);
    QFETCH(QString, expected);

    DeviceState state;
    // Any start value: the state only uses differences of the monotonic clock.
    const qint64 start = 123456;
    feed(state, before, start);
    state.advance(start + waitMs);
    feed(state, after, start + waitMs);
    QCOMPARE(shown(state, what), expected);
}

QTEST_GUILESS_MAIN(tst_DeviceState)
#include "tst_devicestate.moc"
