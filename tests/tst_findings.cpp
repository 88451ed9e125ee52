// The problems list's model: what a reading, an archive, the checks and the settings give as
// findings, and the forms they leave in (a line, clipboard text, CSV, a status text cut to fit).
#include "checks/CheckFindings.h"
#include "checks/SaveReasons.h"
#include "export/TemplateFindings.h"
#include "findings/ExportedMarks.h"
#include "findings/Findings.h"
#include "findings/FindingsModel.h"
#include "reading/ColumnMap.h"
#include "reading/ReadingRun.h"
#include "text/ElideStatus.h"
#include "text/TextCoder.h"

#include "TestFiles.h"
#include "TestZip.h"

#include <QTemporaryDir>
#include <QtTest>
#include "TestMain.h"

#include <sys/stat.h>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(QList<TestZipEntry>)

namespace {

ColumnMap Columns() {
    return {{u"Номер"_s, u"Номер;Num"_s},
            {u"Сумма"_s, u"Сумма;Sum"_s},
            {u"ИНН плательщика"_s, u"ПлательщикИНН;Inn"_s}};
}

QByteArray Doc(const QByteArray& num, const QByteArray& sum, const QByteArray& inn = {}) {
    QByteArray doc = "<D><Num>" + num + "</Num>";
    if (!sum.isNull()) doc += "<Sum>" + sum + "</Sum>";
    if (!inn.isEmpty()) doc += "<Inn>" + inn + "</Inn>";
    return doc + "</D>";
}

// "kind|file|field|value" of each finding, and whether each why holds the words expected.
QStringList Shapes(const FindingList& findings) {
    QStringList shapes;
    for (const Finding& f : findings)
        shapes << QStringList{FindingKindText(f.Kind), f.File, f.Field, f.Value}.join(u'|');
    return shapes;
}

} // namespace

