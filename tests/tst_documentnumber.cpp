#include "text/DocumentNumber.h"

#include <QtTest>
#include "TestMain.h"

// The sender's number, read without the reader's locale. Each row: the text, what the statement
// gets with the separator "." and with ",", and the value in kopecks ("none": not exact).
class TestDocumentNumber : public QObject {
    Q_OBJECT
private slots:
    void numbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("point"); // "-": not a number
        AddColumns<QString, QString>({"comma", "kopecks"});
        auto row = [](const char* name, const QString& text, const char* point, const char* comma,
                      const char* kopecks) {
            QTest::newRow(name) << text << point << comma << kopecks;
        };
        row("spaced groups, comma mark", u"2 500,75"_qs, "2500.75", "2500,75", "250075");
        row("spaced groups, point mark", u"18 000.00"_qs, "18000.00", "18000,00", "1800000");
        row("point groups, comma mark", u"1.234,56"_qs, "1234.56", "1234,56", "123456");
        row("comma groups, point mark", u"1,234.56"_qs, "1234.56", "1234,56", "123456");
        row("several groups, one decimal", u"1 234 567,8"_qs, "1234567.8", "1234567,8",
            "123456780");
        row("whole", u"120000"_qs, "120000", "120000", "12000000");
        row("negative", u"-3"_qs, "-3", "-3", "-300");
        row("typographic minus", u"\u22123,5"_qs, "-3.5", "-3,5", "-350");
        row("plus kept", u"+7"_qs, "+7", "+7", "700");
        row("20-digit account", u"40702810900000012345"_qs, "40702810900000012345",
            "40702810900000012345", "none");
        row("leading zeros kept", u"01"_qs, "01", "01", "100");
        row("decimals as written", u"7300.00"_qs, "7300.00", "7300,00", "730000");
        row("no-break and thin spaces, apostrophes", u"1\u00a0234\u202f567\u2009890'1’2"_qs,
            "123456789012", "123456789012", "12345678901200");
        row("a point twice groups", u"1.234.567"_qs, "1234567", "1234567", "123456700");
        row("a comma twice groups", u"1,234,567"_qs, "1234567", "1234567", "123456700");
        row("both marks, last occurs twice", u"1,234.5.6"_qs, "-", "-", "-");
        row("blanks at the ends", u"  \t12,5 \r\n"_qs, "12.5", "12,5", "1250");
        row("mark first", u".5"_qs, ".5", ",5", "50");
        row("mark last", u"5."_qs, "5.", "5,", "500");
        row("fraction of a kopeck", u"0.005"_qs, "0.005", "0,005", "none");
        row("zeros past the kopecks", u"1.2500"_qs, "1.2500", "1,2500", "125");
        row("beyond 64 bits", u"99999999999999999999"_qs, "99999999999999999999",
            "99999999999999999999", "none");
        row("a date is not one number", u"2024-03-05"_qs, "-", "-", "-");
        row("words", u"12 руб."_qs, "-", "-", "-");
        row("NUL inside", u"150\u0000 00.00"_qs, "-", "-", "-");
        row("line break inside", u"1 234\n,50"_qs, "-", "-", "-");
        row("no digits", u" ., "_qs, "-", "-", "-");
        row("sign alone", u"-"_qs, "-", "-", "-");
        row("exponent", u"1e3"_qs, "-", "-", "-");
        row("empty", QString(), "-", "-", "-");
    }
    void numbers() {
        QFETCH(QString, text);
        QFETCH(QString, point);
        const std::optional<DocumentNumber> number = ReadDocumentNumber(text);
        QCOMPARE(number.has_value(), point != u"-");
        if (!number) return;
        QCOMPARE(number->Text(u"."_qs), point);
        QTEST(number->Text(u","_qs), "comma");
        const std::optional<qint64> scaled = number->Scaled(2);
        QTEST(scaled ? QString::number(*scaled) : u"none"_qs, "kopecks");
        if (scaled) QCOMPARE(number->Value(), double(*scaled) / 100);
        if (const std::optional<qint64> plain = PlainKopecks(text))
            QTEST(QString::number(*plain), "kopecks"); // the quick reading agrees
    }

    // An amount with words after it is read up to them.
    void leading_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("number"); // "-": none
        QTest::newRow("currency words") << u"1 234,50 руб."_qs << "1234.50";
        QTest::newRow("marks before the words") << u"12.50. итого"_qs << "12.50";
        QTest::newRow("NUL ends it") << u"150\u0000 00.00"_qs << "150";
        QTest::newRow("words first") << u"руб. 5"_qs << "-";
        QTest::newRow("whole number") << u" -7 "_qs << "-7";
    }
    void leading() {
        QFETCH(QString, text);
        const std::optional<DocumentNumber> read = ReadLeadingNumber(text);
        QTEST(read ? read->Text(u"."_qs) : u"-"_qs, "number");
    }
};

VYPISKA_TEST_GUILESS_MAIN(TestDocumentNumber)
#include "tst_documentnumber.moc"
