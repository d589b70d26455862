#include "devicestate.h"

#include <QtGui/QColor>
#include <QtTest/QtTest>

// The simulated clock's state, driven by byte streams and a stepped clock.
class tst_DeviceState : public QObject
{
    Q_OBJECT

private slots:
    void shows_data();
    void shows();
    void schemeColours_data();
    void schemeColours();

private:
    enum Item { Time, Date, Scheme, Screen, Alarm, Announce, Event, Overlay };
};

void tst_DeviceState::shows_data()
{
    // Bytes received at 0 ms, more bytes `waitMs` later; what the face then shows of one item.
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<qint64>("waitMs");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *name, const QByteArray &before, qint64 waitMs,
                        const QByteArray &after, Item item, const char *expected) {
        QTest::newRow(name) << before << waitMs << after << int(item) << QString(expected);
    };
    const auto setTo = [](const char *iso) { // "T" with the local time `iso`
        return Protocol::bytes(
                Protocol::setTime(QDateTime::fromString(QLatin1String(iso), Qt::ISODate)));
    };
    const QByteArray t = setTo("2018-07-04T15:05:32");
    const QByteArray alarm = "A, 6, 30,1, 151, 0"; // 6:30 AM, Alarm #2
    const QByteArray early = setTo("2018-07-04T06:29:58");
    const QByteArray nearAlarm = early + alarm;
    const QByteArray lateNight = setTo("2018-12-31T23:59:59");
    const QByteArray nearHour = setTo("2018-07-04T06:59:59");

    row("time before T", "", 5000, "", Time, "--:--:--");
    row("time T, 2 s on", t, 2000, "", Time, "3:05:34 PM");
    row("time whole seconds to noon", setTo("2018-07-04T11:59:59"), 1999, "", Time, "12:00:00 PM");
    row("time over midnight", lateNight, 1000, "", Time, "12:00:00 AM");
    row("date over midnight", lateNight, 1000, "", Date, "Tue 2019-01-01");
    row("time bad T kept", t, 1000, "T,13,01,18, 3, 105, 32,2,0", Time, "3:05:33 PM");
    row("scheme last wins", "x32\x01", 0, "4", Scheme, "Teal/Black");
    row("scheme at start", "", 0, "", Scheme, "Black/Green");
    row("screen 7 is 3", "57", 0, "", Screen, "Wake-up screen 3");
    row("alarm at start", "", 0, "", Alarm, "Alarm not set, enabled");
    row("alarm disabled", alarm + "D", 0, "", Alarm,
        "Alarm 6:30 AM, track 151 (Alarm #2), disabled");
    row("alarm no time of day", "A, 13, 5,2, 170, 0", 0, "", Alarm,
        "Alarm 13:05 PM (not a time of day), track 170, enabled");
    row("announce on", "H", 0, "", Announce, "Hourly announcement on");
    row("announce at the hour", nearHour + "H", 1000, "", Event, "announce 07:00");
    row("announce off again", "Hh", 0, "", Announce, "Hourly announcement off");
    row("announce only when on", nearHour, 1000, "", Event, "");
    row("announce is short", nearHour + "H", 1000 + DeviceState::AnnounceShowMs, "", Event, "");
    row("play", "P, 152, 0", 0, "", Event, "playing track 152");
    row("play until stop", "P, 152, 0", 60000, "S", Event, "");
    row("test 3 s", "!", DeviceState::TestShowMs - 1, "", Overlay, "TEST");
    row("test over", "!", DeviceState::TestShowMs, "", Overlay, "");
    row("alarm rings", nearAlarm, 2000, "", Overlay, "playing track 151");
    row("alarm not yet", nearAlarm, 1999, "", Overlay, "");
    row("alarm disabled is quiet", nearAlarm + "D", 2000, "", Overlay, "");
    row("alarm enabled again", nearAlarm + "DE", 2000, "", Overlay, "playing track 151");
    row("alarm PM is not AM", early + "A, 6, 30,2, 151, 0", 2000, "", Overlay, "");
    row("alarm 12 AM", lateNight + "A, 12, 0,1, 160, 0", 1000, "", Overlay, "playing track 160");
}

void tst_DeviceState::shows()
{
    QFETCH(QByteArray, before);
    QFETCH(qint64, waitMs);
    QFETCH(QByteArray, after);
    QFETCH(int, item);
    DeviceState s;
    Protocol::Decoder decoder;   // one stream, as from one panel
    const qint64 start = 123456; // any: the state only uses differences of the monotonic clock
    for (const auto &[bytes, nowMs] :
         {qMakePair(before, start), qMakePair(after, start + waitMs)}) {
        s.advance(nowMs);
        for (const Protocol::Decoder::Event &event : decoder.feed(bytes)) {
            if (event.command)
                s.receive(*event.command, nowMs);
        }
    }
    const QString scheme = QLatin1String(DeviceState::scheme(s.schemeNumber()).name);
    const QString shown[] = {s.timeText(),  s.dateText(),     scheme,        s.screenText(),
                             s.alarmText(), s.announceText(), s.eventText(), s.overlayText()};
    QTEST(shown[item], "expected");
}

void tst_DeviceState::schemeColours_data()
{
    // The command that chooses a scheme (the tag); its name, background and digits on screen.
    QTest::addColumn<QString>("expected");
    QTest::newRow("1") << "Black/Green #000000 #00ff00";
    QTest::newRow("2") << "Black/Red #000000 #ff0000";
    QTest::newRow("3") << "Blue/Yellow #0000ff #ffff00";
    QTest::newRow("4") << "Teal/Black #008080 #000000";
}

void tst_DeviceState::schemeColours()
{
    DeviceState s;
    Protocol::Decoder decoder;
    s.receive(*decoder.feed(QTest::currentDataTag()).value(0).command, 0);
    const DeviceState::Scheme scheme = DeviceState::scheme(s.schemeNumber());
    QTEST(QStringLiteral("%1 %2 %3")
                  .arg(QLatin1String(scheme.name), QColor(scheme.background).name(),
                       QColor(scheme.text).name()),
          "expected");
}

QTEST_GUILESS_MAIN(tst_DeviceState)
#include "tst_devicestate.moc"
