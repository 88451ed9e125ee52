#include "export/DatePattern.h"
#include "export/FormatValue.h"
#include "text/TextCoder.h"

#include <QtTest>

Q_DECLARE_METATYPE(PlaceholderValue)

namespace {
const QLocale Ru(QLocale::Russian, QLocale::Russia);
const QLocale En(QLocale::English, QLocale::UnitedStates);
} // namespace

class TestFormatValue : public QObject {
    Q_OBJECT
private slots:
    // A value put into a block for the placeholder {Сумма}; dates "dd.MM.yyyy", times "hh:mm".
    void values_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("block");
        QTest::addColumn<PlaceholderValue>("value");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const QLocale& locale, const char* separator,
                      const PlaceholderValue& value, const QString& out,
                      const QString& block = u"{Сумма}"_qs) {
            QTest::newRow(name) << locale << separator << block << value << out;
        };
        row("ISO date", Ru, ",", u"2023-01-15"_qs, "15.01.2023");
        row("date-time at midnight", Ru, ",", 44941.0, "15.01.2023");
        row("time of day", Ru, ",", 0.5, "12:00");
        row("midnight time of day", Ru, ",", 0.0, "00:00");
        row("number", Ru, ",", u"1234.50"_qs, "1234,50");
        row("number with a space", Ru, ",", u"1 000.00"_qs, "1000,00");
        row("20-digit account", Ru, ",", u"40702810900000000001"_qs, "40702810900000000001");
        row("label and word", Ru, ",", u"Назначение: оплата "_qs, u"оплата"_qs);
        row("bare time", Ru, ",", u"10:30"_qs, "30");
        row("empty", Ru, ",", QString(), "");
        row("year and month only", Ru, ",", u"2023-01"_qs, "2023-01");
        // The separator put in is never taken away again by a later replacement.
        row("ru comma amount", Ru, ".", u"12,50"_qs, "12.50");
        row("ru list amount", Ru, ".", u"1\u00a0234,50\u00a0₽"_qs, "1234.50");
        row("ru amount, mark without spacing", Ru, ".", u"1234,50₽"_qs, "1234.50");
        row("ru both marks", Ru, ",", u"1.234,56"_qs, "1,234,56");
        row("en list amount", En, ".", u"$1,234.50"_qs, "1234.50");
        row("en comma separator", En, ",", u"1234.50"_qs, "1234,50");
        row("every occurrence, any case", Ru, ",", u"7"_qs, u"Сумма=7;7"_qs,
            u"Сумма={СУММА};{сумма}"_qs);
        row("inserted text not searched again", Ru, ",", u"{СУММА}"_qs, u"{СУММА}-{СУММА}"_qs,
            u"{сумма}-{сумма}"_qs);
        row("no overlap", Ru, ",", u"1"_qs, u"1Сумма}"_qs, u"{Сумма}Сумма}"_qs);
    }
    void values() {
        QFETCH(QLocale, locale);
        QFETCH(QString, separator);
        QFETCH(QString, block);
        QFETCH(PlaceholderValue, value);
        FormatSettings formats;
        formats.DecimalSeparator = separator;
        ApplyPlaceholder(block, u"{Сумма}"_qs, value, formats, TextCoder(locale));
        QTEST(block, "expected");
    }

    void datePatterns_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QDateTime>("value");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("expected");
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

QTEST_GUILESS_MAIN(TestFormatValue)
#include "tst_formatvalue.moc"
