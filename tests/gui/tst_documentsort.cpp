#include "shell/DocumentSort.h"
#include "text/TextCoder.h"

#include <QtTest>

static const QLocale Ru(QLocale::Russian, QLocale::Russia);
static const QLocale En(QLocale::English, QLocale::UnitedStates);
static const QChar Nb(0x00a0); // '_' in the tables below

class TestDocumentSort : public QObject {
    Q_OBJECT
private slots:
    // A cell's text decides the column's kind; a number's value is what it is sorted by.
    void kindAndValue_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        QTest::addColumn<double>("value"); // NaN: no number
        const int num = int(SortKind::Number), date = int(SortKind::Date),
                  txt = int(SortKind::Text);
        const double none = qQNaN();
        QTest::newRow("ru decimal") << Ru << "12,5" << num << 12.5;
        QTest::newRow("ru amount") << Ru << "1_234,50_₽" << num << 1234.5;
        QTest::newRow("ru amount no space") << Ru << "99,00₽" << num << 99.0;
        QTest::newRow("ru negative") << Ru << "-1_000,00_₽" << num << -1000.0;
        QTest::newRow("en amount") << En << "$1,234.50" << num << 1234.5;
        QTest::newRow("en negative") << En << "-$3.00" << num << -3.0;
        QTest::newRow("en parenthesised") << En << "($3.00)" << num << -3.0;
        QTest::newRow("ru date") << Ru << "05.03.2024" << date << none;
        QTest::newRow("iso date") << En << "2024-03-05" << date << none;
        QTest::newRow("bare currency") << Ru << "₽" << txt << none;
        QTest::newRow("empty") << Ru << "" << txt << none;
        QTest::newRow("nan is no number") << En << "nan" << txt << none;
        QTest::newRow("inf is no number") << Ru << "-inf" << txt << none;
    }
    void kindAndValue() {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QFETCH(int, kind);
        QFETCH(double, value);
        const TextCoder coder(locale);
        text.replace('_', Nb);
        QCOMPARE(int(SortKindFor(text, coder)), kind);
        const std::optional<double> parsed = ListNumberValue(text, coder);
        if (qIsNaN(value)) QVERIFY(!parsed); // no value to sort by
        else QCOMPARE(parsed.value_or(qQNaN()), value);
    }

    void sortRows_data() {
        QTest::addColumn<QString>("texts"); // '|' between rows
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("order"); // source paths after the sort
        const int num = int(SortKind::Number), date = int(SortKind::Date),
                  txt = int(SortKind::Text);
        QTest::newRow("numbers by value") << "10|9|100|-1" << num << "3102";
        QTest::newRow("amounts by value") << "1_000,00_₽|999,99_₽|20,00_₽" << num << "210";
        QTest::newRow("words after numbers") << "12|нет|3|да" << num << "2031";
        QTest::newRow("equal numbers keep their order") << "1|0|1,0|1|0,5" << num << "14023";
        QTest::newRow("dates by day") << "05.03.2024|28.02.2024|01.12.2023" << date << "210";
        QTest::newRow("dates with times")
            << "05.03.2024 12:00|05.03.2024|05.03.2024 09:30" << date << "120";
        QTest::newRow("russian collation, case aside") << "яблоко|Ёж|арбуз|Банан" << txt << "2310";
        QTest::newRow("text kind keeps digits as text") << "10|9|100" << txt << "021";
    }
    void sortRows() {
        QFETCH(QString, texts);
        QFETCH(int, kind);
        QFETCH(QString, order);
        const TextCoder coder(Ru);
        std::vector<DocumentRow> rows;
        for (const QString& text : texts.replace('_', Nb).split('|')) {
            DocumentRow row;
            row.SourcePath = QString::number(rows.size());
            row.Cells = {DocumentCell{QStringLiteral("x"), {}}, DocumentCell{text, text}};
            rows.push_back(row);
        }
        for (int pass = 0; pass < 2; ++pass) { // sorting again changes nothing
            SortDocumentRows(rows, 1, SortKind(kind), coder);
            QString paths;
            for (const DocumentRow& row : rows)
                paths += row.SourcePath;
            QCOMPARE(paths, order);
        }
    }
};

QTEST_APPLESS_MAIN(TestDocumentSort)
#include "tst_documentsort.moc"
