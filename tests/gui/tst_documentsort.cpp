#include "presentation/DocumentSort.h"

#include <QCollator>
#include <QtTest>
#include "TestMain.h"

static const QLocale Ru(QLocale::Russian, QLocale::Russia);
static const QLocale En(QLocale::English, QLocale::UnitedStates);
static const QLocale De(QLocale::German, QLocale::Germany);
static const int Num = int(SortKind::Number), Date = int(SortKind::Date), Txt = int(SortKind::Text);

// '_' in the tables stands for a no-break space.
class TestDocumentSort : public QObject {
    Q_OBJECT
private slots:
    // A cell decides its column's kind; a number's value is what it is sorted by. The list shows
    // an amount in the locale's currency form, any other number as its sender wrote it: neither
    // is read with the locale's marks.
    void kindAndValue_data() {
        AddColumns<QLocale, bool, QString, QString, int>(
            {"locale", "amount", "shown", "raw", "kind"});
        QTest::addColumn<double>("value"); // NaN: no number
        const double none = qQNaN();
        auto row = [](const char* name, const QLocale& locale, bool amount, const char* shown,
                      const char* raw, int kind, double value) {
            QTest::newRow(name) << locale << amount << QString(shown) << QString(raw) << kind
                                << value;
        };
        row("amount by its raw value, en", En, true, "$2,500.75", "2 500,75", Num, 2500.75);
        row("amount by its raw value, de", De, true, "7.300,00_€", "7300.00", Num, 7300.0);
        row("non-numeric amount is zero", Ru, true, "0,00_₽", "нет", Num, 0.0);
        row("sender's decimal comma under en", En, false, "12,5", "12,5", Num, 12.5);
        row("date as shown, ru", Ru, false, "05.03.2024", "2024-03-05", Date, none);
        row("date as shown, en", En, false, "3/5/24", "2024-03-05", Date, none);
        row("time of day", Ru, false, "10:30:00", "10:30", Date, none);
        row("account number", Ru, false, "40702810900000000001", "40702810900000000001", Num,
            40702810900000000001.0);
        row("words", Ru, false, "ООО 1", "ООО 1", Txt, none);
    }
    void kindAndValue() {
        QFETCH(QLocale, locale);
        QFETCH(bool, amount);
        QFETCH(QString, shown);
        QFETCH(QString, raw);
        QFETCH(double, value);
        const DocumentCell cell{shown.replace('_', QChar(0xa0)), raw.replace('_', QChar(0xa0))};
        QTEST(int(SortKindFor(cell, amount, locale)), "kind");
        const std::optional<double> number = SortNumber(cell, amount);
        QCOMPARE(number.has_value(), !qIsNaN(value)); // a value to sort by, or none
        if (number) QCOMPARE(*number, value);
    }

    // Cells are "shown" or "shown=raw".
    void sortRows_data() {
        QTest::addColumn<QString>("cells"); // '|' between rows
        AddColumns<bool, int>({"amount", "kind"});
        QTest::addColumn<QString>("order"); // the rows' first positions, after the sort
        QTest::addColumn<bool>("descending");
        auto row = [](const char* name, const char* cells, int kind, const char* order,
                      bool amount = false, bool descending = false) {
            QTest::newRow(name) << QString::fromUtf8(cells) << amount << kind << QString(order)
                                << descending;
        };
        row("numbers by value", "10|9|100|-1", Num, "3102");
        row("words after numbers", "12|нет|3|да", Num, "2031");
        row("equal numbers keep their order", "1|0|1,0|1|0,5", Num, "14023");
        row("the sender's marks, not the locale's", "1.234,5|999.5|1,234.6|2 000", Num, "1023");
        row("amounts by raw value, shown form aside", "$10.00=10|$2,500.75=2 500,75|$9.00=9,00",
            Num, "201", true);
        row("dates by day", "05.03.2024|28.02.2024|01.12.2023", Date, "210");
        row("dates with times", "05.03.2024 12:00|05.03.2024|05.03.2024 09:30", Date, "120");
        row("descending: words still last", "12|нет|3|да", Num, "0213", false, true);
        row("descending: equal numbers keep their order", "1|0|1,0|1|0,5", Num, "02341", false,
            true);
        row("descending dates", "28.02.2024|05.03.2024|01.12.2023", Date, "102", false, true);
        row("descending collation", "яблоко|Ёж|арбуз|Банан", Txt, "0132", false, true);
    }
    void sortRows() {
        QFETCH(QString, cells);
        QFETCH(bool, amount);
        QFETCH(int, kind);
        QFETCH(bool, descending);
        std::vector<DocumentRow> rows;
        for (const QString& cell : cells.split('|')) {
            rows.emplace_back().SourcePath = QString::number(rows.size());
            const QString shown = cell.section('=', 0, 0), raw = cell.section('=', -1);
            rows.back().Cells = {DocumentCell{QStringLiteral("x"), {}}, DocumentCell{shown, raw}};
        }
        for (int pass = 0; pass < 2; ++pass) { // sorting again changes nothing
            SortDocumentRows(rows, 1, SortKind(kind), amount, Ru, descending);
            QString paths;
            for (const DocumentRow& row : rows)
                paths += row.SourcePath;
            QTEST(paths, "order");
        }
    }

    // An archive's rows, come in its order, go in its entries' name order; a second entry of a
    // name follows the first by its place in the archive, not by the text of that place.
    void entryNameOrder() {
        std::vector<DocumentRow> rows;
        for (const char* path : {"z/b.xml", "z/a.xml", "z/c.xml", "z/a.xml#3", "z/a.xml#12"})
            rows.emplace_back().SourcePath = QString::fromLatin1(path);
        QCOMPARE(EntryNameOrder(rows), (std::vector<std::size_t>{1, 3, 4, 0, 2}));
    }

    // A long list, its collation keys made on several threads, sorts as one collator compares,
    // equal texts in their order.
    void manyTextsSortAsOneCollatorCompares() {
        const QStringList words = {"Ёж", "ёж", "арбуз", "Банан", "яблоко", "apple", "Zebra", "10"};
        std::vector<DocumentRow> rows;
        for (int i = 0; i < 6000; ++i) {
            rows.emplace_back().SourcePath = QString::number(i);
            const QString text = words[i * 7 % words.size()] + QString::number(i * 7919 % 3001);
            rows.back().Cells = {DocumentCell{text, text}};
        }
        std::vector<DocumentRow> expected = rows;
        QCollator collator(Ru);
        std::stable_sort(expected.begin(), expected.end(), [&](const auto& a, const auto& b) {
            return collator.compare(a.Cells[0].DisplayText(), b.Cells[0].DisplayText()) < 0;
        });
        SortDocumentRows(rows, 0, SortKind::Text, false, Ru);
        for (size_t i = 0; i < rows.size(); ++i)
            QCOMPARE(rows[i].SourcePath, expected[i].SourcePath);
    }
};

VYPISKA_TEST_APPLESS_MAIN(TestDocumentSort)
#include "tst_documentsort.moc"
