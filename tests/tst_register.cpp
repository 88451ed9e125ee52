#include "export/Register.h"
#include "export/RegisterPdf.h"
#include "export/RegisterXlsx.h"
#include "export/XlsxCells.h"
#include "reading/ArchiveWalk.h"
#include "settings/INIStorage.h"
#include "text/AmountInWords.h"

#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "TestFiles.h"

#include <limits>

namespace {

const QStringList Keys = {u"Номер"_qs,       u"Дата"_qs,           u"Сумма"_qs,
                          u"Плательщик1"_qs, u"ПлательщикСчет"_qs, u"ПолучательИНН"_qs,
                          u"Получатель1"_qs, u"Очередность"_qs,    u"НазначениеПлатежа"_qs};

DocumentTable Table() {
    DocumentTable table;
    for (const QString& key : Keys)
        table.Columns.push_back({key + u" caption"_qs, key + u";x"_qs});
    return table;
}

// A document: its number, date and amount as written; the rest fixed.
DocumentRow Document(const QString& number, const QString& date, const QString& amount) {
    const QStringList values = {number,
                                date,
                                amount,
                                u"ООО \"Север\""_qs,
                                u"40702810938000012345"_qs,
                                u"0501007322"_qs,
                                u"АО \"Луг\""_qs,
                                u"5"_qs,
                                u"Оплата по счету № "_qs + number};
    DocumentRow row;
    row.SourcePath = u"/in/pp-"_qs + number + u".xml"_qs;
    for (const QString& value : values)
        row.Cells.push_back({value, value});
    return row;
}

RegisterHeading Heading(const DocumentTable& table) {
    RegisterHeading heading;
    heading.Organisation = u"ООО \"Север\""_qs;
    heading.Account = u"40702810938000012345"_qs;
    heading.First = QDate(2024, 3, 4);
    heading.Last = QDate(2024, 3, 12);
    heading.Created = QDateTime(QDate(2024, 3, 12), QTime(9, 30));
    heading.Totals = ComputeTotals(table);
    return heading;
}

// The entries of a workbook (a zip of XML parts) by name.
QHash<QString, QString> Parts(const QString& path) {
    QHash<QString, QString> parts;
    QStringList problems;
    ReadArchiveEntries(
        ArchiveSource(path), [](const ArchiveEntry&) { return true; },
        [&](const ArchiveEntry& entry, const QByteArray& bytes) {
            parts.insert(entry.Name, QString::fromUtf8(bytes));
            return true;
        },
        problems);
    return parts;
}

// The <c> element of a cell ("C2") in the sheet's XML; empty when absent.
QString Cell(const QString& sheet, const QString& ref) {
    const QRegularExpression cell(u"<c r=\"%1\"[^>]*?(/>|>.*?</c>)"_qs.arg(ref));
    return cell.match(sheet).captured(0);
}

// The number format of a cell's style ("dd.mm.yyyy"), from the workbook's styles.
QString NumberFormat(const QHash<QString, QString>& parts, const QString& cell) {
    const int style = QRegularExpression(u" s=\"(\\d+)\""_qs).match(cell).captured(1).toInt();
    const QString styles = parts.value(u"xl/styles.xml"_qs);
    const QString xfs =
        QRegularExpression(u"<cellXfs[^>]*>(.*?)</cellXfs>"_qs).match(styles).captured(1);
    QStringList ids;
    auto xf = QRegularExpression(u"<xf [^>]*numFmtId=\"(\\d+)\""_qs).globalMatch(xfs);
    while (xf.hasNext())
        ids << xf.next().captured(1);
    const QString id = ids.value(style);
    const QString custom =
        QRegularExpression(u"<numFmt numFmtId=\"%1\" formatCode=\"([^\"]*)\""_qs.arg(id))
            .match(styles)
            .captured(1);
    return custom.isEmpty() ? u"builtin "_qs + id : custom;
}

QString WrittenXlsx(const QTemporaryDir& dir, const DocumentTable& table,
                    const FindingList& findings = {}) {
    const QString path = dir.filePath(u"r.xlsx"_qs);
    const ExportResult result = WriteRegisterXlsx(path, table, Heading(table), findings);
    if (!result.Ok) qFatal("%s", qPrintable(result.Error));
    return path;
}

// A python3 that has openpyxl: the one on PATH, else the system's.
QString PythonWithOpenpyxl(bool* anyPython) {
    *anyPython = false;
    for (const QString& name : {u"python3"_qs, u"/usr/bin/python3"_qs}) {
        const QString program = name.startsWith(u'/') ? name : QStandardPaths::findExecutable(name);
        if (program.isEmpty() || !QFileInfo(program).isExecutable()) continue;
        *anyPython = true;
        if (RunProgram(program, {u"-c"_qs, u"import openpyxl"_qs}).Exit == 0) return program;
    }
    return {};
}

} // namespace

