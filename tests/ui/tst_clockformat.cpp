#include "clockformat.h"

#include <QtTest/QtTest>

// The date and time captions across locales, week starts, the midnight roll-over and the ticks.
class tst_ClockFormat : public QObject
{
    Q_OBJECT
private slots:
    void dateCaption_data();
    void dateCaption();
    void timeCaption_data();
    void timeCaption();
    void timeFormatWithoutZone_data();
    void timeFormatWithoutZone();
    void midnight_data();
    void midnight();
    void tickAimsAtTheNextSecondEachTime();
};

void tst_ClockFormat::dateCaption_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("expected");

    QTest::newRow("en_US new year, leading zero kept")
            << "en_US" << QDate(2018, 1, 1) << "Monday,  Jan 01, 2018";
    QTest::newRow("en_US Sunday, first day of its week")
            << "en_US" << QDate(2018, 1, 7) << "Sunday,  Jan 07, 2018";
    QTest::newRow("en_US Saturday") << "en_US" << QDate(2018, 7, 14) << "Saturday,  Jul 14, 2018";
    QTest::newRow("en_US leap day") << "en_US" << QDate(2020, 2, 29) << "Saturday,  Feb 29, 2020";
    QTest::newRow("de_DE names") << "de_DE" << QDate(2018, 5, 7) << "Montag,  Mai 07, 2018";
    QTest::newRow("de_DE Sunday ends a Monday-first week")
            << "de_DE" << QDate(2018, 5, 13) << "Sonntag,  Mai 13, 2018";
    QTest::newRow("en_GB Sunday ends a Monday-first week")
            << "en_GB" << QDate(2018, 1, 7) << "Sunday,  Jan 07, 2018";
    QTest::newRow("en_GB Monday") << "en_GB" << QDate(2018, 1, 8) << "Monday,  Jan 08, 2018";
    QTest::newRow("fi_FI standalone weekday, not the inflected one")
            << "fi_FI" << QDate(2018, 7, 4) << "keskiviikko,  heinäk. 04, 2018";
}

void tst_ClockFormat::dateCaption()
{
    QFETCH(QString, locale);
    QFETCH(QDate, date);
    QFETCH(QString, expected);
    QCOMPARE(::dateCaption(date, QLocale(locale)), expected);
}

void tst_ClockFormat::timeCaption_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("expected");

    QTest::newRow("en_US evening") << "en_US" << QTime(21, 5, 7) << "9:05:07 PM";
    QTest::newRow("en_US morning") << "en_US" << QTime(9, 5, 7) << "9:05:07 AM";
    QTest::newRow("en_US noon") << "en_US" << QTime(12, 0, 0) << "12:00:00 PM";
    QTest::newRow("en_US midnight") << "en_US" << QTime(0, 0, 0) << "12:00:00 AM";
    QTest::newRow("de_DE 24-hour") << "de_DE" << QTime(21, 5, 7) << "21:05:07";
    QTest::newRow("de_DE early") << "de_DE" << QTime(1, 2, 3) << "01:02:03";
    QTest::newRow("en_GB 24-hour") << "en_GB" << QTime(21, 5, 7) << "21:05:07";
}

void tst_ClockFormat::timeCaption()
{
    QFETCH(QString, locale);
    QFETCH(QTime, time);
    QFETCH(QString, expected);
    QCOMPARE(::timeCaption(time, QLocale(locale)), expected);
}

void tst_ClockFormat::timeFormatWithoutZone_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("expected");

    QTest::newRow("zone last") << "h:mm:ss AP t"
                               << "h:mm:ss AP";
    QTest::newRow("zone first") << "t HH:mm:ss"
                                << "HH:mm:ss";
    QTest::newRow("zone glued to a field") << "tAh:mm:ss"
                                           << "Ah:mm:ss";
    QTest::newRow("long zone run") << "HH:mm:ss tttt"
                                   << "HH:mm:ss";
    QTest::newRow("zone between fields") << "HH:mm t AP"
                                         << "HH:mm AP";
    QTest::newRow("bracketed zone") << "H:mm:ss (t)"
                                    << "H:mm:ss";
    QTest::newRow("quoted t kept") << "HH 'at' mm t"
                                   << "HH 'at' mm";
    QTest::newRow("escaped quote inside quotes") << "HH 'o''t' mm"
                                                 << "HH 'o''t' mm";
    QTest::newRow("no zone") << "HH:mm:ss"
                             << "HH:mm:ss";
    QTest::newRow("only a zone") << "t"
                                 << "";
}

void tst_ClockFormat::timeFormatWithoutZone()
{
    QFETCH(QString, format);
    QFETCH(QString, expected);
    QCOMPARE(::timeFormatWithoutZone(format), expected);
}

void tst_ClockFormat::midnight_data()
{
    QTest::addColumn<QDateTime>("before");
    QTest::addColumn<QString>("dateBefore");
    QTest::addColumn<QString>("timeBefore");
    QTest::addColumn<QString>("dateAfter");
    QTest::addColumn<QString>("timeAfter");

    QTest::newRow("new weekday") << QDateTime(QDate(2018, 1, 1), QTime(23, 59, 59))
                                 << "Monday,  Jan 01, 2018"
                                 << "11:59:59 PM"
                                 << "Tuesday,  Jan 02, 2018"
                                 << "12:00:00 AM";
    QTest::newRow("new year") << QDateTime(QDate(2018, 12, 31), QTime(23, 59, 59))
                              << "Monday,  Dec 31, 2018"
                              << "11:59:59 PM"
                              << "Tuesday,  Jan 01, 2019"
                              << "12:00:00 AM";
}

void tst_ClockFormat::midnight()
{
    QFETCH(QDateTime, before);
    QFETCH(QString, dateBefore);
    QFETCH(QString, timeBefore);
    QFETCH(QString, dateAfter);
    QFETCH(QString, timeAfter);

    const QLocale locale(QStringLiteral("en_US"));
    const QDateTime after = before.addSecs(1);
    QCOMPARE(::dateCaption(before.date(), locale), dateBefore);
    QCOMPARE(::timeCaption(before.time(), locale), timeBefore);
    QCOMPARE(::dateCaption(after.date(), locale), dateAfter);
    QCOMPARE(::timeCaption(after.time(), locale), timeAfter);
}

void tst_ClockFormat::tickAimsAtTheNextSecondEachTime()
{
    QDateTime now(QDate(2018, 7, 4), QTime(12, 0, 0));
    ClockTicker ticker([&now] { return now; });
    // Started anywhere in a second, the captions change at most 20 ms after the next one.
    for (int msec : {0, 500, 999}) {
        now.setTime(QTime(12, 0, 0, msec));
        ticker.start();
        const int landsAt = msec + ticker.nextTickDelay();
        QVERIFY2(landsAt > 1000 && landsAt <= 1020, qPrintable(QString::number(landsAt)));
    }
    QSignalSpy ticks(&ticker, &ClockTicker::ticked);
    now.setTime(QTime(12, 0, 0, 995));
    ticker.start();
    // A tick 300 ms late, as on a busy machine: the next still lands just after a second.
    now.setTime(QTime(12, 0, 1, 300));

    QVERIFY(ticks.wait(5000));
    QCOMPARE(300 + ticker.nextTickDelay(), 1000 + ClockTicker::MarginMs);
    QVERIFY(ticker.isActive());
}

QTEST_GUILESS_MAIN(tst_ClockFormat)
#include "tst_clockformat.moc"
