#include "export/BuildExportFile.h"
#include "export/SaveNames.h"
#include "settings/INIStorage.h"
#include "text/Cp1251.h"
#include "text/TextCoder.h"

#include <QTemporaryDir>
#include <QtTest>
#include "TestMain.h"

#include "TestFiles.h"

#include <optional>

namespace {
const QLocale Ru(QLocale::Russian, QLocale::Russia);
// 15 January 2023, 14:05.
const double ExportTime = 44941.0 + (14 * 60 + 5) / 1440.0;

DocumentRow Row(bool checked, const QStringList& values) {
    DocumentRow row;
    row.Checked = checked;
    for (const QString& v : values) // the first column exports what is shown
        row.Cells.push_back({row.Cells.empty() ? v : QStringLiteral("shown ") + v, v});
    return row;
}

// Number; Amount; Date; Purpose with a space after ';'; a column that shares a piece.
DocumentTable Table() {
    DocumentTable t;
    for (const QString& tags : {u"Номер;Nomer"_qs, u"Сумма;Summa"_qs, u"Дата;Data"_qs,
                                u"Назначение; Purpose"_qs, u"Other;Nomer"_qs})
        t.Columns.push_back({tags, tags});
    t.Rows = {Row(true, {"1", "1234.50", "2023-01-15", "Purpose: rent", "x"}),
              Row(false, {"2", "5", "2023-01-16", "skipped", "y"}),
              Row(true, {u"№ 3 {Назначение}"_qs, "7,5", "16.01.2023", "{Summa} back", "z"})};
    return t;
}
} // namespace

class TestExport : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    // Exports the table through a Windows-1251 template with this text (none when null) beside
    // the settings. The formats are garbage to begin with: every export must set them anew.
    ExportResult Export(const QString& out, const QString& tpl,
                        const DocumentTable& table = Table(), const ExportProgress& progress = {}) {
        WriteFile(m_dir.filePath("CONFIG.INI"),
                  "[organization]\r\nacc = 40702810900000000001 \r\n");
        QFile::remove(m_dir.filePath("t.txt.tpl"));
        if (!tpl.isNull()) WriteFile(m_dir.filePath("t.txt.tpl"), Cp1251::Encode(tpl));
        FormatSettings formats{"-", "-", "-"};
        return BuildExportFile(out, table, m_dir.filePath("t.txt.tpl"), ExportTime,
                               INIStorage(m_dir.path()), TextCoder(Ru), formats, progress);
    }

