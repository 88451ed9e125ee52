#include "export/Register.h"
#include "export/RegisterPdf.h"
#include "export/RegisterPdfLayout.h"
#include "export/RegisterXlsx.h"
#include "export/XlsxCells.h"
#include "reading/ArchiveWalk.h"
#include "settings/INIStorage.h"
#include "text/AmountInWords.h"
#include "text/CsvField.h"

#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include "TestMain.h"

#include "TestFiles.h"

#include <limits>

namespace {

const QStringList Keys = {u"Номер"_qs,          u"Дата"_qs,
                          u"Сумма"_qs,          u"Плательщик1"_qs,
                          u"ПлательщикСчет"_qs, u"ПолучательИНН"_qs,
                          u"ПолучательСчет"_qs, u"Получатель1"_qs,
                          u"Очередность"_qs,    u"НазначениеПлатежа"_qs};
const QString Own = u"40702810938000012345"_qs;
const QString Other = u"40702810500000000001"_qs;

DocumentTable Table() {
    DocumentTable table;
    for (const QString& key : Keys)
        table.Columns.push_back({key + u" caption"_qs, key + u";x"_qs});
    return table;
}

// A document: its number, date and amount as written, by default paid from the organisation's
// account ("out"), else to it ("in") or between others ("other"); the rest fixed.
DocumentRow Document(const QString& number, const QString& date, const QString& amount,
                     const QString& way = u"out"_qs, const QString& purpose = {}) {
    const QStringList values = {number,
                                date,
                                amount,
                                u"ООО \"Север\""_qs,
                                way == u"out" ? Own : Other,
                                u"0501007322"_qs,
                                way == u"in" ? Own : Other,
                                u"АО \"Луг\""_qs,
                                u"5"_qs,
                                purpose.isEmpty() ? u"Оплата по счету № "_qs + number : purpose};
    DocumentRow row;
    row.SourcePath = u"/in/pp-"_qs + number + u".xml"_qs;
    for (const QString& value : values)
        row.Cells.push_back({value, value});
    return row;
}

// The heading of the organisation owning the account Own, or of one whose account is not set.
RegisterHeading Heading(const DocumentTable& table, const QString& account = Own) {
    RegisterHeading heading;
    heading.Organisation = u"ООО \"Север\""_qs;
    heading.Inn = u"7707083893"_qs;
    heading.Account = account;
    heading.Director = u"Иванов И. И."_qs;
    heading.First = QDate(2024, 3, 4);
    heading.Last = QDate(2024, 3, 12);
    heading.Created = QDateTime(QDate(2024, 3, 12), QTime(9, 30));
    heading.Totals = ComputeTotals(table);
    heading.Side = {account, heading.Inn};
    const OrganisationSide side(table.Columns, heading.Side);
    heading.SideKnown = side.Known();
    heading.TotalLines = RegisterTotals(table, side);
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
        AddColumns<qint64, QString>({"kopecks", "words"});
        auto row = [](const char* name, qint64 kopecks, const char* words) {
            QTest::newRow(name) << kopecks << QString::fromUtf8(words);
        };
        row("0", 0, "Ноль рублей 00 копеек");
        row("0,01", 1, "Ноль рублей 01 копейка");
        row("0,22", 22, "Ноль рублей 22 копейки");
        row("112", 11200, "Сто двенадцать рублей 00 копеек");
        row("2 002", 200200, "Две тысячи два рубля 00 копеек");
        row("11 000", 1100000, "Одиннадцать тысяч рублей 00 копеек");
        row("21 000", 2100000, "Двадцать одна тысяча рублей 00 копеек");
        row("125 000", 12500000, "Сто двадцать пять тысяч рублей 00 копеек");
        row("1 000 000", 100000000, "Один миллион рублей 00 копеек");
        row("12 345 678 901,50", 1234567890150,
            "Двенадцать миллиардов триста сорок пять миллионов шестьсот семьдесят восемь тысяч "
            "девятьсот один рубль 50 копеек");
        row("a trillion", 100000000000000, "Один триллион рублей 00 копеек");
        row("largest", std::numeric_limits<qint64>::max(),
            "Девяносто два квадриллиона двести тридцать три триллиона семьсот двадцать "
            "миллиардов триста шестьдесят восемь миллионов пятьсот сорок семь тысяч семьсот "
            "пятьдесят восемь рублей 07 копеек");
        row("most negative", std::numeric_limits<qint64>::min(),
            "Минус девяносто два квадриллиона двести тридцать три триллиона семьсот двадцать "
            "миллиардов триста шестьдесят восемь миллионов пятьсот сорок семь тысяч семьсот "
            "пятьдесят восемь рублей 08 копеек");
    }
    void amountInWords() {
        QFETCH(qint64, kopecks);
        QTEST(AmountInWords(kopecks), "words");
    }

