#include "export/DatePattern.h"

#include <QtTest>

namespace {
const QLocale Ru(QLocale::Russian, QLocale::Russia);
const QLocale En(QLocale::English, QLocale::UnitedStates);
} // namespace

class TestDatePattern : public QObject {
    Q_OBJECT
private slots:
    void tokens_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QDateTime>("value");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("expected");

        // Sunday 5 March 2023, 07:04:09 in the morning; Friday 15 December 2023, 14:30:05.
        const QDateTime morning(QDate(2023, 3, 5), QTime(7, 4, 9));
        const QDateTime afternoon(QDate(2023, 12, 15), QTime(14, 30, 5));
        auto row = [&](const char* name, const QString& pattern, const QDateTime& value,
                       const QLocale& locale, const QString& expected) {
            QTest::newRow(name) << pattern << value << locale << expected;
        };
        row("default date", "dd.MM.yyyy", morning, Ru, "05.03.2023");
        row("default time", "hh:mm", morning, Ru, "07:04");
        row("short forms", "d.m.yy h:n:s", morning, Ru, "5.3.23 7:4:9");
        row("letters in any case", "DD.mm.YYYY HH:NN:SS", morning, Ru, "05.03.2023 07:04:09");
        row("m after an hour is the minute", "h mm", afternoon, Ru, "14 30");
        row("m after quoted text after an hour", "hh\"ч\"m", afternoon, Ru, u"14ч30"_qs);
        row("m before an hour is the month", "m h", afternoon, Ru, "12 14");
        row("weekday names ru", "ddd dddd", morning, Ru, u"вс воскресенье"_qs);
        row("weekday names en", "ddd dddd", morning, En, "Sun Sunday");
        row("month names en", "mmm mmmm", afternoon, En, "Dec December");
        row("month name after a day ru", "d mmmm yyyy", afternoon, Ru, u"15 декабря 2023"_qs);
        row("month name alone ru", "mmmm yyyy", afternoon, Ru, u"декабрь 2023"_qs);
        row("date separator ru", "dd/mm/yyyy", afternoon, Ru, "15.12.2023");
        row("date separator en", "mm/dd/yyyy", afternoon, En, "12/15/2023");
        row("time separator en", "hh:nn", afternoon, En, "14:30");
        row("AM/PM afternoon", "h:nn AM/PM", afternoon, En, "2:30 PM");
        row("am/pm morning", "hh:nn am/pm", morning, En, "07:04 am");
        row("A/P at noon", "h A/P", QDateTime(QDate(2023, 1, 1), QTime(12, 0)), En, "12 P");
        row("a/p at midnight", "h a/p", QDateTime(QDate(2023, 1, 1), QTime(0, 0)), En, "12 a");
        row("no marker keeps 24 hours", "h", afternoon, En, "14");
        row("quoted text", "\"day\" d", morning, Ru, "day 5");
        row("backslash escapes", "\\d\\:d", morning, Ru, "d:5");
        row("quarter", "q", afternoon, Ru, "4");
        row("day of the year", "y", afternoon, Ru, "349");
        row("yyy is year and day", "yyy", morning, Ru, "2364");
        row("weekday number from Sunday", "w", morning, Ru, "1");
        row("week of 1 January", "ww", QDateTime(QDate(2023, 1, 1), QTime()), Ru, "1");
        // 2022 began on a Saturday: the Sunday after starts week 2.
        row("week from Sunday", "ww", QDateTime(QDate(2022, 1, 2), QTime()), Ru, "2");
        row("last week of a year", "ww", QDateTime(QDate(2022, 12, 31), QTime()), Ru, "53");
        row("no tokens", "---", morning, Ru, "---");
        row("midnight", "hh:nn", QDateTime(QDate(1899, 12, 30), QTime(0, 0)), Ru, "00:00");
        row("short date", "ddddd", afternoon, Ru, "15.12.2023");
    }
    void tokens() {
        QFETCH(QString, pattern);
        QFETCH(QDateTime, value);
        QFETCH(QLocale, locale);
        QFETCH(QString, expected);
        QCOMPARE(FormatDatePattern(pattern, value, locale), expected);
    }
};

QTEST_GUILESS_MAIN(TestDatePattern)
#include "tst_datepattern.moc"