private slots:
    // Rows 1 and 3 are checked.
    void blocks_data() {
        AddColumns<QString, QByteArray>({"tpl", "expected"});
        auto row = [](const char* name, const char* tpl, const char* expected) {
            QTest::newRow(name) << tpl << QByteArray(expected);
        };
        row("header fields, any case, only in the header",
            "<header>{MakeDate} {makedate} {MAKETIME} {ACC}</header><document>{MakeDate}{ACC}"
            "</document><footer>{MakeDate}</footer>",
            "15.01.2023 15.01.2023 14:05 40702810900000000001\r\n{MakeDate}{ACC}\r\n"
            "{MakeDate}{ACC}\r\n{MakeDate}");
        row("block tags are lower case", "<Header>H</Header><document>{nomer}</document>",
            "\r\n1\r\n\xb9 3 {\xcd\xe0\xe7\xed\xe0\xf7\xe5\xed\xe8\xe5}\r\n");
        row("missing closing tag ends at the next", "<header>H</x><footer>F</footer>",
            "H\r\n\r\n\r\nF");
        row("checked rows with every piece", "<document>\r\n{Сумма};{Data};{NOMER}\r\n</document>",
            "\r\n1234.50;15.01.2023;1\r\n7.5;16.01.2023;\xb9 3 "
            "{\xcd\xe0\xe7\xed\xe0\xf7\xe5\xed\xe8\xe5}\r\n");
        row("formats block",
            "<formats><date>yyyy-mm-dd</date></formats><header>{MakeDate}</header>",
            "2023-01-15\r\n\r\n\r\n");
        // Values holding placeholders, of a later column or an earlier one, are written as they
        // are: only the template's own text is searched. "Nomer" is filled by the first column.
        row("shared piece, values holding placeholders", "<document>{Nomer}{Other}</document>",
            "\r\n1x\r\n\xb9 3 {\xcd\xe0\xe7\xed\xe0\xf7\xe5\xed\xe8\xe5}z\r\n");
        row("space after ';' belongs to the name", "<document>{Purpose}{ Purpose}</document>",
            "\r\n{Purpose}Purpose: rent\r\n{Purpose}{Summa} back\r\n");
        // Rows 1 and 3: 1234.50 + 7,5 on 15 and 16 January; placeholders in any case, not in
        // the document block.
        row("statement placeholders in header and footer",
            "<formats><decimal_separator>,</decimal_separator></formats>"
            "<header>{Count} {TOTAL} {FirstDate}-{LastDate}</header><document>{Count}</document>"
            "<footer>{count};{Total};{lastdate}</footer>",
            "2 1242,00 15.01.2023-16.01.2023\r\n{Count}\r\n{Count}\r\n2;1242,00;16.01.2023");
        row("label rule asked for",
            "<formats><after_colon>1</after_colon></formats><document>{ Purpose}</document>",
            "\r\nrent\r\n{Summa} back\r\n");
        row("an empty block is a template", "<footer></footer>", "\r\n\r\n\r\n");
        row("nothing after the footer",
            "<header></header><document>d</document><footer>\r\nEnd\r\n\r\n</footer>",
            "\r\nd\r\nd\r\nEnd\r\n");
    }
    void blocks() {
        QFETCH(QString, tpl);
        const QString out = m_dir.filePath("out.txt");
        const ExportResult r = Export(out, tpl);
        QVERIFY2(r.Ok, qPrintable(r.Error));
        QTEST(ReadFile(out), "expected");
    }

    // The summary of the documents written: exact kopecks, dates by day, the export date when
    // no document has one, no total rather than a wrong one; what the organisation's account
    // received and paid.
    void statementSummary_data() {
        QTest::addColumn<QStringList>("documents"); // "amount=date", "=in" / "=out": the account's
        QTest::addColumn<QByteArray>("footer");     // Count;Total;FirstDate;LastDate;In;Out
        auto row = [](const char* name, const QStringList& documents, const char* footer) {
            QTest::newRow(name) << documents << QByteArray(footer);
        };
        row("grouping, time of day dropped", {"1 000,50=2024-03-05T23:59", "2 000=01.03.2024"},
            "2;3000.50;01.03.2024;05.03.2024;0.00;0.00");
        row("no dates: the export date", {"5="}, "1;5.00;15.01.2023;15.01.2023;0.00;0.00");
        row("words after the number: no total", {"50 руб.=2024-03-05=in", "1=2024-03-05=out"},
            "2;;05.03.2024;05.03.2024;;1.00");
        row("income and outgo", {"60000=2024-03-05=in", "37386.64=2024-03-05=out", "5=x"},
            "3;97391.64;05.03.2024;05.03.2024;60000.00;37386.64");
    }
    void statementSummary() {
        QFETCH(QStringList, documents);
        DocumentTable table;
        for (const char* tags : {"Сумма;S", "Дата;D", "ПлательщикСчет;P", "ПолучательСчет;R"})
            table.Columns.push_back({tags, tags});
        const QString acc = u"40702810900000000001"_qs, other = u"40702810938000012345"_qs;
        for (const QString& document : documents) {
            const QStringList parts = document.split(u'=');
            const QString side = parts.value(2);
            table.Rows.push_back(Row(true, {parts[0], parts[1], side == u"out" ? acc : other,
                                            side == u"in" ? acc : other}));
        }
        const QString out = m_dir.filePath("summary.txt");
        QVERIFY(Export(out,
                       "<footer>{Count};{Total};{FirstDate};{LastDate};{Incoming};{Outgoing}"
                       "</footer>",
                       table)
                    .Ok);
        const QByteArray bytes = ReadFile(out);
        QTEST(bytes.mid(bytes.lastIndexOf('\n') + 1), "footer");
    }

    // The dates the money moved on, the document's kind and the money's direction, from the
    // organisation's side: a date the document carries stays, a missing one on the
    // organisation's side is its Дата; the header names each kind present once, in their order.
    void moneyDatesAndKinds_data() {
        QTest::addColumn<QStringList>("documents"); // Дата|ДатаСписано|ДатаПоступило|side|ВидОплаты
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const QStringList& documents, const char* expected) {
            QTest::newRow(name) << documents << QString::fromUtf8(expected);
        };
        row("outgoing debited later: the period ends then", {"04.03.2024|2024-03-06||out|01"},
            "Документ=Платежное поручение\r\n06.03.2024-06.03.2024\r\n"
            "Платежное поручение;06.03.2024;;списание\r\n");
        row("incoming: its date; the payer bank's debit date stays",
            {"05.03.2024|04.03.2024||in|1"},
            "Документ=Платежное поручение\r\n05.03.2024-05.03.2024\r\n"
            "Платежное поручение;04.03.2024;05.03.2024;поступление\r\n");
        row("neither side: dates as carried", {"05.03.2024|||other|06"},
            "Документ=Инкассовое поручение\r\n05.03.2024-05.03.2024\r\n"
            "Инкассовое поручение;;;\r\n");
        row("within the account: both", {"05.03.2024|||both|16"},
            "Документ=Платежный ордер\r\n05.03.2024-05.03.2024\r\n"
            "Платежный ордер;05.03.2024;05.03.2024;списание\r\n");
        row("each kind once, in order; other codes are payment orders",
            {"01.03.2024|||out|17", "02.03.2024|||out|99", "03.03.2024|||out|",
             "04.03.2024|||out| 02"},
            "Документ=Платежное поручение\r\nДокумент=Платежное требование\r\n"
            "Документ=Банковский ордер\r\n01.03.2024-04.03.2024\r\n"
            "Банковский ордер;01.03.2024;;списание\r\n"
            "Платежное поручение;02.03.2024;;списание\r\n"
            "Платежное поручение;03.03.2024;;списание\r\n"
            "Платежное требование;04.03.2024;;списание\r\n");
        row("no document: no kind line", {"!01.03.2024|||out|17"}, "15.01.2023-15.01.2023\r\n");
    }
    void moneyDatesAndKinds() {
        QFETCH(QStringList, documents);
        DocumentTable table;
        for (const char* tags : {"Дата;D", "ДатаСписано;DebitDate", "ДатаПоступило;CreditDate",
                                 "ПлательщикСчет;P", "ПолучательСчет;R", "ВидОплаты;K"})
            table.Columns.push_back({tags, tags});
        const QString acc = u"40702810900000000001"_qs, other = u"40702810938000012345"_qs;
        for (QString document : documents) {
            const bool unchecked = document.startsWith(u'!');
            const QStringList parts = document.remove(u'!').split(u'|');
            const QString side = parts[3];
            const bool pays = side == u"out" || side == u"both";
            const bool paid = side == u"in" || side == u"both";
            table.Rows.push_back(Row(!unchecked, {parts[0], parts[1], parts[2], pays ? acc : other,
                                                  paid ? acc : other, parts[4]}));
        }
        const QString out = m_dir.filePath("kinds.txt");
        QVERIFY(Export(out,
                       u"<header>Документ={DocumentKind}\r\n{FirstDate}-{LastDate}</header>"
                       "<document>{DocumentKind};{OutgoingDate};{IncomingDate};{Direction}"
                       "</document>"_qs,
                       table)
                    .Ok);
        QTEST(Cp1251::Decode(ReadFile(out)), "expected");
    }

    // A fixed count of decimals for the amount column only: padded, never rounded; an amount
    // with more is written as written and named.
    void decimals_data() {
        QTest::addColumn<QString>("formats");
        QTest::addColumn<QString>("amounts"); // one per document, '|' between them
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QStringList>("named"); // the amounts the problems name
        auto row = [](const char* name, const char* formats, const char* amounts, const char* lines,
                      const QStringList& named = {}) {
            QTest::newRow(name) << formats << amounts << QByteArray(lines) << named;
        };
        row("two", "<decimals>2</decimals>", "5|7,5|1 234,5|-3|0.10",
            "5.00;5|7.50;5|1234.50;5|-3.00;5|0.10;5");
        row("two with a comma", "<decimal_separator>,</decimal_separator><decimals> 2 </decimals>",
            "5|12.3", "5,00;5|12,30;5");
        row("more decimals kept and named", "<decimals>2</decimals>", "10.005|1.5000",
            "10.005;5|1.5000;5", {"10.005", "1.5000"});
        row("no number stays text", "<decimals>2</decimals>", "сто|1 234,50 руб.",
            "\xf1\xf2\xee;5|1 234,50 \xf0\xf3\xe1.;5");
        row("none", "<decimals>0</decimals>", "5|7,5", "5;5|7.5;5", {"7,5"});
        row("absent: as written", "", "5|7,5|1.500", "5;5|7.5;5|1.500;5");
        row("not a count: as written", "<decimals>два</decimals>", "5|7,5", "5;5|7.5;5");
    }
    void decimals() {
        QFETCH(QString, formats);
        QFETCH(QString, amounts);
        QFETCH(QStringList, named);
        DocumentTable table;
        for (const char* tags : {"Сумма;S", "Номер;N"})
            table.Columns.push_back({tags, tags});
        for (const QString& amount : amounts.split(u'|'))
            table.Rows.push_back(Row(true, {amount, "5"}));
        const QString out = m_dir.filePath("decimals.txt");
        const ExportResult r =
            Export(out, "<formats>" + formats + "</formats><document>{S};{N}</document>", table);
        QVERIFY2(r.Ok, qPrintable(r.Error));
        QTEST(ReadFile(out).trimmed().replace("\r\n", "|"), "lines");
        QCOMPARE(r.Problems.size(), named.size());
        for (qsizetype i = 0; i < named.size(); ++i)
            QVERIFY2(r.Problems[i].contains(u"'"_qs + named[i] + u"'"_qs),
                     qPrintable(r.Problems[i]));
    }

    // Braces of the block around a filled value never make a placeholder of another column.
    void bracesAroundAValueStay() {
        DocumentTable table;
        table.Columns = {{"N", "N;N"}, {"Q", "Q;Q1X"}};
        table.Rows = {Row(true, {"1", "z"})};
        const QString out = m_dir.filePath("nested.txt");
        QVERIFY(Export(out, "<document>{Q{N}X}</document>", table).Ok);
        QCOMPARE(ReadFile(out), QByteArray("\r\n{Q1X}\r\n"));
    }

    // A block of many "{" is cut at its placeholders in linear time (this took minutes when each
    // "{" looked for its "}" again); the placeholder at the end is still filled.
    void manyBraces_data() {
        QTest::addColumn<QString>("tpl");
        QTest::addColumn<QByteArray>("ends"); // how the statement ends
        const QString braces(400000, u'{');
        QTest::newRow("document, one '}' at the end")
            << "<document>" + braces + u"Nomer}</document>"_qs << QByteArray("{{3\r\n");
        QTest::newRow("document, no '}'")
            << "<document>" + braces + "</document>" << QByteArray("{{{\r\n");
        QTest::newRow("header") << "<header>" + braces + "MakeDate}</header>"
                                << QByteArray("{{15.01.2023\r\n\r\n\r\n");
    }
    void manyBraces() {
        QFETCH(QString, tpl);
        DocumentTable table = Table();
        table.Rows[2].Cells[0] = {"3", "3"};
        const QString out = m_dir.filePath("braces.txt");
        QElapsedTimer clock;
        clock.start();
        QVERIFY(Export(out, tpl, table).Ok);
        QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed())));
        QFETCH(QByteArray, ends);
        QVERIFY(ReadFile(out).endsWith(ends));
    }

    // Each failure is one line naming the path; the older statement stays whole, alone. A write
    // the disk refuses: largeStatementWrittenWholeOrNotAtAll.
    void failures_data() {
        QTest::addColumn<QString>("out"); // in a fresh folder
        QTest::addColumn<QString>("tpl"); // null: none
        QTest::newRow("missing folder")
            << "no/such/out.txt" << u"<document>{Назначение}</document>"_qs;
        QTest::newRow("missing template") << "out.txt" << QString();
        QTest::newRow("template without a block")
            << "out.txt" << u"<formats></formats>{Назначение}<document>"_qs;
    }
    void failures() {
        QFETCH(QString, out);
        QFETCH(QString, tpl);
        QTemporaryDir dir;
        const QByteArray old = "old statement\r\n";
        WriteFile(dir.filePath("out.txt"), old);
        const ExportResult r = Export(out = dir.filePath(out), tpl);
        QVERIFY(!r.Ok);
        const bool output = out.endsWith(u"such/out.txt");
        QCOMPARE(r.Failure, output ? ExportFailure::Output : ExportFailure::Template);
        const QString path = output ? out : m_dir.filePath("t.txt.tpl");
        QVERIFY2(r.Error.contains(u'\'' + QDir::toNativeSeparators(path) + u'\''),
                 qPrintable(r.Error));
        QVERIFY(!r.Error.contains(u'\n'));
        QCOMPARE(ReadFile(dir.filePath("out.txt")), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"out.txt"});
    }

    // A statement of many pieces is written whole and in order; when the disk refuses a later
    // piece, or the user stops it midway, the statement written before stays as it was and
    // nothing else is left behind.
    void largeStatementWrittenWholeOrNotAtAll() {
        DocumentTable table = Table();
        QByteArray expected = "H\r\n";
        table.Rows.clear();
        for (int i = 0; i < 6000; ++i) {
            const QString n = QString::number(i);
            table.Rows.push_back(Row(true, {n, n + u".5"_qs, "", u"за товар "_qs + n, ""}));
            expected += Cp1251::Encode(n + u";"_qs + n + u".5;за товар "_qs + n + u"\r\n"_qs);
        }
        expected += "F";
        const QString tpl = u"<header>H</header><document>{Номер};{Сумма};{Назначение}</document>"
                            "<footer>F</footer>"_qs;
        QTemporaryDir dir;
        const QString out = dir.filePath("big.txt");
        QVERIFY(Export(out, tpl, table).Ok);
        QCOMPARE(ReadFile(out), expected);

        table.Rows.front().Cells[3] = {{}, u"другой"_qs};
        std::optional<FileSizeLimit> limit(rlim_t(expected.size() / 2));
        const ExportResult r = Export(out, tpl, table);
        limit.reset();
        QCOMPARE(r.Failure, ExportFailure::Output);
        QCOMPARE(ReadFile(out), expected);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"big.txt"});
        int asked = 0;
        const auto stopAtThird = [&](qint64, qint64) { return ++asked < 3; };
        QCOMPARE(Export(out, tpl, table, stopAtThird).Failure, ExportFailure::Stopped);
        QCOMPARE(asked, 3);
        QCOMPARE(ReadFile(out), expected);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"big.txt"});
    }

    // The save dialog's filter, one entry per template; the name it suggests for the source (the
    // first file): the tail of its name after the last '_' (else its whole name) with the
    // extension of the first type, the one shown; and a typed name once the last type is picked.
    void saveDialog_data() {
        AddColumns<QString, QString, QString, QString, QString>(
            {"files", "filter", "suggested", "typed", "switched"});
        auto row = [](const char* name, const char* files, const char* filter, const char* out,
                      const char* typed, const char* switched) {
            QTest::newRow(name) << files << filter << out << typed << switched;
        };
        row("first of two templates, any case",
            "pay_20240101_0042.xml,Table.csv.TPL,Statement.txt.tpl",
            "Statement (*.txt)|Table (*.csv)", "0042.txt", "/a.b/x.TXT", "/a.b/x.csv");
        row("template without an inner extension", "doc.xml,Plain.tpl", "Plain (*.)", "doc",
            "doc", "doc");
        row("nothing after '_': the whole name, never a bare extension",
            "doc_.xml,Выписка 1С.txt.tpl,notes.txt,a.tpl.bak", "Выписка 1С (*.txt)",
            "doc_.txt", "мой отчёт", "мой отчёт.txt");
        row("another ending typed stays", "a_b.xml,T.csv.tpl,S.txt.tpl",
            "S (*.txt)|T (*.csv)", "b.txt", "b.pdf", "b.pdf");
        row("no template", "x.xml", "", "x", "x", "x");
    }
    void saveDialog() {
        QFETCH(QString, files);
        QTemporaryDir dir;
        for (const QString& name : files.split(u','))
            WriteFile(dir.filePath(name), {});
        QVERIFY(QDir(dir.path()).mkdir("folder.txt.tpl")); // a folder is not a template
        const TextCoder coder(Ru);
        const std::vector<TemplateInfo> list = TemplateList(dir.path(), coder);
        QTEST(SaveDialogNameFilters(list).join(u'|'), "filter");
        const QString first = list.empty() ? QString() : list.front().Extension;
        QTEST(SuggestedFileName(dir.filePath(files.section(u',', 0, 0)), first, coder),
              "suggested");
        QFETCH(QString, typed);
        QTEST(NameForFileType(typed, list, list.empty() ? QString() : list.back().Extension),
              "switched");
    }
};

VYPISKA_TEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