    // The totals under a register: money in and money out apart when the organisation's account
    // is known, one total otherwise; an amount counts only when its whole text is a number, as
    // the window's totals do, never rounded or read in part.
    void totalLines_data() {
        QTest::addColumn<QStringList>("documents"); // "amount way"
        AddColumns<QString, QString>({"account", "lines"});
        const QString unknown = u"\nНаправление не определено: не указан расчетный счет "
                                "организации"_qs;
        QTest::newRow("in and out")
            << QStringList{u"100 in"_qs, u"1 234,5 out"_qs, u"0.10 out"_qs} << Own
            << u"Поступило: 1 документ на сумму 100,00 ₽\n"
               "Списано: 2 документа на сумму 1\u00A0234,60 ₽"_qs;
        QTest::newRow("others too")
            << QStringList{u"5 other"_qs, u"7 in"_qs} << Own
            << u"Поступило: 1 документ на сумму 7,00 ₽\n"
               "Списано: 0 документов на сумму 0,00 ₽\n"
               "Прочие: 1 документ на сумму 5,00 ₽"_qs;
        QTest::newRow("an amount left out of one side")
            << QStringList{u"50 руб. out"_qs, u"3 out"_qs, u"7 in"_qs} << Own
            << u"Поступило: 1 документ на сумму 7,00 ₽\n"
               "Списано: 2 документа · не учтено сумм: 1"_qs;
        // A payment of nothing or less is left out of the sum, as the window's totals leave it.
        QTest::newRow("no account, a negative amount")
            << QStringList{u"100 in"_qs, u"-4 out"_qs} << QString()
            << u"Итого: 2 документа · не учтено сумм: 1"_qs + unknown;
        QTest::newRow("none") << QStringList{} << QString()
                              << u"Итого: 0 документов на сумму 0,00 ₽"_qs +
                                     unknown;
    }
    void totalLines() {
        QFETCH(QStringList, documents);
        QFETCH(QString, account);
        DocumentTable table = Table();
        for (const QString& document : documents) {
            const qsizetype blank = document.lastIndexOf(u' ');
            table.Rows.push_back(
                Document(u"1"_qs, u"2024-03-05"_qs, document.left(blank), document.mid(blank + 1)));
        }
        // An unchecked document counts for nothing, whatever its amount.
        table.Rows.push_back(Document(u"2"_qs, u"2024-03-05"_qs, u"сто"_qs, u"in"_qs));
        table.Rows.back().Checked = false;
        QTEST(RegisterTotalTexts(Heading(table, account)).join(u'\n'), "lines");
    }

    // One field of a CSV file for a Russian spreadsheet: RFC 4180 quoting for ";", and no value
    // a spreadsheet would run as a formula.
    void csvField_data() {
        AddColumns<QString, QString>({"value", "field"});
        QTest::newRow("plain") << u"Оплата"_qs << u"Оплата"_qs;
        QTest::newRow("semicolon") << u"по счету 15; НДС"_qs << u"\"по счету 15; НДС\""_qs;
        QTest::newRow("quotes") << u"\"Ромашка\" ООО"_qs << u"\"\"\"Ромашка\"\" ООО\""_qs;
        QTest::newRow("line break") << u"a\r\nb"_qs << u"\"a\r\nb\""_qs;
        QTest::newRow("formula") << u"=1+2"_qs << u"'=1+2"_qs;
        QTest::newRow("formula and separator") << u"=A1;B1"_qs << u"\"'=A1;B1\""_qs;
        QTest::newRow("at") << u"@SUM(A1)"_qs << u"'@SUM(A1)"_qs;
        QTest::newRow("plus in words") << u"+7 (495) 000"_qs << u"'+7 (495) 000"_qs;
        QTest::newRow("leading tab") << u"\t=1"_qs << u"'\t=1"_qs;
        QTest::newRow("leading CR") << u"\r=1"_qs << u"\"'\r=1\""_qs;
        QTest::newRow("negative number") << u"-3"_qs << u"-3"_qs;
        QTest::newRow("negative amount") << u"-1 234,50"_qs << u"-1 234,50"_qs;
        QTest::newRow("minus and words") << u"-3 шт"_qs << u"'-3 шт"_qs;
        QTest::newRow("empty") << QString() << QString();
    }
    void csvField() {
        QFETCH(QString, value);
        QTEST(CsvField(value), "field");
    }

