#include "export/DatePattern.h"
#include "export/FormatValue.h"
#include "export/ValueFormatter.h"

#include <QtTest>
#include "TestMain.h"

Q_DECLARE_METATYPE(PlaceholderValue)

namespace {
const QLocale Ru(QLocale::Russian, QLocale::Russia);
const QLocale En(QLocale::English, QLocale::UnitedStates);
} // namespace

class TestFormatValue : public QObject {
    Q_OBJECT
private slots:
    // A value as the statement writes it; dates "dd.MM.yyyy", times "hh:mm". The reader's
    // locale plays no part: the numbers are the sender's.
    void values_data() {
        AddColumns<QString, PlaceholderValue, QString, bool>(
            {"separator", "value", "expected", "afterColon"});
        QTest::addColumn<QString>("pattern"); // of dates; empty: as is
        auto row = [](const char* name, const char* separator, const PlaceholderValue& value,
                      const QString& out, bool afterColon = false, const char* pattern = "") {
            QTest::newRow(name) << separator << value << out << afterColon << QString(pattern);
        };
        row("ISO date", ",", u"2023-01-15"_qs, "15.01.2023");
        row("date-time at midnight", ",", 44941.0, "15.01.2023");
        row("time of day", ",", 0.5, "12:00");
        row("midnight time of day", ",", 0.0, "00:00");
        row("number", ",", u"1234.50"_qs, "1234,50");
        row("20-digit account", ",", u"40702810900000000001"_qs, "40702810900000000001");
        // Text reaches the statement whole; the label rule only when the template asks for it.
        row("purpose with a colon stays whole", ",",
            u" Оплата по счету № 17. В т.ч. НДС (20%): 2500.00 "_qs,
            u"Оплата по счету № 17. В т.ч. НДС (20%): 2500.00"_qs);
        row("bare time stays whole", ",", u"10:30"_qs, "10:30");
        row("label rule when asked", ",", u"Назначение: оплата "_qs, u"оплата"_qs, true);
        row("bare time, label rule", ",", u"10:30"_qs, "30", true);
        row("each run of line breaks one space", ",", u"Оплата\r\nНДС\n\n10%\r \rитого\r\n"_qs,
            u"Оплата НДС 10%   итого"_qs);
        row("percent signs and braces as written", ",", u"НДС 20%16 a%20b {Сумма}"_qs,
            u"НДС 20%16 a%20b {Сумма}"_qs);
        row("empty", ",", QString(), "");
        row("year and month only", ",", u"2023-01"_qs, "2023-01");
        row("comma amount", ".", u"12,50"_qs, "12.50");
        row("no-break spaces", ".", u"1\u00a0234\u00a0567,8"_qs, "1234567.8");
        row("separator of one space stays", " ", u"1234.50"_qs, "1234 50");
        // For 1C on a Russian system: Russian names, "." for "/".
        const double sunday = 44990.0 + (7 * 3600 + 4 * 60 + 9) / 86400.0; // 5 March 2023
        row("a month's name", ",", sunday, u"5 марта"_qs, false, "d MMMM");
        row("the date separator", ",", sunday, "05.03.2023", false, "dd/mm/yyyy");
    }
    void values() {
        QFETCH(QString, separator);
        QFETCH(PlaceholderValue, value);
        QFETCH(bool, afterColon);
        QFETCH(QString, pattern);
        FormatSettings formats;
        formats.DecimalSeparator = separator;
        formats.AfterColon = afterColon;
        if (!pattern.isEmpty()) formats.DateFormat = pattern;
        // Whatever locale the machine making the statement runs under.
        const QLocale before;
        for (const QLocale& machine : {En, QLocale(QLocale::German, QLocale::Germany)}) {
            QLocale::setDefault(machine);
            const QString got = FormatValue(value, formats);
            QLocale::setDefault(before);
            QTEST(got, "expected");
        }
    }

    // The export formats repeated values once: the results stay FormatValue's, for repeats, for
    // long texts and after more distinct values than it keeps.
    void formatterGivesFormatValue() {
        FormatSettings formats;
        formats.DecimalSeparator = u","_qs;
        const QString purpose = u"Оплата по счету № 17 от 01.03.2024: семена. "_qs.repeated(3);
        QStringList values = {u"2023-01-15"_qs, u"1 000.00"_qs, purpose, u"10:30"_qs, QString()};
        for (int i = 0; i < 20000; ++i)
            values << QString::number(i) + u".5"_qs << values[i % 5];
        ValueFormatter formatter(formats);
        for (const QString& value : std::as_const(values))
            QCOMPARE(formatter.Format(value), FormatValue(value, formats));
    }

    void datePatterns_data() {
        AddColumns<QString, QDateTime, QLocale, QString>(
            {"pattern", "value", "locale", "expected"});
        // Sunday 5 March 2023, 07:04:09; Friday 15 December 2023, 14:30:05.
        const QDateTime sun(QDate(2023, 3, 5), QTime(7, 4, 9));
        const QDateTime fri(QDate(2023, 12, 15), QTime(14, 30, 5));
        auto at = [](int y, int m, int d, int h) { return QDateTime(QDate(y, m, d), QTime(h, 0)); };
        auto row = [](const char* name, const char* pattern, const QDateTime& value,
                      const QLocale& locale, const QString& out) {
            QTest::newRow(name) << pattern << value << locale << out;
        };
        row("short forms", "d.m.yy h:n:s", sun, Ru, "5.3.23 7:4:9");
        row("letters in any case", "DD.mm.YYYY HH:NN:SS", sun, Ru, "05.03.2023 07:04:09");
        row("m after an hour is the minute", "h mm", fri, Ru, "14 30");
        row("m after quoted text after an hour", "hh\"ч\"m", fri, Ru, u"14ч30"_qs);
        row("m before an hour is the month", "m h", fri, Ru, "12 14");
        row("names and date separator ru", "ddd dddd d mmmm dd/mm", fri, Ru,
            u"пт пятница 15 декабря 15.12"_qs);
        row("names and date separator en", "ddd dddd mmm mmmm mm/dd", fri, En,
            "Fri Friday Dec December 12/15");
        row("month name alone ru, not after a day", "mmmm yyyy", fri, Ru, u"декабрь 2023"_qs);
        row("AM/PM afternoon", "h:nn AM/PM", fri, En, "2:30 PM");
        row("am/pm morning", "hh:nn am/pm", sun, En, "07:04 am");
        row("A/P at noon", "h A/P", at(2023, 1, 1, 12), En, "12 P");
        row("a/p at midnight", "h a/p", at(2023, 1, 1, 0), En, "12 a");
        row("quoted text and escapes", "\"day\" \\d\\:d", sun, Ru, "day d:5");
        row("quarter, day of the year, weekday, yyy, short date", "q y w yyy ddddd", fri, Ru,
            "4 349 6 23349 15.12.2023");
        // 2022 began on a Saturday: the Sunday after starts week 2.
        row("week from Sunday", "ww", at(2022, 1, 2, 0), Ru, "2");
        row("last week of a year", "ww", at(2022, 12, 31, 0), Ru, "53");
    }
    void datePatterns() {
        QFETCH(QString, pattern);
        QFETCH(QDateTime, value);
        QFETCH(QLocale, locale);
        QTEST(FormatDatePattern(pattern, value, locale), "expected");
    }
};

VYPISKA_TEST_GUILESS_MAIN(TestFormatValue)
#include "tst_formatvalue.moc"