class TestRegister : public QObject {
    Q_OBJECT
private slots:
    void amountInWords_data() {
        QTest::addColumn<qint64>("kopecks");
        QTest::addColumn<QString>("words");
        auto row = [](const char* name, qint64 kopecks, const char* words) {
            QTest::newRow(name) << kopecks << QString::fromUtf8(words);
        };
        row("0", 0, "Ноль рублей 00 копеек");
        row("0,01", 1, "Ноль рублей 01 копейка");
        row("0,22", 22, "Ноль рублей 22 копейки");
        row("1", 100, "Один рубль 00 копеек");
        row("11,11", 1111, "Одиннадцать рублей 11 копеек");
        row("21", 2100, "Двадцать один рубль 00 копеек");
        row("112", 11200, "Сто двенадцать рублей 00 копеек");
        row("2 002", 200200, "Две тысячи два рубля 00 копеек");
        row("11 000", 1100000, "Одиннадцать тысяч рублей 00 копеек");
        row("21 000", 2100000, "Двадцать одна тысяча рублей 00 копеек");
        row("125 000", 12500000, "Сто двадцать пять тысяч рублей 00 копеек");
        row("1 000 000", 100000000, "Один миллион рублей 00 копеек");
        row("1 001 000", 100100000, "Один миллион одна тысяча рублей 00 копеек");
        row("12 345 678 901,50", 1234567890150,
            "Двенадцать миллиардов триста сорок пять миллионов шестьсот семьдесят восемь тысяч "
            "девятьсот один рубль 50 копеек");
        row("a trillion", 100000000000000, "Один триллион рублей 00 копеек");
        row("largest", std::numeric_limits<qint64>::max(),
            "Девяносто два квадриллиона двести тридцать три триллиона семьсот двадцать "
            "миллиардов триста шестьдесят восемь миллионов пятьсот сорок семь тысяч семьсот "
            "пятьдесят восемь рублей 07 копеек");
        row("negative", -150, "Минус один рубль 50 копеек");
        row("most negative", std::numeric_limits<qint64>::min(),
            "Минус девяносто два квадриллиона двести тридцать три триллиона семьсот двадцать "
            "миллиардов триста шестьдесят восемь миллионов пятьсот сорок семь тысяч семьсот "
            "пятьдесят восемь рублей 08 копеек");
    }
    void amountInWords() {
        QFETCH(qint64, kopecks);
        QTEST(AmountInWords(kopecks), "words");
    }

    // The register's total line counts an amount only when its whole text is a number, as the
    // window's totals do; the others are counted as left out, never rounded or read in part.
    void totalLine_data() {
        QTest::addColumn<QStringList>("amounts");
        QTest::addColumn<QString>("total");
        QTest::newRow("numbers")
            << QStringList{u"1 234,5"_qs, u"0.10"_qs, u"-4"_qs}
            << u"Итого: 3 документа на сумму 1\u00A0230,60 ₽"_qs;
        QTest::newRow("roubles in words") << QStringList{u"100"_qs, u"50 руб."_qs}
                                          << u"Итого: 2 документа · не учтено сумм: 1"_qs;
        QTest::newRow("an exponent")
            << QStringList{u"1e3"_qs} << u"Итого: 1 документ · не учтено сумм: 1"_qs;
        QTest::newRow("a fraction of a kopeck")
            << QStringList{u"10.005"_qs, u"1"_qs, u"2"_qs, u"3"_qs, u""_qs}
            << u"Итого: 5 документов · не учтено сумм: 2"_qs;
        QTest::newRow("none") << QStringList{}
                              << u"Итого: 0 документов на сумму 0,00 ₽"_qs;
    }
    void totalLine() {
        QFETCH(QStringList, amounts);
        DocumentTable table = Table();
        for (const QString& amount : amounts)
            table.Rows.push_back(Document(u"1"_qs, u"2024-03-05"_qs, amount));
        // An unchecked document counts for nothing, whatever its amount.
        table.Rows.push_back(Document(u"2"_qs, u"2024-03-05"_qs, u"сто"_qs));
        table.Rows.back().Checked = false;
        QTEST(RegisterTotalText(ComputeTotals(table)), "total");
    }