    // A printed register's order: by date, then by number as a number; what lacks either last.
    void sortByDateAndNumber_data() {
        QTest::addColumn<QStringList>("documents"); // "date number", in the list's order
        QTest::addColumn<QString>("order");         // their numbers after the sort
        QTest::newRow("dates first")
            << QStringList{u"2024-03-06 1"_qs, u"05.03.2024 9"_qs} << u"9 1"_qs;
        QTest::newRow("numbers as numbers") << QStringList{u"2024-03-05 10"_qs, u"2024-03-05 9"_qs,
                                                           u"2024-03-05 А-1"_qs, u"2024-03-05 "_qs}
                                            << u"9 10 А-1 "_qs;
        QTest::newRow("no date last, equals kept")
            << QStringList{u"вчера 1"_qs, u"2024-03-05 2"_qs, u"2024-03-05 2"_qs} << u"2 2 1"_qs;
    }
    void sortByDateAndNumber() {
        QFETCH(QStringList, documents);
        DocumentTable table = Table();
        for (const QString& document : documents)
            table.Rows.push_back(
                Document(document.section(u' ', 1), document.section(u' ', 0, 0), u"1"_qs));
        SortByDateAndNumber(table);
        QStringList order;
        for (const DocumentRow& row : table.Rows)
            order << row.ExportValue(0);
        QTEST(order.join(u' '), "order");
    }

    void cellKinds_data() {
        AddColumns<QString, QString, int>({"key", "value", "kind"});
        auto row = [](const char* name, const char* key, const char* value, RegisterCell kind) {
            QTest::newRow(name) << QString::fromUtf8(key) << QString::fromUtf8(value) << int(kind);
        };
        row("amount", "Сумма", "1 234,50", RegisterCell::Amount);
        row("amount not a number", "Сумма", "много", RegisterCell::Text);
        row("amount of 16 digits", "Сумма", "12345678901234.56", RegisterCell::Text);
        row("amount of 15 digits", "Сумма", "1234567890123.45", RegisterCell::Amount);
        row("short ИНН", "ПолучательИНН", "7707083893", RegisterCell::Text);
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
        AddColumns<QString, QString, bool>({"text", "kept", "said"});
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
        const QString purpose = QString(XlsxLongestText, u'я') + u"конец"_qs;
        table.Rows = {Document(u"17"_qs, u"2024-03-05"_qs, u"1"_qs),
                      Document(u"18"_qs, u"2024-03-05"_qs, u"2"_qs, u"out"_qs, purpose)};
        table.Rows[0].Cells[3] = {u"ООО \uFFFF"_qs, u"ООО \uFFFF"_qs};
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
        QTEST(int(RegisterCellKind(column, value)), "kind");
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
        QVERIFY(Cell(sheet, u"C8"_qs).contains(u"сто"_qs));
        QVERIFY(Cell(sheet, u"C9"_qs).contains(u"12345678901234.56"_qs));
        // Nothing came in, and that sum is whole; what went out has no sum.
        QVERIFY(Cell(sheet, u"C10"_qs).contains(u"<v>0</v>"_qs));
        QVERIFY(Cell(sheet, u"C11"_qs).contains(u"не учтено сумм: 2"_qs));
        QCOMPARE(sheet.count(u"<f>"_qs), 1);
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
        QTEST(made, "expected");
    }

