#include "shell/DocumentSort.h"
#include "text/TextCoder.h"

#include <QtTest>

namespace {

const QLocale Ru(QLocale::Russian, QLocale::Russia);
const QLocale En(QLocale::English, QLocale::UnitedStates);

std::vector<DocumentRow> Rows(const QStringList& texts) {
    std::vector<DocumentRow> rows;
    for (int i = 0; i < texts.size(); ++i) {
        DocumentRow row;
        row.SourcePath = QString::number(i);
        row.Cells = {DocumentCell{QStringLiteral("x"), {}}, DocumentCell{texts[i], texts[i]}};
        rows.push_back(row);
    }
    return rows;
}

QStringList Texts(const std::vector<DocumentRow>& rows) {
    QStringList texts;
    for (const DocumentRow& row : rows)
        texts << row.DisplayText(1);
    return texts;
}

QString Paths(const std::vector<DocumentRow>& rows) {
    QString paths;
    for (const DocumentRow& row : rows)
        paths += row.SourcePath;
    return paths;
}

} // namespace

class TestDocumentSort : public QObject {
    Q_OBJECT
private slots:
    void kindFromText_data();
    void kindFromText();
    void numberValue_data();
    void numberValue();
    void sortRows_data();
    void sortRows();
    void equalKeysKeepTheirOrder();
};

void TestDocumentSort::kindFromText_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    const int number = int(SortKind::Number), date = int(SortKind::Date),
              text = int(SortKind::Text);
    QTest::newRow("integer") << Ru << "12" << number;
    QTest::newRow("ru amount") << Ru << QStringLiteral("1\u00a0234,50\u00a0₽") << number;
    QTest::newRow("en amount") << En << "$1,234.50" << number;
    QTest::newRow("ru short date") << Ru << "05.03.2024" << date;
    QTest::newRow("iso date") << En << "2024-03-05" << date;
    QTest::newRow("word") << Ru << QStringLiteral("Ромашка") << text;
    QTest::newRow("empty") << Ru << "" << text;
    QTest::newRow("nan is no number") << En << "nan" << text;
}

void TestDocumentSort::kindFromText() {
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(int, kind);
    const TextCoder coder(locale);
    QCOMPARE(int(SortKindFor(text, coder)), kind);
}

void TestDocumentSort::numberValue_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << Ru << "100" << true << 100.0;
    QTest::newRow("ru decimal") << Ru << "12,5" << true << 12.5;
    QTest::newRow("ru grouped amount")
        << Ru << QStringLiteral("1\u00a0234,50\u00a0₽") << true << 1234.5;
    QTest::newRow("ru amount no space") << Ru << QStringLiteral("99,00₽") << true << 99.0;
    QTest::newRow("ru negative amount")
        << Ru << QStringLiteral("-1\u00a0000,00\u00a0₽") << true << -1000.0;
    QTest::newRow("en amount") << En << "$1,234.50" << true << 1234.5;
    QTest::newRow("en negative amount") << En << "-$3.00" << true << -3.0;
    QTest::newRow("en parenthesised") << En << "($3.00)" << true << -3.0;
    QTest::newRow("word") << Ru << QStringLiteral("сумма") << false << 0.0;
    QTest::newRow("bare currency") << Ru << QStringLiteral("₽") << false << 0.0;
    QTest::newRow("date") << Ru << "05.03.2024" << false << 0.0;
}

void TestDocumentSort::numberValue() {
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    const TextCoder coder(locale);
    const std::optional<double> parsed = ListNumberValue(text, coder);
    QCOMPARE(parsed.has_value(), ok);
    if (ok) QCOMPARE(*parsed, value);
}

void TestDocumentSort::sortRows_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("expected");
    const int number = int(SortKind::Number), date = int(SortKind::Date),
              text = int(SortKind::Text);
    QTest::newRow("numbers by value, not by text") << Ru << QStringList{"10", "9", "100", "-1"}
                                                   << number << QStringList{"-1", "9", "10", "100"};
    QTest::newRow("amounts by value")
        << Ru
        << QStringList{QStringLiteral("1\u00a0000,00\u00a0₽"), QStringLiteral("999,99\u00a0₽"),
                       QStringLiteral("20,00\u00a0₽")}
        << number
        << QStringList{QStringLiteral("20,00\u00a0₽"), QStringLiteral("999,99\u00a0₽"),
                       QStringLiteral("1\u00a0000,00\u00a0₽")};
    QTest::newRow("words after numbers in a number column")
        << Ru << QStringList{"12", QStringLiteral("нет"), "3", QStringLiteral("да")} << number
        << QStringList{"3", "12", QStringLiteral("да"), QStringLiteral("нет")};
    QTest::newRow("dates by day, not by text")
        << Ru << QStringList{"05.03.2024", "28.02.2024", "01.12.2023"} << date
        << QStringList{"01.12.2023", "28.02.2024", "05.03.2024"};
    QTest::newRow("dates with times")
        << Ru << QStringList{"05.03.2024 12:00", "05.03.2024", "05.03.2024 09:30"} << date
        << QStringList{"05.03.2024", "05.03.2024 09:30", "05.03.2024 12:00"};
    QTest::newRow("russian collation, case aside")
        << Ru
        << QStringList{QStringLiteral("яблоко"), QStringLiteral("Ёж"), QStringLiteral("арбуз"),
                       QStringLiteral("Банан")}
        << text
        << QStringList{QStringLiteral("арбуз"), QStringLiteral("Банан"), QStringLiteral("Ёж"),
                       QStringLiteral("яблоко")};
    QTest::newRow("text kind keeps digits as text")
        << Ru << QStringList{"10", "9", "100"} << text << QStringList{"10", "100", "9"};
}

void TestDocumentSort::sortRows() {
    QFETCH(QLocale, locale);
    QFETCH(QStringList, texts);
    QFETCH(int, kind);
    QFETCH(QStringList, expected);
    const TextCoder coder(locale);
    std::vector<DocumentRow> rows = Rows(texts);
    SortDocumentRows(rows, 1, SortKind(kind), coder);
    QCOMPARE(Texts(rows), expected);
}

void TestDocumentSort::equalKeysKeepTheirOrder() {
    const TextCoder coder(Ru);
    // "1,0" and "1" are the same number; "b" and "B" may collate alike: order of reading stays.
    std::vector<DocumentRow> rows = Rows({"1", "0", "1,0", "1", "0,5"});
    SortDocumentRows(rows, 1, SortKind::Number, coder);
    QCOMPARE(Paths(rows), QStringLiteral("14023"));
    SortDocumentRows(rows, 1, SortKind::Number, coder);
    QCOMPARE(Paths(rows), QStringLiteral("14023"));
}

QTEST_APPLESS_MAIN(TestDocumentSort)
#include "tst_documentsort.moc"