class TestFindings : public QObject {
    Q_OBJECT
    TextCoder m_coder{QLocale(QLocale::Russian, QLocale::Russia)};

private slots:
    // One file of a folder each: what the reading and the checks say of it, as findings. The
    // why never repeats the path, and every file left out has one.
    void fileFindings_data() {
        AddColumns<QByteArray, QStringList>({"bytes", "shapes"});
        QTest::addColumn<QString>("why"); // words of the first finding's why
        QTest::newRow("fine") << Doc("1", "10.00", "7707083893") << QStringList() << "";
        QTest::newRow("no amount")
            << Doc("1", QByteArray()) << QStringList{"пропущен|a.xml||"} << "нет суммы";
        QTest::newRow("amount no number: said once, by the checks")
            << Doc("1", "десять") << QStringList{"сумма|a.xml|Сумма|десять"} << "не число";
        QTest::newRow("wrong ИНН")
            << Doc("1", "5", "7707083895")
            << QStringList{"реквизит|a.xml|ИНН плательщика|7707083895"} << "";
        QTest::newRow("bytes not of the encoding")
            << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") + Doc("1", "5", "\xFF")
            << QStringList{"не прочитан|a.xml||", "реквизит|a.xml|ИНН плательщика|\uFFFD"}
            << "заменены";
    }
    void fileFindings() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, shapes);
        QFETCH(QString, why);
        QTemporaryDir dir;
        WriteFile(dir.filePath("a.xml"), bytes);
        ReadingOutcome outcome = RunReading(dir.path(), Columns(), m_coder);
        const DocumentTable table{Columns(), std::move(outcome.Rows)};
        FindingList all = outcome.Findings;
        for (const Finding& f : CheckFindings(table, CheckDocuments(table)))
            all.push_back(f);
        QCOMPARE(Shapes(all), shapes);
        for (const Finding& f : all) {
            QVERIFY2(!f.Why.contains(dir.path()), qPrintable(f.Why));
            QCOMPARE(f.SourcePath.isEmpty(), table.Rows.empty());
        }
        if (!all.empty()) QVERIFY2(all.front().Why.contains(why), qPrintable(all.front().Why));
        // The kind is the finding's own, never read back from its words: reworded into another
        // kind's, the problems list, its kind filter and its lines keep every kind.
        for (Finding& f : all)
            f.Why = u"пропущен, не прочитан: архив"_s;
        FindingsModel model;
        model.SetFindings(ProblemsList({}, {}, all, {}));
        QCOMPARE(Shapes(model.Findings().List()), shapes);
        for (int r = 0; r < model.rowCount(); ++r) {
            const FindingKind kind = model.At(r).Kind;
            QCOMPARE(model.index(r, 0).data(FindingsModel::KindRole).toInt(), int(kind));
            QVERIFY(FindingLine(model.At(r)).startsWith(FindingKindText(kind) + u':'));
        }
    }

    // An archive's refused entries are "пропущен" under their own names, its damage "архив";
    // its documents are found under the entry's name and keep the row key to jump to.
    void archiveFindings() {
        QTemporaryDir dir;
        const QString zip = dir.filePath("in.zip");
        QVERIFY(WriteTestZip(zip, {{"../up.xml", Doc("1", "5")},
                                   {"link.xml", "a.xml", AE_IFLNK},
                                   {"a.xml", Doc("2", QByteArray())},
                                   {"b.xml", Doc("3", "5", "7707083895")}}));
        ReadingOutcome outcome = RunReading(zip, Columns(), m_coder);
        const DocumentTable table{Columns(), outcome.Rows};
        FindingList all = outcome.Findings;
        for (const Finding& f : CheckFindings(table, CheckDocuments(table)))
            all.push_back(f);
        QCOMPARE(Shapes(all),
                 QStringList({"пропущен|../up.xml||", "пропущен|link.xml||", "пропущен|a.xml||",
                              "реквизит|b.xml|ИНН плательщика|7707083895"}));
        QCOMPARE(all.back().SourcePath, zip + "/b.xml");
        // A file that is no archive at all.
        WriteFile(dir.filePath("bad.zip"), "not a zip");
        const ReadingOutcome bad = RunReading(dir.filePath("bad.zip"), Columns(), m_coder);
        QCOMPARE(Shapes(bad.Findings), QStringList{"архив|bad.zip||"});
    }

    // What an archive or a folder says beyond one document's problems: an entry in a subfolder
    // and a pipe named like a document are left out by their own names; an archive holding one
    // folder is read from it, and says so about the archive.
    void sourceFindings_data() {
        QTest::addColumn<QList<TestZipEntry>>("zip"); // none: a folder of the same files
        QTest::addColumn<QString>("pipe");            // a FIFO made in the folder
        QTest::addColumn<QStringList>("shapes");
        QTest::addColumn<QString>("why"); // words of the first finding's why
        QTest::newRow("entry in a subfolder: outside the reading, no finding")
            << QList<TestZipEntry>{{"a.xml", Doc("1", "5")}, {"sub/b.xml", Doc("2", "5")}} << ""
            << QStringList{} << "";
        QTest::newRow("everything in one folder")
            << QList<TestZipEntry>{{"root/a.xml", Doc("1", "5")}} << ""
            << QStringList{"архив|in.zip||"} << "'root'";
        QTest::newRow("a pipe named as a document")
            << QList<TestZipEntry>{} << "p.xml" << QStringList{"пропущен|p.xml||"} << "";
    }
    void sourceFindings() {
        QFETCH(QList<TestZipEntry>, zip);
        QFETCH(QString, pipe);
        QTemporaryDir dir;
        QString source = dir.filePath("in");
        QVERIFY(QDir().mkpath(source));
        WriteFile(source + "/a.xml", Doc("1", "5"));
        if (!pipe.isEmpty())
            QVERIFY(mkfifo(QFile::encodeName(source + '/' + pipe).constData(), 0600) == 0);
        if (!zip.isEmpty()) QVERIFY(WriteTestZip(source = dir.filePath("in.zip"), zip));
        const ReadingOutcome outcome = RunReading(source, Columns(), m_coder);
        QCOMPARE(outcome.Rows.size(), size_t(1));
        QTEST(Shapes(outcome.Findings), "shapes");
        QFETCH(QString, why);
        const QString first = outcome.Findings.empty() ? QString() : outcome.Findings.front().Why;
        QVERIFY2(first.contains(why) && !first.contains(dir.path()), qPrintable(first));
    }

    // The organisation's account: missing or not 20 digits is a finding of the settings' file,
    // and then no document can be told to be another's; with a valid one, a document of two
    // other accounts is "чужой документ", its payer's account named, while such documents are
    // the few; when they are most, the account is said once instead.
    void organisationAccount_data() {
        QTest::addColumn<QString>("acc");
        QTest::addColumn<int>("own"); // documents of the account, after the other one
        QTest::addColumn<QStringList>("shapes");
        QTest::newRow("none") << "" << 0 << QStringList{"счет организации|CONFIG.INI|ACC|"};
        QTest::newRow("19 digits") << "4070281050000000000" << 0
                                   << QStringList{"счет организации|CONFIG.INI|ACC|"
                                                  "4070281050000000000"};
        QTest::newRow("the payee's") << "40702810500000000001" << 0 << QStringList{};
        QTest::newRow("another's among two of the account")
            << "40702810500000000009" << 2
            << QStringList{"чужой документ|d.xml|Счет плательщика|40702810500000000002"};
        QTest::newRow("another's beside one: not more than half")
            << "40702810500000000009" << 1
            << QStringList{"чужой документ|d.xml|Счет плательщика|40702810500000000002"};
        QTest::newRow("another's alone: the account said once")
            << "40702810500000000009" << 0
            << QStringList{"счет организации|CONFIG.INI|ACC|40702810500000000009"};
    }
    void organisationAccount() {
        QFETCH(QString, acc);
        QFETCH(int, own);
        DocumentTable table{{{u"Сумма"_s, u"Сумма;Sum"_s},
                             {u"Счет плательщика"_s, u"ПлательщикСчет;Payer"_s},
                             {u"Счет получателя"_s, u"ПолучательСчет;Payee"_s}},
                            {}};
        DocumentRow row;
        row.SourcePath = u"/in/d.xml"_s;
        for (const QString& value :
             {u"5.00"_s, u"40702810500000000002"_s, u"40702810500000000001"_s})
            row.Cells.push_back({value, value});
        table.Rows.push_back(row);
        for (int i = 0; i < own; ++i) {
            DocumentRow mine = row;
            mine.SourcePath = u"/in/own%1.xml"_s.arg(i);
            mine.Cells[1] = {acc, acc};
            table.Rows.push_back(mine);
        }
        FindingList found = AccountFindings(acc);
        for (const Finding& f :
             CheckFindings(table, CheckDocuments(table, false, {acc, {}}), u"7707083893"_s))
            found.push_back(f);
        QTEST(Shapes(found), "shapes");
        if (own == 0 && found.size() == 1 && found[0].Value == acc && acc.size() == 20)
            QCOMPARE(found[0].Why, u"Счет организации 40702810500000000009 (ИНН 7707083893) не "
                                   "встречается в 1 из 1 документа: проверьте настройки"_s);
        for (const Finding& f : found)
            QCOMPARE(f.SourcePath, f.Kind == FindingKind::NotOrganisation ? row.SourcePath : "");
    }

    // The one question before saving: every reason a line, the findings of the checked documents
    // counted by kind in the forms Russian takes after a number.
    void saveQuestion_data() {
        QTest::addColumn<bool>("stopped");
        QTest::addColumn<QString>("account"); // the template's account problem
        QTest::addColumn<QString>("checked"); // per document: 1 checked, 0 not
        // "kind|document|how many"; document -1: none, -2: none, a valid account the value
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<QString>("question"); // empty: none asked
        QTest::newRow("nothing to ask") << false << "" << "11" << QStringList{} << "";
        QTest::newRow("a settings finding is no reason")
            << false << ""
            << "11" << QStringList{"настройки|-1|1", "счет организации|-1|1"} << "";
        QTest::newRow("the account the checks found in few documents")
            << false << ""
            << "1" << QStringList{"счет организации|-2|1"} << "не так. Сохранить?";
        QTest::newRow("findings of checked documents, counted")
            << false << ""
            << "110"
            << QStringList{"повтор|0|1", "повтор|1|1",          "реквизит|0|3", "реквизит|1|2",
                           "сумма|1|1",  "чужой документ|0|21", "реквизит|2|7", "пропущен|0|1"}
            << u"Среди отмеченных: 2 повтора, 5 ошибок в реквизитах, 1 неточная сумма, "
               "21 чужой документ. Сохранить?"_s;
        QTest::newRow("every reason, one a line")
            << true << "Не указан счет"
            << "00" << QStringList{"реквизит|1|11"}
            << u"Чтение было остановлено: прочитаны не все документы источника.\nНе указан счет."
               "\nНе отмечено ни одного документа: выписка будет пустой.\n\nСохранить?"_s;
    }
    void saveQuestion() {
        QFETCH(QString, checked);
        QFETCH(QStringList, found);
        DocumentTable table{Columns(), {}};
        for (const QChar mark : checked) {
            table.Rows.emplace_back().SourcePath = u"/in/%1.xml"_s.arg(table.Rows.size());
            table.Rows.back().Checked = mark == u'1';
        }
        FindingList findings;
        for (const QString& entry : std::as_const(found)) {
            const QStringList part = entry.split(u'|');
            const auto kind =
                std::find_if(AllFindingKinds().begin(), AllFindingKinds().end(),
                             [&](FindingKind k) { return FindingKindText(k) == part[0]; });
            const int document = part[1].toInt();
            for (int i = 0; i < part[2].toInt(); ++i)
                findings.push_back(
                    {*kind,
                     {},
                     {},
                     document == -1 ? QString() : u"40702810500000000001"_s,
                     u"не так"_s,
                     document < 0 ? QString() : table.Rows[size_t(document)].SourcePath});
        }
        QFETCH(bool, stopped);
        QFETCH(QString, account);
        const SaveReasons reasons = StatementSaveReasons(table, stopped, account, findings);
        QTEST(reasons.empty() ? QString() : SaveQuestionText(reasons), "question");
    }

    // Each document of a group of duplicates is a finding of its own, naming the others; a
    // large group names three and counts the rest.
    void duplicates() {
        DocumentTable table{Columns(), {}};
        for (int i = 0; i < 6; ++i) {
            DocumentRow row;
            row.SourcePath = u"/in/d%1.xml"_s.arg(i);
            for (const QString& value : {u"7"_s, u"5.00"_s, u"7707083893"_s})
                row.Cells.push_back({value, value});
            table.Rows.push_back(row);
        }
        table.Columns.push_back({u"Дата"_s, u"Дата;Date"_s});
        for (DocumentRow& row : table.Rows)
            row.Cells.push_back({u"2024-03-05"_s, u"2024-03-05"_s});
        const FindingList found = CheckFindings(table, CheckDocuments(table));
        QCOMPARE(found.size(), size_t(6));
        QCOMPARE(Shapes({found[0]}), QStringList{"повтор|d0.xml|Номер|7"});
        QVERIFY2(found[0].Why.contains("'d1.xml', 'd2.xml', 'd3.xml', ещё 2"),
                 qPrintable(found[0].Why));
        QVERIFY(!found[0].Why.contains("d0.xml"));
    }

    // TAG.INI lines and templates that cannot serve are "настройки", the line number as field.
    void settings() {
        QTemporaryDir dir;
        WriteFile(dir.filePath("TAG.INI"), "Номер = Номер;Num\r\nбез знака\r\n");
        WriteFile(dir.filePath("Empty.txt.tpl"), "no blocks here");
        WriteFile(dir.filePath("Good.txt.tpl"), "<document>{Номер}</document>");
        const ColumnMapLoad load = LoadColumnMap(dir.filePath("TAG.INI"));
        const FindingList found =
            ProblemsList(load.Findings, {}, SettingsFolderFindings(dir.path(), m_coder), {});
        QCOMPARE(Shapes(found),
                 QStringList({"настройки|TAG.INI|строка 2|", "настройки|Empty.txt.tpl||"}));
        QVERIFY2(found[1].Why.contains("<document>"), qPrintable(found[1].Why));
        QTemporaryDir none;
        QCOMPARE(SettingsFolderFindings(none.path(), m_coder).size(), size_t(1));
    }

    // The forms a finding leaves in: the command line's line, clipboard text, CSV for a
    // Russian spreadsheet (BOM, ';', quotes, no formulas, CR LF).
    void forms_data() {
        AddColumns<QString, QString>({"value", "line"});
        QTest::addColumn<QString>("text"); // the row under the caption line
        QTest::addColumn<QByteArray>("csv");
        QTest::newRow("plain") << "7707083895"
                               << "реквизит: 'a.xml': ИНН '7707083895': неверно"
                               << "реквизит\ta.xml\tИНН\t7707083895\tневерно"
                               << QByteArray("реквизит;a.xml;ИНН;7707083895;неверно");
        QTest::newRow("line breaks") << "a\tb\nc"
                                     << "реквизит: 'a.xml': ИНН 'a\tb\nc': неверно"
                                     << "реквизит\ta.xml\tИНН\ta b c\tневерно"
                                     << QByteArray("реквизит;a.xml;ИНН;\"a\tb\nc\";неверно");
        QTest::newRow("no value") << ""
                                  << "реквизит: 'a.xml': ИНН: неверно"
                                  << "реквизит\ta.xml\tИНН\t\tневерно"
                                  << QByteArray("реквизит;a.xml;ИНН;;неверно");
    }
    void forms() {
        QFETCH(QString, value);
        // The document's number, date and amount follow "Почему".
        const Finding f{
            FindingKind::Requisite, u"a.xml"_s, u"ИНН"_s, value, u"неверно"_s, {}, u"12"_s,
            u"2024-03-05"_s,        u"5.00"_s};
        QTEST(FindingLine(f), "line");
        QFETCH(QString, text);
        QCOMPARE(FindingsText({f}),
                 u"Вид\tФайл\tРеквизит\tЗначение\tПочему\tНомер\tДата\tСумма\n"_s + text +
                     "\t12\t2024-03-05\t5.00\n");
        QFETCH(QByteArray, csv);
        QCOMPARE(FindingsCsv({f}),
                 "\xEF\xBB\xBFВид;Файл;Реквизит;Значение;Почему;Номер;Дата;Сумма\r\n"_ba + csv +
                     ";12;2024-03-05;5.00\r\n");
    }

    // A status text cut to a width (here one unit a character): the path loses its middle, the
    // words stay whole; a text without a path loses whole words.
    void elide_data() {
        AddColumns<QString, int, QString>({"text", "width", "shown"});
        const QString read = u"Успешно прочитано 3 документа в '/home/buh/docs/march'"_s;
        QTest::newRow("fits") << read << 100 << read;
        QTest::newRow("path cut")
            << read << 44 << u"Успешно прочитано 3 документа в '/home…arch'"_s;
        QTest::newRow("no room for the path")
            << read << 10 << u"Успешно прочитано 3 документа в '…'"_s;
        QTest::newRow("no path")
            << u"Ошибка! Не удалось сохранить файл!"_s << 20 << u"Ошибка! Не удалось …"_s;
    }
    void elide() {
        QFETCH(QString, text);
        QFETCH(int, width);
        QTEST(ElideStatusText(text, width, [](const QString& s) { return int(s.size()); }),
              "shown");
    }

    // No tooltip longer than the screen: the first lines and how many more.
    void shortTip() {
        QStringList lines;
        for (int i = 0; i < 40; ++i)
            lines << QString::number(i);
        const QStringList tip = ShortTip(lines).split('\n');
        QCOMPARE(tip.size(), 15);
        QCOMPARE(tip.back(), u"ещё 26 — в списке замечаний"_s);
        QCOMPARE(ShortTip(lines.mid(0, 15)), lines.mid(0, 15).join('\n'));
    }

    // A year's documents share short hashes: each keeps its own mark, a later save none taken.
    void exportedMarks() {
        QHash<std::uint32_t, QString> seen;
        QString a, b;
        for (int i = 0; b.isEmpty(); ++i) {
            const QString path = u"/in/doc%1.xml"_s.arg(i);
            const QString other = seen.value(std::uint32_t(qHash(path)));
            other.isEmpty() ? void(seen.insert(std::uint32_t(qHash(path)), path))
                            : void((a = other, b = path));
        }
        ExportedMarks marks;
        marks.Add({{a, {u"A"_s, u"a"_s}}});
        marks.Add({{b, {u"B"_s, u"b"_s}}, {a, {u"B"_s, u"b"_s}}});
        QCOMPARE(*marks.Where(a) + *marks.Where(b), u"AB"_s);
        QCOMPARE(marks.size(), 2);
        QVERIFY(!marks.contains(u"/in/other.xml"_s));
    }
};

VYPISKA_TEST_GUILESS_MAIN(TestFindings)
#include "tst_findings.moc"