    void cellKinds_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("kind");
        auto row = [](const char* name, const char* key, const char* value, RegisterCell kind) {
            QTest::newRow(name) << QString::fromUtf8(key) << QString::fromUtf8(value) << int(kind);
        };
        row("amount", "Сумма", "1 234,50", RegisterCell::Amount);
        row("amount not a number", "Сумма", "много", RegisterCell::Text);
        row("amount of 16 digits", "Сумма", "12345678901234.56", RegisterCell::Text);
        row("amount of 15 digits", "Сумма", "1234567890123.45", RegisterCell::Amount);
        row("fraction of a kopeck", "Сумма", "10.005", RegisterCell::Text);
        row("account", "ПлательщикСчет", "40702810938000012345", RegisterCell::Text);
        row("short ИНН", "ПолучательИНН", "7707083893", RegisterCell::Text);
        row("БИК", "ПлательщикБИК", "044525225", RegisterCell::Text);
        row("leading zero", "ВидОплаты", "01", RegisterCell::Text);
        row("16 digits", "Номер", "1234567890123456", RegisterCell::Text);
        row("number", "Номер", "1006", RegisterCell::Number);
        row("date", "Дата", "2024-03-06", RegisterCell::Date);
        row("dotted date", "ДатаСписано", "06.03.2024", RegisterCell::Date);
        row("no date", "Дата", "вчера", RegisterCell::Text);
        row("date in another column", "НазначениеПлатежа", "2024-03-06", RegisterCell::Text);
        // A spreadsheet's 1900 is a leap year: days before March 1900 would show as others.
        row("date before March 1900", "Дата", "31.12.1899", RegisterCell::Text);
        row("28 February 1900", "Дата", "1900-02-28", RegisterCell::Text);
        row("1 March 1900", "Дата", "01.03.1900", RegisterCell::Date);
    }

    // What a cell can hold: U+FFFE and U+FFFF (no reader opens a sheet with them) become U+FFFD,
    // a text over 32,767 characters is cut there, never through a character; both are said.
    void cellTexts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<bool>("said");
        const QString most(XlsxLongestText, u'a');
        const QString emoji = u"\U0001F600"_qs;
        QTest::newRow("as it is") << u"Оплата № 5"_qs << u"Оплата № 5"_qs << false;
        QTest::newRow("U+FFFF") << u"a\uFFFFb"_qs << u"a\uFFFDb"_qs << true;
        QTest::newRow("U+FFFE") << u"\uFFFE"_qs << u"\uFFFD"_qs << true;
        QTest::newRow("the longest kept") << most << most << false;
        QTest::newRow("one more cut") << most + u'b' << most << true;
        QTest::newRow("an emoji across the limit")
            << most.left(XlsxLongestText - 1) + emoji << most.left(XlsxLongestText - 1) << true;
        QTest::newRow("an emoji at the limit") << most.left(XlsxLongestText - 2) + emoji + u'b'
                                               << most.left(XlsxLongestText - 2) + emoji << true;
    }
    void cellTexts() {
        QFETCH(QString, text);
        QString why;
        QTEST(QString::fromUtf8(XlsxText(text, &why)), "kept");
        QTEST(!why.isEmpty(), "said");
    }

    // A sheet takes at most 1,048,576 rows: more is refused before anything is written.
    void sheetRows() {
        QVERIFY(XlsxRowsProblem(XlsxMostRows).isEmpty());
        QVERIFY(XlsxRowsProblem(XlsxMostRows + 1).contains(QString::number(XlsxMostRows)));
    }

    // The values a workbook cannot hold as written are named, in the result and on the sheet of
    // findings; the workbook opens.
    void alteredValuesNamed() {
        QTemporaryDir dir;
        DocumentTable table = Table();
        table.Rows = {Document(u"17"_qs, u"2024-03-05"_qs, u"1"_qs),
                      Document(u"18"_qs, u"2024-03-05"_qs, u"2"_qs)};
        table.Rows[0].Cells[3] = {u"ООО \uFFFF"_qs, u"ООО \uFFFF"_qs};
        const QString purpose = QString(XlsxLongestText, u'я') + u"конец"_qs;
        table.Rows[1].Cells[8] = {purpose, purpose};
        const QString path = dir.filePath(u"r.xlsx"_qs);
        const ExportResult result =
            WriteRegister(path, RegisterFormat::Xlsx, table, INIStorage(dir.path()), {}, {});
        QVERIFY2(result.Ok, qPrintable(result.Error));
        QCOMPARE(result.Problems.size(), 2);
        QVERIFY(result.Problems[0].contains(u"pp-17.xml"_qs));
        QVERIFY(result.Problems[1].contains(u"pp-18.xml"_qs));
        const QHash<QString, QString> parts = Parts(path);
        const QString sheet = parts.value(u"xl/worksheets/sheet1.xml"_qs);
        QVERIFY(sheet.contains(u"ООО \uFFFD"_qs) && !sheet.contains(u"конец"_qs));
        QCOMPARE(parts.value(u"xl/worksheets/sheet2.xml"_qs).count(u"изменено"_qs), 2);
    }
    void cellKinds() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        const ColumnDef column{u"caption"_qs, key + u";x"_qs};
        QFETCH(int, kind);
        QCOMPARE(int(RegisterCellKind(column, value)), kind);
    }

    // What the workbook's XML holds: cell types and styles, the frozen header, the filter, the
    // totals, unchecked documents left out.
    void workbookCells() {
        QTemporaryDir dir;
        DocumentTable table = Table();
        table.Rows = {Document(u"17"_qs, u"2024-03-05"_qs, u"1 234,5"_qs),
                      Document(u"18"_qs, u"2024-03-06"_qs, u"0.10"_qs),
                      Document(u"19"_qs, u"2024-03-07"_qs, u"999"_qs),
                      Document(u"20"_qs, u"2024-03-07"_qs, u"0.20"_qs)};
        table.Rows[2].Checked = false;
        const QHash<QString, QString> parts = Parts(WrittenXlsx(dir, table));
        const QString sheet = parts.value(u"xl/worksheets/sheet1.xml"_qs);

        QVERIFY(Cell(sheet, u"A1"_qs).contains(u"Номер caption"_qs));
        QCOMPARE(NumberFormat(parts, Cell(sheet, u"A1"_qs)), u"builtin 0"_qs);
        QVERIFY(parts.value(u"xl/styles.xml"_qs).contains(u"<b/>"_qs));
        // The amount: a number, exact, shown with two decimals and groups.
        const QString amount = Cell(sheet, u"C2"_qs);
        QVERIFY2(!amount.contains(u" t=\""_qs) && amount.contains(u"<v>1234.5</v>"_qs),
                 qPrintable(amount));
        QCOMPARE(NumberFormat(parts, amount), u"#,##0.00"_qs);
        // The date: a date serial with a day format.
        const QString date = Cell(sheet, u"B2"_qs);
        QVERIFY2(date.contains(u"<v>45356</v>"_qs), qPrintable(date));
        QCOMPARE(NumberFormat(parts, date), u"dd.mm.yyyy"_qs);
        // Requisites keep every digit as text.
        QVERIFY(Cell(sheet, u"E2"_qs).contains(u"t=\"inlineStr\""_qs));
        QVERIFY(Cell(sheet, u"E2"_qs).contains(u"40702810938000012345"_qs));
        QVERIFY(Cell(sheet, u"F2"_qs).contains(u"0501007322"_qs));
        QVERIFY(Cell(sheet, u"F2"_qs).contains(u"t=\"inlineStr\""_qs));
        // The unchecked document is not there: the third row is document 20.
        QVERIFY(Cell(sheet, u"A4"_qs).contains(u"<v>20</v>"_qs));
        QVERIFY(!sheet.contains(u"pp-19"_qs) && !sheet.contains(u"999"_qs));
        // Totals: the count in words and a sum whose cached value is the exact total.
        QVERIFY(Cell(sheet, u"A5"_qs).contains(u"Итого: 3 документа"_qs));
        QVERIFY2(Cell(sheet, u"C5"_qs).contains(u"<f>SUM(C2:C4)</f><v>1234.8</v>"_qs),
                 qPrintable(Cell(sheet, u"C5"_qs)));
        QVERIFY(sheet.contains(u"state=\"frozen\""_qs) && sheet.contains(u"ySplit=\"1\""_qs));
        QVERIFY(sheet.contains(u"<autoFilter ref=\"A1:I4\"/>"_qs));
        QVERIFY(!parts.contains(u"xl/worksheets/sheet2.xml"_qs));
        const QString core = parts.value(u"docProps/core.xml"_qs);
        QVERIFY(core.contains(u"<dc:title>Реестр платежных документов</dc:title>"_qs));
        QVERIFY(core.contains(u"<dc:creator>ООО \"Север\"</dc:creator>"_qs));
        QVERIFY(core.contains(u"2024-03-12T"_qs));
    }

    // An amount that cannot be added: no sum that would pass for the total, and a second sheet.
    void workbookWithUncountedAmount() {
        QTemporaryDir dir;
        DocumentTable table = Table();
        table.Rows = {Document(u"17"_qs, u"2024-03-05"_qs, u"100"_qs),
                      Document(u"18"_qs, u"2024-03-06"_qs, u"сто"_qs),
                      Document(u"19"_qs, u"2024-03-06"_qs, u"12345678901234.56"_qs)};
        const QHash<QString, QString> parts =
            Parts(WrittenXlsx(dir, table, RegisterAmountFindings(table)));
        const QString sheet = parts.value(u"xl/worksheets/sheet1.xml"_qs);
        QVERIFY(Cell(sheet, u"C3"_qs).contains(u"сто"_qs));
        QVERIFY(Cell(sheet, u"C4"_qs).contains(u"12345678901234.56"_qs));
        QVERIFY(!sheet.contains(u"<f>"_qs));
        QVERIFY(Cell(sheet, u"C5"_qs).contains(u"не учтено сумм: 2"_qs));
        QVERIFY(parts.value(u"xl/workbook.xml"_qs).contains(u"name=\"Замечания\""_qs));
        const QString notes = parts.value(u"xl/worksheets/sheet2.xml"_qs);
        QVERIFY(Cell(notes, u"A1"_qs).contains(u"Вид"_qs) &&
                Cell(notes, u"E1"_qs).contains(u"Почему"_qs));
        QVERIFY(Cell(notes, u"B2"_qs).contains(u"pp-18.xml"_qs));
        QVERIFY(Cell(notes, u"D3"_qs).contains(u"12345678901234.56"_qs));
        QVERIFY(notes.contains(u"<autoFilter ref=\"A1:H3\"/>"_qs));
        // The problems list saved as a workbook: that sheet alone, its cells text.
        const QString alone = dir.filePath(u"f.xlsx"_qs);
        QVERIFY(WriteFindingsXlsx(alone, RegisterAmountFindings(table)).Ok);
        const auto cells = [](QString sheet) {
            sheet.remove(QRegularExpression(u" s=\"\\d+\""_qs)); // its own formats' numbers
            return QRegularExpression(u"<sheetData>.*</sheetData>"_qs).match(sheet).captured(0);
        };
        QCOMPARE(cells(Parts(alone).value(u"xl/worksheets/sheet1.xml"_qs)), cells(notes));
        QVERIFY(cells(notes).contains(u"t=\"inlineStr\""_qs));
    }

    // The amounts a register leaves as text are named once: not again when a finding given
    // already names the document's amount, never for an unchecked document.
    void amountFindings_data() {
        QTest::addColumn<QStringList>("amounts");
        QTest::addColumn<QList<int>>("unchecked"); // rows
        QTest::addColumn<QList<int>>("named");     // rows whose amount a finding names
        QTest::addColumn<QStringList>("expected"); // "file: why" of each finding made
        const QString Long = u"сумма длиннее 15 цифр, записана текстом"_qs;
        QTest::newRow("exact amounts") << QStringList{u"100"_qs, u"9999999999999.99"_qs}
                                       << QList<int>{} << QList<int>{} << QStringList{};
        QTest::newRow("16 digits and a word")
            << QStringList{u"10000000000000.00"_qs, u"сто"_qs} << QList<int>{} << QList<int>{}
            << QStringList{u"pp-1.xml: "_qs + Long,
                           u"pp-2.xml: сумма не число, в итог не вошла"_qs};
        QTest::newRow("named by the checks")
            << QStringList{u"10000000000000.00"_qs, u"сто"_qs} << QList<int>{} << QList<int>{1}
            << QStringList{u"pp-1.xml: "_qs + Long};
        QTest::newRow("unchecked")
            << QStringList{u"10000000000000.00"_qs, u"-10000000000000.00"_qs} << QList<int>{0}
            << QList<int>{} << QStringList{u"pp-2.xml: "_qs + Long};
    }
    void amountFindings() {
        QFETCH(QStringList, amounts);
        QFETCH(QList<int>, unchecked);
        QFETCH(QList<int>, named);
        QFETCH(QStringList, expected);
        DocumentTable table = Table();
        FindingList given;
        for (int i = 0; i < amounts.size(); ++i) {
            table.Rows.push_back(Document(QString::number(i + 1), u"2024-03-05"_qs, amounts[i]));
            table.Rows.back().Checked = !unchecked.contains(i);
            if (named.contains(i))
                given.push_back(
                    {FindingKind::Amount, {}, {}, {}, {}, table.Rows.back().SourcePath});
        }
        QStringList made;
        for (const Finding& finding : RegisterAmountFindings(table, given)) {
            QCOMPARE(finding.Kind, FindingKind::Amount);
            QCOMPARE(finding.Field, u"Сумма caption"_qs);
            made << finding.File + u": "_qs + finding.Why;
        }
        QCOMPARE(made, expected);
    }

    // A library of others reads the amounts as numbers and the accounts as their 20 digits.
    void workbookReadByOpenpyxl() {
        bool anyPython = false;
        const QString python = PythonWithOpenpyxl(&anyPython);
        if (!anyPython) QSKIP("python3 is not installed: the workbook is not read back");
        QVERIFY2(!python.isEmpty(), "python3 has no openpyxl (scripts/install-deps installs it)");
        QTemporaryDir dir;
        DocumentTable table = Table();
        table.Rows = {Document(u"17"_qs, u"2024-03-05"_qs, u"1 234,56"_qs),
                      Document(u"18"_qs, u"2024-03-06"_qs, u"0.10"_qs)};
        table.Rows[1].Cells[3] = {u"\uFFFF"_qs, u"\uFFFF"_qs}; // made unreadable once
        const QString path = WrittenXlsx(dir, table);
        const QString script = uR"(
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]
for r in (2, 3):
    amount, account, date = ws.cell(r, 3).value, ws.cell(r, 5).value, ws.cell(r, 2).value
    print(type(amount).__name__, repr(amount), type(account).__name__, account, date.date())
