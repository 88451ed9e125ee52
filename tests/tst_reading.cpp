// One document to one row: the alias rule, the amount rule and date normalisation.
#include "reading/DocumentReader.h"
#include "reading/ReadingRun.h"
#include "text/TextCoder.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
const QLocale Ru(QLocale::Russian, QLocale::Russia);
const QLocale En(QLocale::English, QLocale::UnitedStates);

ColumnMap Columns(const QStringList& tagLists) {
    ColumnMap columns;
    for (const QString& list : tagLists)
        columns.push_back({QStringLiteral("C"), list});
    return columns;
}

// The texts of a row's cells as "display|raw" pairs, for compact comparisons.
QStringList Cells(const DocumentRow& row) {
    QStringList out;
    for (const DocumentCell& cell : row.Cells)
        out << cell.DisplayText + QLatin1Char('|') + cell.RawValue;
    return out;
}
} // namespace

class TestReading : public QObject {
    Q_OBJECT

private slots:
    void Amount_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");

        QTest::newRow("point") << "1234.5" << 1234.5;
        QTest::newRow("comma as decimal mark") << "12,50" << 12.5;
        QTest::newRow("comma with grouping spaces") << "1 234,50" << 1234.5;
        QTest::newRow("comma with no-break spaces")
            << QStringLiteral("1\u00A0234,5\u00A0₽") << 1234.5;
        QTest::newRow("comma and point: point is the mark") << "1,234.50" << 1.0;
        QTest::newRow("two commas: cut at the first") << "1,234,567" << 1.0;
        QTest::newRow("blanks inside ignored") << " 7 5 .\t2\n5" << 75.25;
        QTest::newRow("second point ends the number") << "12.34.56" << 12.34;
        QTest::newRow("negative") << "-5.5" << -5.5;
        QTest::newRow("exponent") << "1.5e3" << 1500.0;
        QTest::newRow("exponent without digits") << "12e" << 12.0;
        QTest::newRow("exponent out of range dropped") << "7e999" << 7.0;
        QTest::newRow("rounded to 4 decimals") << "0.00016" << 0.0002;
        QTest::newRow("beyond the fixed-point range") << "9e20" << 9e20;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("trailing text") << "100 руб." << 100.0;
        QTest::newRow("minus zero") << "-0" << 0.0;
    }

    void Amount() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(AmountValue(text), value);
        QVERIFY(!std::signbit(AmountValue(text)) || value < 0);
    }

    void AmountDisplay_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("display");

        QTest::newRow("ru") << "1234.5" << Ru << QStringLiteral("1\u00A0234,50\u00A0₽");
        QTest::newRow("en") << "1234.5" << En << QStringLiteral("$1,234.50");
        QTest::newRow("en huge") << "9e20" << En
                                 << QStringLiteral("$900,000,000,000,000,000,000.00");
    }

    void AmountDisplay() {
        QFETCH(QString, text);
        QFETCH(QLocale, locale);
        QTEST(AmountDisplayText(text, locale), "display");
    }

    void Extraction_data() {
        QTest::addColumn<QStringList>("tagLists");
        QTest::addColumn<QString>("document");
        QTest::addColumn<QStringList>("cells"); // empty: no row

        const QStringList numberAmountDate{"Номер;N1;N2", "Сумма;S1;S2", "Дата;D"};
        QTest::newRow("first alias wins")
            << numberAmountDate << "<N1>7</N1><N2>8</N2><S1>5</S1><D>x</D>"
            << QStringList{"7|", QStringLiteral("5,00\u00A0₽|5"), "x|x"};
        QTest::newRow("empty first alias falls through")
            << numberAmountDate << "<N1></N1><N2>8</N2><S2>5</S2>"
            << QStringList{"8|", QStringLiteral("5,00\u00A0₽|5"), "|"};
        QTest::newRow("empty element name is skipped")
            << QStringList{"Номер;;N", "Сумма;S"} << "<N>3</N><S>1</S>"
            << QStringList{"3|", QStringLiteral("1,00\u00A0₽|1")};
        QTest::newRow("comma amount kept raw")
            << numberAmountDate << "<N1>1</N1><S1>12,50</S1>"
            << QStringList{"1|", QStringLiteral("12,50\u00A0₽|12,50"), "|"};
        QTest::newRow("missing amount: no row")
            << numberAmountDate << "<N1>1</N1><S1></S1><D>2024-03-05</D>" << QStringList{};
        QTest::newRow("amount key alone: never a row")
            << QStringList{"Номер;N", "Сумма"} << "<N>1</N><Сумма>5</Сумма>" << QStringList{};
        QTest::newRow("ISO date normalised, raw kept")
            << numberAmountDate << "<N1>1</N1><S1>1</S1><D>2024-03-05</D>"
            << QStringList{"1|", QStringLiteral("1,00\u00A0₽|1"), "05.03.2024|2024-03-05"};
        QTest::newRow("date with time keeps the time")
            << numberAmountDate << "<N1>1</N1><S1>1</S1><D>2024-03-05T14:30:00</D>"
            << QStringList{"1|", QStringLiteral("1,00\u00A0₽|1"),
                           "05.03.2024 14:30:00|2024-03-05T14:30:00"};
        QTest::newRow("amount in column 1 keeps no raw value")
            << QStringList{"Сумма;S", "Номер;N"} << "<S>1234.5</S><N>9</N>"
            << QStringList{QStringLiteral("1\u00A0234,50\u00A0₽|"), "9|9"};
        QTest::newRow("empty tag list: empty cell")
            << QStringList{"Номер;N", "", "Сумма;S"} << "<N>1</N><S>2</S>"
            << QStringList{"1|", "|", QStringLiteral("2,00\u00A0₽|2")};
        QTest::newRow("entities and markup stay as read")
            << QStringList{"Плательщик1;P", "Сумма;S"}
            << "<P>ООО &quot;Рога &amp; Копыта&quot;</P><S>1</S>"
            << QStringList{QStringLiteral("ООО &quot;Рога &amp; Копыта&quot;|"),
                           QStringLiteral("1,00\u00A0₽|1")};
    }

    void Extraction() {
        QFETCH(QStringList, tagLists);
        QFETCH(QString, document);
        QFETCH(QStringList, cells);
        const TextCoder coder(Ru);
        const ColumnMap columns = Columns(tagLists);
        const std::optional<DocumentRow> row =
            DocumentReader(columns, coder).ReadText(QStringLiteral("/in/a.xml"), document);
        QCOMPARE(row.has_value(), !cells.isEmpty());
        if (!row) return;
        QCOMPARE(Cells(*row), cells);
        QVERIFY(row->Checked);
        QCOMPARE(row->SourcePath, QStringLiteral("/in/a.xml"));
        QCOMPARE(row->ExportValue(0), row->DisplayText(0)); // column 1 exports its display text
    }

    void FileBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("number");

        QTest::newRow("byte-order mark")
            << QByteArray("\xEF\xBB\xBF<Doc><N>42</N><S>1</S></Doc>") << "42";
        QTest::newRow("Cyrillic UTF-8")
            << QStringLiteral("<N>№ 5</N><S>1</S>").toUtf8() << QStringLiteral("№ 5");
    }

    void FileBytes() {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("doc.xml"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        const TextCoder coder(Ru);
        QString problem;
        const std::optional<DocumentRow> row =
            ReadDocumentFile(path, Columns({"Номер;N", "Сумма;S"}), coder, &problem);
        QVERIFY(row);
        QTEST(row->DisplayText(0), "number");
        QVERIFY(problem.isEmpty());
    }

    void UnreadableFileGivesProblemNoRow_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("size"); // -1: no file at all
        QTest::newRow("missing") << "absent.xml" << qint64(-1);
        QTest::newRow("far too large") << "huge.xml" << (qint64(64) << 20) + 1;
    }

    void UnreadableFileGivesProblemNoRow() {
        QFETCH(QString, name);
        QFETCH(qint64, size);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (size >= 0) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(size)); // sparse, no disk used
        }
        QString problem;
        QVERIFY(!ReadDocumentFile(path, Columns({"Номер;N", "Сумма;S"}), TextCoder(Ru), &problem));
        QVERIFY2(problem.contains(path), qPrintable(problem));
    }
};

QTEST_GUILESS_MAIN(TestReading)
#include "tst_reading.moc"
