#include "export/FormatValue.h"
#include "text/TextCoder.h"

#include <QtTest>

Q_DECLARE_METATYPE(PlaceholderValue)

namespace {
const QLocale Ru(QLocale::Russian, QLocale::Russia);
const QLocale En(QLocale::English, QLocale::UnitedStates);

FormatSettings Formats(const QString& separator) {
    FormatSettings f; // dates "dd.MM.yyyy", times "hh:mm"
    f.DecimalSeparator = separator;
    return f;
}
} // namespace

class TestFormatValue : public QObject {
    Q_OBJECT
private slots:
    // The worked examples hold under either locale.
    void workedExamples_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<PlaceholderValue>("value");
        QTest::addColumn<QString>("expected");
        const PlaceholderValue midnight = 44941.0; // 15 January 2023 00:00
        for (const auto& [locale, tag] : {std::pair{Ru, "ru"}, std::pair{En, "en"}}) {
            auto row = [&](const char* name, const PlaceholderValue& value, const QString& out) {
                QTest::addRow("%s %s", tag, name) << locale << value << out;
            };
            row("ISO date", u"2023-01-15"_qs, "15.01.2023");
            row("dotted date", u"15.01.2023"_qs, "15.01.2023");
            row("date-time at midnight", midnight, "15.01.2023");
            row("time of day", 0.5, "12:00");
            row("midnight time of day", 0.0, "00:00");
            row("number", u"1234.50"_qs, "1234,50");
            row("number with a space", u"1 000.00"_qs, "1000,00");
            row("one point only", u"12.5"_qs, "12,5");
            row("negative", u"-3"_qs, "-3");
            row("20-digit account", u"40702810900000000001"_qs, "40702810900000000001");
            row("label and word", u"Назначение: оплата "_qs, u"оплата"_qs);
            row("bare time", u"10:30"_qs, "30");
            row("empty", QString(), "");
            row("year and month only", u"2023-01"_qs, "2023-01");
        }
    }
    void workedExamples() {
        QFETCH(QLocale, locale);
        QFETCH(PlaceholderValue, value);
        QFETCH(QString, expected);
        const TextCoder coder(locale);
        QCOMPARE(FormatValue(value, Formats(","), coder), expected);
    }

    void numbers_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        const QString nbsp(QChar(0x00A0));
        QTest::newRow("ru comma to point") << Ru << "."
                                           << "1234,50"
                                           << "1234.50";
        QTest::newRow("ru list amount")
            << Ru << "." << u"1"_qs + nbsp + u"234,50"_qs + nbsp + u"₽"_qs << "1234.50";
        QTest::newRow("ru amount, mark without spacing")
            << Ru << "." << u"1234,50₽"_qs << "1234.50";
        QTest::newRow("ru both marks") << Ru << ","
                                       << "1.234,56"
                                       << "1,234,56";
        QTest::newRow("en list amount") << En << "."
                                        << "$1,234.50"
                                        << "1234.50";
        // The separator put in is never taken away again by a later replacement.
        QTest::newRow("en comma separator") << En << ","
                                            << "1234.50"
                                            << "1234,50";
        QTest::newRow("space separator") << Ru << " "
                                         << "1234.50"
                                         << "1234 50";
        QTest::newRow("longer separator") << Ru << "<.>"
                                          << "1.5"
                                          << "1<.>5";
    }
    void numbers() {
        QFETCH(QLocale, locale);
        QFETCH(QString, separator);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        const TextCoder coder(locale);
        QCOMPARE(FormatValue(value, Formats(separator), coder), expected);
    }

    void applyPlaceholder_data() {
        QTest::addColumn<QString>("block");
        QTest::addColumn<QString>("placeholder");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("every occurrence, any case") << "{Sum}|{SUM}|{sum}"
                                                    << "{Sum}"
                                                    << "5"
                                                    << "5|5|5";
        QTest::newRow("Cyrillic in any case") << u"Сумма={СУММА};{сумма}"_qs << u"{Сумма}"_qs << "7"
                                              << "Сумма=7;7";
        QTest::newRow("absent") << "no fields"
                                << "{X}"
                                << "1"
                                << "no fields";
        QTest::newRow("inserted text not searched again") << "{a}-{a}"
                                                          << "{a}"
                                                          << "x{A}y"
                                                          << "x{A}y-x{A}y";
        QTest::newRow("no overlap") << "{a}a}"
                                    << "{a}"
                                    << "1"
                                    << "1a}";
        QTest::newRow("value formatted") << "Date={D}"
                                         << "{D}"
                                         << "2023-01-15"
                                         << "Date=15.01.2023";
    }
    void applyPlaceholder() {
        QFETCH(QString, block);
        QFETCH(QString, placeholder);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        const TextCoder coder(Ru);
        ApplyPlaceholder(block, placeholder, value, Formats(","), coder);
        QCOMPARE(block, expected);
    }
};

QTEST_GUILESS_MAIN(TestFormatValue)
#include "tst_formatvalue.moc"
