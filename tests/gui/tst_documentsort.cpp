#include "shell/DocumentSort.h"
#include "text/TextCoder.h"

#include <QtTest>

static const QLocale Ru(QLocale::Russian, QLocale::Russia);
static const QLocale En(QLocale::English, QLocale::UnitedStates);
static const int Num = int(SortKind::Number), Date = int(SortKind::Date), Txt = int(SortKind::Text);

// '_' in the tables stands for a no-break space.
class TestDocumentSort : public QObject {
    Q_OBJECT
private slots:
    // A cell's text decides the column's kind; a number's value is what it is sorted by.
    void kindAndValue_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        QTest::addColumn<double>("value"); // NaN: no number
        const double none = qQNaN();
        QTest::newRow("ru decimal") << Ru << "12,5" << Num << 12.5;
        QTest::newRow("ru amount") << Ru << "1_234,50_₽" << Num << 1234.5;
        QTest::newRow("ru negative") << Ru << "-1_000,00_₽" << Num << -1000.0;
        QTest::newRow("en amount") << En << "$1,234.50" << Num << 1234.5;
        QTest::newRow("en parenthesised") << En << "($3.00)" << Num << -3.0;
        QTest::newRow("ru date") << Ru << "05.03.2024" << Date << none;
        QTest::newRow("bare currency") << Ru << "₽" << Txt << none;
        QTest::newRow("empty") << Ru << "" << Txt << none;
        QTest::newRow("nan is no number") << En << "nan" << Txt << none;
        QTest::newRow("inf is no number") << Ru << "-inf" << Txt << none;
    }
    void kindAndValue() {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QFETCH(double, value);
        const TextCoder coder(locale);
        text.replace('_', QChar(0xa0));
        QTEST(int(SortKindFor(text, coder)), "kind");
        const std::optional<double> parsed = ListNumberValue(text, coder);
        QCOMPARE(parsed.has_value(), !qIsNaN(value)); // a value to sort by, or none
        if (parsed) QCOMPARE(*parsed, value);
    }

    void sortRows_data() {
        QTest::addColumn<QString>("texts"); // '|' between rows
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("order"); // the rows' first positions, after the sort
        QTest::newRow("numbers by value") << "10|9|100|-1" << Num << "3102";
        QTest::newRow("words after numbers") << "12|нет|3|да" << Num << "2031";
        QTest::newRow("equal numbers keep their order") << "1|0|1,0|1|0,5" << Num << "14023";
        QTest::newRow("dates by day") << "05.03.2024|28.02.2024|01.12.2023" << Date << "210";
        QTest::newRow("dates with times")
            << "05.03.2024 12:00|05.03.2024|05.03.2024 09:30" << Date << "120";
        QTest::newRow("russian collation, case aside") << "яблоко|Ёж|арбуз|Банан" << Txt << "2310";
        QTest::newRow("text kind keeps digits as text") << "10|9|100" << Txt << "021";
    }
    void sortRows() {
        QFETCH(QString, texts);
        QFETCH(int, kind);
        const TextCoder coder(Ru);
        std::vector<DocumentRow> rows;
        for (const QString& text : texts.replace('_', QChar(0xa0)).split('|')) {
            rows.emplace_back().SourcePath = QString::number(rows.size());
            rows.back().Cells = {DocumentCell{QStringLiteral("x"), {}}, DocumentCell{text, text}};
        }
        for (int pass = 0; pass < 2; ++pass) { // sorting again changes nothing
            SortDocumentRows(rows, 1, SortKind(kind), coder);
            QString paths;
            for (const DocumentRow& row : rows)
                paths += row.SourcePath;
            QTEST(paths, "order");
        }
    }
};

QTEST_APPLESS_MAIN(TestDocumentSort)
#include "tst_documentsort.moc"