print(ws.freeze_panes, ws.auto_filter.ref)
)"_qs;
        const ProgramRun run = RunProgram(python, {u"-c"_qs, script, path});
        QVERIFY2(run.Exit == 0, qPrintable(run.Err));
        QCOMPARE(QString::fromUtf8(run.Out), u"float 1234.56 str 40702810938000012345 2024-03-05\n"
                                             "float 0.1 str 40702810938000012345 2024-03-06\n"
                                             "A2 A1:I3\n"_qs);
    }

    // A failed write leaves what was at the target: here a folder of the same name.
    void workbookFailureKeepsTarget() {
        QTemporaryDir dir;
        DocumentTable table = Table();
        table.Rows = {Document(u"17"_qs, u"2024-03-05"_qs, u"1"_qs)};
        const QString path = dir.filePath(u"r.xlsx"_qs);
        WriteFile(path + u"/keep"_qs, "old");
        for (const bool pdf : {false, true}) {
            const QString target = pdf ? path.chopped(4) + u"pdf"_qs : path;
            if (pdf) WriteFile(target + u"/keep"_qs, "old");
            const ExportResult result = pdf ? WriteRegisterPdf(target, table, Heading(table))
                                            : WriteRegisterXlsx(target, table, Heading(table), {});
            QVERIFY(!result.Ok);
            QVERIFY(result.Error.contains(target));
            QCOMPARE(ReadFile(target + u"/keep"_qs), QByteArray("old"));
        }
    }

    // The printed register: landscape pages, every number, the header and the page count on
    // every page, the total in figures and in words.
    void pdf() {
        if (QStandardPaths::findExecutable(u"pdftotext"_qs).isEmpty())
            QSKIP("pdftotext is not installed (scripts/install-deps installs poppler-utils)");
        QTemporaryDir dir;
        DocumentTable table = Table();
        for (int i = 1; i <= 70; ++i)
            table.Rows.push_back(Document(u"N%1"_qs.arg(1000 + i), u"2024-03-05"_qs, u"100.25"_qs));
        const QString path = dir.filePath(u"r.pdf"_qs);
        const ExportResult result = WriteRegisterPdf(path, table, Heading(table));
        QVERIFY2(result.Ok, qPrintable(result.Error));

        const ProgramRun info = RunProgram(u"pdfinfo"_qs, {path});
        const int pages =
            QRegularExpression(u"Pages:\\s+(\\d+)"_qs).match(info.Out).captured(1).toInt();
        QVERIFY2(pages >= 2, info.Out.constData());
        QVERIFY2(info.Out.contains("842 x 595 pts (A4)"), info.Out.constData());

        const ProgramRun text = RunProgram(u"pdftotext"_qs, {path, u"-"_qs});
        const QString all = QString::fromUtf8(text.Out);
        const QStringList pageTexts = all.split(u'\f', Qt::SkipEmptyParts);
        QCOMPARE(pageTexts.size(), pages);
        for (int p = 0; p < pages; ++p) {
            QVERIFY2(pageTexts[p].contains(u"Стр. %1 из %2"_qs.arg(p + 1).arg(pages)),
                     qPrintable(pageTexts[p]));
            QVERIFY(pageTexts[p].contains(u"НазначениеПлатежа caption"_qs));
        }
        QVERIFY(pageTexts[0].contains(u"Реестр платежных документов"_qs));
        QVERIFY(pageTexts[0].contains(u"за период 04.03.2024 – 12.03.2024"_qs));
        for (int i = 1; i <= 70; ++i)
            QVERIFY2(all.contains(u"N%1"_qs.arg(1000 + i)), qPrintable(u"N%1"_qs.arg(1000 + i)));
        const QString last = pageTexts.back().simplified();
        QVERIFY2(
            last.contains(u"Итого: 70 документов на сумму 7 017,50 ₽"_qs),
            qPrintable(last));
        QVERIFY(last.contains(u"Семь тысяч семнадцать рублей 50 копеек"_qs));
        QVERIFY(last.contains(u"Главный бухгалтер"_qs));
    }

    // vypiska-cli register: the format by the extension, the statement's exit codes.
    void cli_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QByteArray>("magic"); // the written file begins with it
        const QString folder = VYPISKA_SAMPLES "/folder";
        QTest::newRow("xlsx") << u"r.xlsx"_qs << folder << 0 << QByteArray("PK");
        QTest::newRow("pdf in capitals") << u"r.PDF"_qs << folder << 0 << QByteArray("%PDF");
        QTest::newRow("stdout") << u"-"_qs << folder << 2 << QByteArray();
        QTest::newRow("other type") << u"r.csv"_qs << folder << 2 << QByteArray();
        QTest::newRow("no documents")
            << u"r.xlsx"_qs << VYPISKA_TEST_DATA "/export" << 1 << QByteArray();
        QTest::newRow("no folder") << u"no/such/r.pdf"_qs << folder << 3 << QByteArray();
    }
    void cli() {
        QFETCH(QString, output);
        QFETCH(QString, source);
        QFETCH(int, exit);
        QFETCH(QByteArray, magic);
        QTemporaryDir dir;
        const ProgramRun run = RunProgram(
            VYPISKA_CLI,
            {u"register"_qs, u"--config"_qs, VYPISKA_SOURCE_CONFIG, u"--rows"_qs, u"1,3"_qs,
             u"-o"_qs, output, source},
            [&](QProcess& p) {
                p.setWorkingDirectory(dir.path());
                // No display and no runtime folder, as on a server.
                p.setProcessEnvironment(EnvironmentWith({{u"DISPLAY"_qs, {}},
                                                         {u"WAYLAND_DISPLAY"_qs, {}},
                                                         {u"QT_QPA_PLATFORM"_qs, u"xcb"_qs}}));
            });
        QVERIFY2(run.Exit == exit, qPrintable(run.Err));
        if (magic.isEmpty()) {
            QVERIFY(Listing(dir.path()).isEmpty());
            QCOMPARE(run.Err.count(u"vypiska-cli: "_qs) >= 1, run.Exit != 1);
        } else {
            QVERIFY(ReadFile(dir.filePath(output)).startsWith(magic));
            QVERIFY2(!run.Err.contains(u"QStandardPaths"_qs), qPrintable(run.Err));
        }
    }

    // The workbook's "Замечания" sheet lists, under the same captions, the rows `vypiska-cli
    // check` prints for the same source, then the amounts the register keeps as text that the
    // checks do not name; no sheet when there is nothing to list.
    void cliSheetListsCheckFindings_data() {
        QTest::addColumn<QString>("config");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QByteArray>("amount"); // put into a copy of the source's a.xml
        QTest::addColumn<int>("extra");         // rows the sheet has beyond check's
        const QString samples = VYPISKA_SAMPLES;
        const QString data = VYPISKA_TEST_DATA;
        QTest::newRow("folder: skipped, duplicates, requisite, account")
            << VYPISKA_SOURCE_CONFIG << samples + u"/folder"_qs << QByteArray() << 0;
        QTest::newRow("archive entries left out")
            << VYPISKA_SOURCE_CONFIG << samples + u"/documents.zip"_qs << QByteArray() << 0;
        QTest::newRow("no template") << data + u"/reading/cli/CONFIG"_qs
                                     << data + u"/reading/cli/docs"_qs << QByteArray() << 0;
        QTest::newRow("nothing to list")
            << data + u"/export/config"_qs << data + u"/export/docs"_qs << QByteArray() << 0;
        QTest::newRow("amount not a number, named once")
            << data + u"/export/config"_qs << data + u"/export/docs"_qs << QByteArray("сто") << 0;
        QTest::newRow("amount too long for a number")
            << data + u"/export/config"_qs << data + u"/export/docs"_qs
            << QByteArray("12345678901234.56") << 1;
    }
    void cliSheetListsCheckFindings() {
        QFETCH(QString, config);
        QFETCH(QString, source);
        QFETCH(QByteArray, amount);
        QFETCH(int, extra);
        bool anyPython = false;
        const QString python = PythonWithOpenpyxl(&anyPython);
        if (!anyPython) QSKIP("python3 is not installed: the workbook is not read back");
        QVERIFY2(!python.isEmpty(), "python3 has no openpyxl (scripts/install-deps installs it)");
        QTemporaryDir dir;
        if (!amount.isEmpty()) {
            for (const QString& name : QDir(source).entryList(QDir::Files))
                WriteFile(dir.filePath(u"docs/"_qs + name), ReadFile(source + u'/' + name));
            source = dir.filePath(u"docs"_qs);
            QByteArray a = ReadFile(source + u"/a.xml"_qs);
            a.replace("<Sum>1234.50</Sum>", "<Sum>" + amount + "</Sum>");
            WriteFile(source + u"/a.xml"_qs, a);
        }
        const ProgramRun check =
            RunProgram(VYPISKA_CLI, {u"check"_qs, u"--config"_qs, config, source});
        const QStringList printed = QString::fromUtf8(check.Out).split(u'\n', Qt::SkipEmptyParts);
        QVERIFY2(!printed.isEmpty(), qPrintable(check.Err));
        const QString workbook = dir.filePath(u"r.xlsx"_qs);
        const ProgramRun made = RunProgram(
            VYPISKA_CLI, {u"register"_qs, u"--config"_qs, config, u"-o"_qs, workbook, source});
        QVERIFY2(made.Exit == 0, qPrintable(made.Err));

        const QString script = uR"(
import sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
if "Замечания" in book.sheetnames:
    for row in book["Замечания"].iter_rows(values_only=True):
        print("\t".join("" if v is None else str(v) for v in row))
)"_qs;
        const ProgramRun read = RunProgram(python, {u"-c"_qs, script, workbook});
        QVERIFY2(read.Exit == 0, qPrintable(read.Err));
        const QStringList sheet = QString::fromUtf8(read.Out).split(u'\n', Qt::SkipEmptyParts);
        if (printed.size() + extra == 1) {
            QVERIFY2(sheet.isEmpty(), qPrintable(sheet.join(u'\n')));
            return;
        }
        QCOMPARE(sheet.size(), printed.size() + extra);
        QCOMPARE(sheet.mid(0, printed.size()), printed);
        for (const QString& line : sheet.mid(printed.size()))
            QVERIFY2(line.startsWith(u"сумма\t"_qs), qPrintable(line));
    }

    // A register is no more allowed than a statement to replace a file it is made from: here a
    // document left out, through a link named like a workbook (exit 2, the document untouched).
    void cliNeverReplacesSource() {
        QTemporaryDir dir;
        WriteFile(dir.filePath(u"docs/pp-0001.xml"_qs),
                  ReadFile(VYPISKA_SAMPLES "/folder/pp-0001.xml"));
        const QByteArray document = "<Doc><Num>2</Num></Doc>"; // no amount
        WriteFile(dir.filePath(u"docs/pp-0002.xml"_qs), document);
        QVERIFY(QFile::link(dir.filePath(u"docs/pp-0002.xml"_qs), dir.filePath(u"r.xlsx"_qs)));
        const ProgramRun run = RunProgram(
            VYPISKA_CLI, {u"register"_qs, u"--config"_qs, VYPISKA_SOURCE_CONFIG, u"-o"_qs,
                          dir.filePath(u"r.xlsx"_qs), dir.filePath(u"docs"_qs)});
        QCOMPARE(run.Exit, 2);
        QVERIFY2(run.Err.contains(u"не может заменить исходный файл"_qs), qPrintable(run.Err));
        QCOMPARE(ReadFile(dir.filePath(u"docs/pp-0002.xml"_qs)), document);
    }
};

QTEST_MAIN(TestRegister)
#include "tst_register.moc"
