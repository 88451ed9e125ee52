#include "text/DateParse.h"

#include <QTest>

#include <cmath>

namespace {
const QLocale Ru(QLocale::Russian, QLocale::Russia);
const QLocale En(QLocale::English, QLocale::UnitedStates);

double Ole(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
    return OleDateFromDateTime(QDateTime(QDate(y, m, d), QTime(h, mi, s)));
}
} // namespace

class TestDateParse : public QObject {
    Q_OBJECT
private slots:
    void oleDate_data() {
        QTest::addColumn<QDateTime>("dateTime");
        QTest::addColumn<double>("ole");
        QTest::newRow("epoch") << QDateTime(QDate(1899, 12, 30), QTime(0, 0)) << 0.0;
        QTest::newRow("1900-01-01") << QDateTime(QDate(1900, 1, 1), QTime(0, 0)) << 2.0;
        QTest::newRow("noon") << QDateTime(QDate(1899, 12, 30), QTime(12, 0)) << 0.5;
        QTest::newRow("2023 evening") << QDateTime(QDate(2023, 1, 15), QTime(18, 0)) << 44941.75;
        QTest::newRow("before epoch") << QDateTime(QDate(1899, 12, 29), QTime(6, 0)) << -1.25;
    }
    void oleDate() {
        QFETCH(QDateTime, dateTime);
        QFETCH(double, ole);
        QCOMPARE(OleDateFromDateTime(dateTime), ole);
        QCOMPARE(DateTimeFromOleDate(ole), dateTime);
    }

    void accepted_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        const double jan15 = Ole(2023, 1, 15);
        for (const char* text :
             {"2023-01-15", "15.01.2023", "5.1.2023", "15.01.23", "  2023-01-15 "})
            QTest::addRow("ru %s", text) << Ru << text << (text[0] == '5' ? jan15 - 10 : jan15);
        QTest::newRow("iso time") << Ru << "2023-01-15 10:30" << Ole(2023, 1, 15, 10, 30);
        QTest::newRow("iso T") << Ru << "2023-01-15T10:30:15" << Ole(2023, 1, 15, 10, 30, 15);
        QTest::newRow("iso fraction zone")
            << Ru << "2023-01-15T10:30:15.250+03:00" << Ole(2023, 1, 15, 10, 30, 15) + 0.25 / 86400;
        QTest::newRow("iso Z") << Ru << "2023-01-15T23:30:00Z" << Ole(2023, 1, 15, 23, 30);
        QTest::newRow("dotted time") << Ru << "15.01.2023 08:05:09" << Ole(2023, 1, 15, 8, 5, 9);
        QTest::newRow("year 29") << Ru << "01.02.29" << Ole(2029, 2, 1);
        QTest::newRow("year 30") << Ru << "01.02.30" << Ole(1930, 2, 1);
        QTest::newRow("year 00") << Ru << "01.02.00" << Ole(2000, 2, 1);
        QTest::newRow("leap day") << Ru << "29.02.2024" << Ole(2024, 2, 29);
        QTest::newRow("bare time") << Ru << "12:00" << 0.5;
        QTest::newRow("bare time seconds") << Ru << "06:00:00" << 0.25;
        QTest::newRow("midnight") << Ru << "00:00" << 0.0;
        QTest::newRow("en short") << En << "1/15/23" << jan15;
        QTest::newRow("en short 45") << En << "1/15/45" << Ole(1945, 1, 15);
        QTest::newRow("en long year") << En << "1/15/2023" << jan15;
        QTest::newRow("en pm") << En << "1/15/23 3:30 PM" << Ole(2023, 1, 15, 15, 30);
        QTest::newRow("en iso") << En << "2023-01-15" << jan15;
        QTest::newRow("en dotted") << En << "15.01.2023" << jan15;
    }
    void accepted() {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QFETCH(double, expected);
        const std::optional<double> value = ParseDateText(text, locale);
        QVERIFY(value.has_value());
        QVERIFY2(std::fabs(*value - expected) < 1e-9, qPrintable(QString::number(*value, 'f', 9)));
    }

    void rejected_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        for (const QString& text : {u"12"_qs,
                                    u"1234.50"_qs,
                                    u"12.5"_qs,
                                    u"12,5"_qs,
                                    u"1 234,50"_qs,
                                    u"1\u00A0234,50\u00A0₽"_qs,
                                    u"2023-02-30"_qs,
                                    u"31.04.2023"_qs,
                                    u"2023-13-01"_qs,
                                    u"2023-01"_qs,
                                    u"15.01"_qs,
                                    u"15.01.2023 25:00"_qs,
                                    u"15.01.2023 10:60"_qs,
                                    u"24:00"_qs,
                                    u"12:5"_qs,
                                    u"10:30 x"_qs,
                                    u"15.01.2023x"_qs,
                                    u"15.01.202"_qs,
                                    u"15.01.20233"_qs,
                                    u"abc"_qs,
                                    u""_qs,
                                    u" "_qs,
                                    u"-2023-01-15"_qs,
                                    u"2023/01/15"_qs,
                                    u"1/15/23"_qs,
                                    u"0000-01-01"_qs,
                                    u"2023.01.15"_qs})
            QTest::addRow("ru %s", qPrintable(text)) << Ru << text;
        for (const char* text : {"12", "1,234.50", "$1.00", "13/15/23", "2/30/23", "12.5", "1/15"})
            QTest::addRow("en %s", text) << En << QString(text);
    }
    void rejected() {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QVERIFY(!ParseDateText(text, locale).has_value());
    }

    void generalDate_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<double>("ole");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ru date") << Ru << Ole(2023, 1, 15) << "15.01.2023";
        QTest::newRow("ru date time") << Ru << Ole(2023, 1, 15, 10, 30) << "15.01.2023 10:30:00";
        QTest::newRow("ru bare time") << Ru << 0.5 << "12:00:00";
        QTest::newRow("ru zero") << Ru << 0.0 << "00:00:00";
        QTest::newRow("en date") << En << Ole(2023, 1, 15) << "1/15/23";
        QTest::newRow("en date time") << En << Ole(2023, 1, 15, 15, 30) << "1/15/23 3:30:00 PM";
        QTest::newRow("nan") << Ru << std::nan("") << "";
    }
    void generalDate() {
        QFETCH(QLocale, locale);
        QFETCH(double, ole);
        QFETCH(QString, expected);
        QCOMPARE(GeneralDateText(ole, locale), expected);
        if (!expected.isEmpty() && !expected.contains(QLatin1Char('/')))
            QCOMPARE(ParseDateText(expected, locale).value_or(-1), ole);
    }
};

QTEST_APPLESS_MAIN(TestDateParse)
#include "tst_dateparse.moc"