    // A library of others reads the workbook back: the heading rows, amounts as numbers, accounts,
    // an ИНН with its leading zero and a formula-like purpose as text, dates as dates, their
    // formats, the direction column, the totals as formulas whose cached values are the exact
    // sums, the print set-up, no sheet of findings without findings, the document's properties.
    void workbookReadByOpenpyxl_data() {
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("expected"); // a file of data/register
        QTest::newRow("in, out and others") << Own << u"openpyxl-in-out.txt"_qs;
        QTest::newRow("no account") << QString() << u"openpyxl-no-account.txt"_qs;
    }
    void workbookReadByOpenpyxl() {
        QFETCH(QString, account);
        bool anyPython = false;
        const QString python = PythonWithOpenpyxl(&anyPython);
        if (!anyPython) QSKIP("python3 is not installed: the workbook is not read back");
        QVERIFY2(!python.isEmpty(), "python3 has no openpyxl (scripts/install-deps installs it)");
        QTemporaryDir dir;
        DocumentTable table = Table();
        table.Rows = {Document(u"17"_qs, u"2024-03-05"_qs, u"1 234,56"_qs, u"out"_qs, u"=1+2"_qs),
                      Document(u"18"_qs, u"2024-03-06"_qs, u"0.10"_qs, u"in"_qs),
                      Document(u"19"_qs, u"2024-03-06"_qs, u"5"_qs, u"other"_qs)};
        const QString path = dir.filePath(u"r.xlsx"_qs);
        QVERIFY(WriteRegisterXlsx(path, table, Heading(table, account), {}).Ok);
        const QString script = uR"(
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.worksheets[0]
cached = openpyxl.load_workbook(sys.argv[1], data_only=True).worksheets[0]
for row in ws.iter_rows():
    print(" | ".join(c.coordinate + " " + str(c.value) +
                     (" = " + str(cached[c.coordinate].value) if c.data_type == "f" else "")
                     for c in row if c.value is not None and c.column in (1, 3, 5, 10, 11)))
p = ws.page_setup
print(ws.freeze_panes, ws.auto_filter.ref, p.orientation, p.paperSize,
      ws.sheet_properties.pageSetUpPr.fitToPage, p.fitToHeight, ws.print_title_rows,
      ws.oddFooter.center.text)
print(wb.sheetnames, ws["A6"].font.b, ws["B7"].value, ws["B7"].number_format, ws["C7"].number_format,
      ws["F7"].value, wb.properties.title, wb.properties.creator, wb.properties.created.date())
)"_qs;
        const ProgramRun run = RunProgram(python, {u"-c"_qs, script, path});
        QVERIFY2(run.Exit == 0, qPrintable(run.Err));
        QFETCH(QString, expected);
        QCOMPARE(QString::fromUtf8(run.Out),
                 QString::fromUtf8(ReadFile(VYPISKA_TEST_DATA "/register/" + expected)));
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
        // Stopped midway (at the second report: a piece of rows, a page), the old file stays.
        table.Rows = std::vector<DocumentRow>(600, table.Rows.front());
        for (const QString& name : {u"s.xlsx"_qs, u"s.pdf"_qs}) {
            const QString target = dir.filePath(name);
            WriteFile(target, "old");
            int asked = 0;
            const auto stop = [&](qint64, qint64) { return ++asked < 2; };
            const ExportResult result =
                name.endsWith(u"pdf")
                    ? WriteRegisterPdf(target, LayOutRegisterPdf(table, Heading(table)), {}, stop)
                    : WriteRegisterXlsx(target, table, Heading(table), {}, stop);
            QCOMPARE(result.Failure, ExportFailure::Stopped);
            QCOMPARE(asked, 2);
            QCOMPARE(ReadFile(target), QByteArray("old"));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"s.pdf", "s.xlsx"}));
    }

    // The printed register, as pdftotext reads it: landscape pages numbered "Стр. N из M", the
    // header only over rows, every value whole, the totals in figures and in words, the marks,
    // the signatures.
    void pdf_data() {
        AddColumns<int, QString>({"count", "account"});
        QTest::addColumn<QString>("amount");    // of the first document
        QTest::addColumn<QString>("purpose");   // of the first document, when not the usual one
        QTest::addColumn<QStringList>("texts"); // all found, in this order
        const QString words = u"Оплата по договору поставки № 44 без НДС "_qs.repeated(250);
        QTest::newRow("70 documents in and out")
            << 70 << Own << u"100.25"_qs << QString()
            << QString::fromUtf8(ReadFile(VYPISKA_TEST_DATA "/register/pdf-70-documents.txt"))
                   .split(u'\n', Qt::SkipEmptyParts);
        QTest::newRow("no account")
            << 3 << QString() << u"0.10"_qs << QString()
            << QStringList{u"Итого: 3 документа на сумму 200,60 ₽"_qs,
                           u"Двести рублей 60 копеек"_qs,
                           u"Направление не определено: не указан расчетный счет организации"_qs};
        QTest::newRow("values wider than their column, a row taller than a page")
            << 2 << Own << u"1000000000000.00"_qs << words + u"конец"_qs
            << QStringList{
                   u"1 000 000 000 000,00"_qs, u"(продолжение)"_qs, u"конец"_qs,
                   u"Списано: 1 документ на сумму 1 000 000 000 000,00 ₽"_qs,
                   u"Один триллион рублей 00 копеек"_qs};
    }
    void pdf() {
        QFETCH(int, count);
        QFETCH(QString, account);
        QFETCH(QString, amount);
        QFETCH(QString, purpose);
        QFETCH(QStringList, texts);
        if (QStandardPaths::findExecutable(u"pdftotext"_qs).isEmpty())
            QSKIP("pdftotext is not installed (scripts/install-deps installs poppler-utils)");
        QTemporaryDir dir;
        DocumentTable table = Table();
        for (int i = 1; i <= count; ++i)
            table.Rows.push_back(
                Document(u"N%1"_qs.arg(1000 + i), u"2024-03-05"_qs, i == 1 ? amount : u"100.25"_qs,
                         i % 2 ? u"out"_qs : u"in"_qs, i == 1 ? purpose : QString()));
        const QString path = dir.filePath(u"r.pdf"_qs);
        const FindingList findings{
            {FindingKind::Duplicate, {}, {}, {}, {}, table.Rows[1 % count].SourcePath}};
        const ExportResult result =
            WriteRegisterPdf(path, table, Heading(table, account), findings);
        QVERIFY2(result.Ok, qPrintable(result.Error));

        const ProgramRun info = RunProgram(u"pdfinfo"_qs, {path});
        QVERIFY2(info.Out.contains("842 x 595 pts (A4)"), info.Out.constData());
        const QStringList pages =
            QString::fromUtf8(RunProgram(u"pdftotext"_qs, {path, u"-"_qs}).Out)
                .split(u'\f', Qt::SkipEmptyParts);
        QVERIFY(pages.size() > 1 || count < 10);
        for (qsizetype p = 0; p < pages.size(); ++p) {
            QVERIFY2(pages[p].contains(u"Стр. %1 из %2"_qs.arg(p + 1).arg(pages.size())),
                     qPrintable(pages[p]));
            QCOMPARE(pages[p].contains(u"НазначениеПлатежа caption"_qs),
                     pages[p].contains(u"Оплата"_qs));
        }
        const QString all = pages.join(u' ').simplified();
        qsizetype at = 0;
        for (const QString& text : texts) {
            const qsizetype found = all.indexOf(text, at);
            QVERIFY2(found >= 0, qPrintable(text + u"\n\n"_qs + all.mid(at, 3000)));
            at = found + text.size();
        }
        for (int i = 1; i <= count; ++i)
            QVERIFY2(all.contains(u"N%1"_qs.arg(1000 + i)), qPrintable(u"N%1"_qs.arg(1000 + i)));
    }

    // The totals and the signatures never stand alone on a page: the counts of documents that
    // would leave them so are found by laying out, and the last row goes with them.
    void pdfKeepsTotalsWithLastRow() {
        if (QStandardPaths::findExecutable(u"pdftotext"_qs).isEmpty())
            QSKIP("pdftotext is not installed (scripts/install-deps installs poppler-utils)");
        DocumentTable table = Table();
        QList<int> tight; // counts whose last page holds a single row
        for (int n = 1; n <= 60; ++n) {
            table.Rows.push_back(Document(u"%1"_qs.arg(n), u"2024-03-05"_qs, u"10"_qs));
            const RegisterPdfLayout layout = LayOutRegisterPdf(table, Heading(table));
            for (const RegisterPdfLayout::Page& page : layout.Pages)
                QCOMPARE(page.Header, !page.Pieces.empty());
            const RegisterPdfLayout::Page& last = layout.Pages.back();
            QVERIFY(last.EndTop >= 0 && !last.Pieces.empty());
            QCOMPARE(last.Pieces.back().Number, n);
            if (layout.Pages.size() > 1 && last.Pieces.size() == 1) tight << n;
        }
        QVERIFY2(!tight.isEmpty(), "no count of documents fills a page to its last row");
        QTemporaryDir dir;
        table.Rows.resize(size_t(tight.front()));
        const QString path = dir.filePath(u"r.pdf"_qs);
        QVERIFY(WriteRegisterPdf(path, table, Heading(table)).Ok);
        const QStringList pages =
            QString::fromUtf8(RunProgram(u"pdftotext"_qs, {path, u"-"_qs}).Out)
                .split(u'\f', Qt::SkipEmptyParts);
        const QString last = pages.back().simplified();
        QVERIFY2(last.contains(u"НазначениеПлатежа caption"_qs) &&
                     last.contains(u"Оплата по счету № %1"_qs.arg(tight.front())) &&
                     last.contains(u"Списано:"_qs) && !pages.front().contains(u"Списано:"_qs),
                 qPrintable(last));
    }

    // vypiska-cli register: the format by the extension, the statement's exit codes.
    void cli_data() {
        AddColumns<QString, QString, int>({"output", "source", "exit"});
        QTest::addColumn<QByteArray>("magic"); // the written file begins with it
        const QString folder = VYPISKA_SAMPLES "/folder";
        QTest::addColumn<QString>("date"); // --date, and the PDF then says so
        QTest::newRow("xlsx") << u"r.xlsx"_qs << folder << 0 << QByteArray("PK") << QString();
        QTest::newRow("pdf in capitals")
            << u"r.PDF"_qs << folder << 0 << QByteArray("%PDF") << u"2026-12-09T14:05"_qs;
        QTest::newRow("no such date")
            << u"r.pdf"_qs << folder << 2 << QByteArray() << u"2026-02-30"_qs;
        QTest::newRow("stdout") << u"-"_qs << folder << 2 << QByteArray() << QString();
        QTest::newRow("other type") << u"r.csv"_qs << folder << 2 << QByteArray() << QString();
        QTest::newRow("no documents")
            << u"r.xlsx"_qs << VYPISKA_TEST_DATA "/export" << 1 << QByteArray() << QString();
        QTest::newRow("no folder")
            << u"no/such/r.pdf"_qs << folder << 3 << QByteArray() << QString();
    }
    void cli() {
        QFETCH(QString, output);
        QFETCH(QString, source);
        QFETCH(int, exit);
        QFETCH(QByteArray, magic);
        QFETCH(QString, date);
        QTemporaryDir dir;
        QStringList args{u"register"_qs, u"--config"_qs, VYPISKA_SOURCE_CONFIG,
                         u"--rows"_qs,   u"3,1"_qs,      u"-o"_qs,
                         output,         source};
        if (!date.isEmpty()) args << u"--date"_qs << date;
        const ProgramRun run = RunProgram(VYPISKA_CLI, args, [&](QProcess& p) {
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
            if (date.isEmpty() || QStandardPaths::findExecutable(u"pdftotext"_qs).isEmpty()) return;
            const QString text =
                QString::fromUtf8(RunProgram(u"pdftotext"_qs, {dir.filePath(output), u"-"_qs}).Out)
                    .simplified();
            QVERIFY2(text.contains(u"Составлен 09.12.2026 14:05"_qs), qPrintable(text));
        }
    }

    // The workbook's "Замечания" sheet lists, under the same captions, the rows `vypiska-cli
    // check` prints for the same folder: its reading, its checks, the organisation's account.
    void cliSheetListsCheckFindings() {
        const QString config = VYPISKA_SOURCE_CONFIG, source = VYPISKA_SAMPLES "/folder";
        bool anyPython = false;
        const QString python = PythonWithOpenpyxl(&anyPython);
        if (!anyPython) QSKIP("python3 is not installed: the workbook is not read back");
        QVERIFY2(!python.isEmpty(), "python3 has no openpyxl (scripts/install-deps installs it)");
        QTemporaryDir dir;
        const ProgramRun check =
            RunProgram(VYPISKA_CLI, {u"check"_qs, u"--config"_qs, config, source});
        const QString workbook = dir.filePath(u"r.xlsx"_qs);
        const ProgramRun made = RunProgram(
            VYPISKA_CLI, {u"register"_qs, u"--config"_qs, config, u"-o"_qs, workbook, source});
        QVERIFY2(made.Exit == 0, qPrintable(made.Err));
        const QString script = uR"(
import sys, openpyxl
for row in openpyxl.load_workbook(sys.argv[1])["Замечания"].iter_rows(values_only=True):
    print("\t".join("" if v is None else str(v) for v in row))
)"_qs;
        const ProgramRun read = RunProgram(python, {u"-c"_qs, script, workbook});
        QVERIFY2(read.Exit == 0, qPrintable(read.Err));
        QCOMPARE(read.Out, check.Out);
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

VYPISKA_TEST_MAIN(TestRegister)
#include "tst_register.moc"
