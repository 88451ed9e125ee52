#include <QTemporaryDir>
#include <QtTest>
#include "TestMain.h"

#include "TestFiles.h"
#include "TestZip.h"

#include <unistd.h>

namespace {
const QString Fixture = QStringLiteral(VYPISKA_TEST_DATA "/export");

// A convert of the fixture's documents with its first template into the output.
QStringList Convert(const QString& output) {
    return {"convert", "--config",         Fixture + "/config", "--locale", "ru_RU",
            "--date",  "2023-01-15T14:05", "--output",          output,     Fixture + "/docs"};
}
} // namespace

class TestCliConvert : public QObject {
    Q_OBJECT
private slots:
    // The samples' statement for the samples' organisation, byte for byte: the single tax
    // payment's fields, the dates the money moved on, each kind of document once in the header.
    void sampleStatement() {
        QTemporaryDir dir;
        for (const QString& name : QDir(VYPISKA_SOURCE_CONFIG).entryList(QDir::Files))
            WriteFile(dir.filePath("CONFIG/" + name), ReadFile(VYPISKA_SOURCE_CONFIG "/" + name));
        WriteFile(dir.filePath("CONFIG/CONFIG.INI"),
                  "[Organization]\r\nACC=40702810600000012345\r\nINN=7714982130\r\n");
        const QString out = dir.filePath("statement.txt");
        const ProgramRun run = RunProgram(
            VYPISKA_CLI, {"convert", "--config", dir.filePath("CONFIG"), "--template",
                          u"Выписка 1С.txt.tpl"_qs, "--date", "2024-03-29T10:00", "--output", out,
                          VYPISKA_SAMPLES "/folder"});
        QCOMPARE(run.Exit, 0);
        QCOMPARE(ReadFile(out), ReadFile(VYPISKA_TEST_DATA "/samples/statement-1c.txt"));
    }

    // The arguments after "convert --config CONFIG --locale ru_RU": DIR stands for the folder of
    // the output "o", DOCS and CONFIG for the fixture's folders. A run writes the expected file
    // over an older one (or to stdout with "-o -", the status then on stderr), or exits with 1 (no
    // documents), 2 (usage, settings, template) or 3 (output), saying why and keeping the older
    // file whole.
    void convert_data() {
        AddColumns<QString, int>({"args", "exit"});
        QTest::addColumn<QString>("result"); // an expected file, or what stderr says
        auto row = [](const char* name, const char* args, int exit, const char* result) {
            QTest::newRow(name) << args << exit << result;
        };
        row("first template, every row", "--date 2023-01-15T14:05 --output DIR/o DOCS", 0,
            "statement.txt");
        row("template by name, rows in any order",
            "--date=2023-01-15 --template Table.csv.tpl --rows 3,1 --output DIR/o DOCS", 0,
            "rows-3-1.csv");
        row("template by display name, any case",
            "--date=2023-01-15 --template table --rows 3,1 --output DIR/o DOCS", 0, "rows-3-1.csv");
        row("-o for --output", "--date 2023-01-15T14:05 -o DIR/o DOCS", 0, "statement.txt");
        row("to stdout", "--date 2023-01-15T14:05 --output - DOCS", 0, "statement.txt");
        row("template by path",
            "--template CONFIG/Table.csv.tpl --rows 2 --date 2023-01-15T23:59:59 --output DIR/o "
            "DOCS",
            0, "row-2.csv");
        row("bad date", "--date 15.01.2023 --output DIR/o DOCS", 2, "15.01.2023");
        row("row out of range", "--rows 1,4 --output DIR/o DOCS", 2, "row 4");
        row("malformed rows", "--rows 1,,2 --output DIR/o DOCS", 2, "--rows");
        row("missing template", "--template None.tpl --output DIR/o DOCS", 2, "CONFIG/None.tpl");
        row("a file that is no template", "--template CONFIG/TAG.INI --output DIR/o DOCS", 2,
            "CONFIG/TAG.INI");
        row("no template in the settings", "--config DIR --output DIR/o DOCS", 2, "'DIR'");
        row("no documents", "--output DIR/o CONFIG", 1, "");
        row("output is a folder", "--output DIR DOCS", 3, "'DIR'");
    }
    void convert() {
        QFETCH(QString, args);
        QFETCH(int, exit);
        QFETCH(QString, result);
        QTemporaryDir dir;
        const QString out = dir.filePath("o");
        const QByteArray old = "an older statement\r\n";
        WriteFile(out, old);
        auto fill = [&](QString text) {
            text.replace("DOCS", Fixture + "/docs").replace("CONFIG", Fixture + "/config");
            return text.replace("DIR", dir.path()); // last: the folder's name is random
        };
        const ProgramRun run = RunProgram(
            VYPISKA_CLI, fill("convert --config CONFIG --locale ru_RU " + args).split(u' '));
        QCOMPARE(run.Exit, exit);
        const QByteArray expected = ReadFile(Fixture + "/expected/" + result);
        if (exit == 0 && args.contains(" - ")) {
            QCOMPARE(run.Out, expected);
            QVERIFY2(run.Err.contains(u"\nДокументы успешно сохранены в стандартный вывод\n"_qs),
                     qPrintable(run.Err));
            QCOMPARE(ReadFile(out), old);
        } else if (exit == 0) {
            QCOMPARE(QString::fromUtf8(run.Out),
                     u"Документы успешно сохранены в '"_qs + out + u"'\n"_qs);
            QCOMPARE(ReadFile(out), expected);
        } else {
            QVERIFY2(run.Err.contains(fill(result)), qPrintable(run.Err));
            QVERIFY(run.Out.isEmpty());
            QCOMPARE(ReadFile(out), old);
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"o"});
        }
    }

    // The templates --template takes, with the type of file each makes.
    void templates() {
        const ProgramRun run =
            RunProgram(VYPISKA_CLI, {"templates", "--config", Fixture + "/config"});
        QCOMPARE(run.Exit, 0);
        QCOMPARE(QString::fromUtf8(run.Out), u"Шаблон\tТип файла\tФайл\n"
                                             u"Statement\t*.txt\tStatement.txt.tpl\n"
                                             u"Table\t*.csv\tTable.csv.tpl\n"_qs);
        QCOMPARE(RunProgram(VYPISKA_CLI, {"templates", "--config", "/nonexistent"}).Exit, 2);
    }

    // A statement never replaces what it is made from, whatever the spelling of the path: the
    // source itself, a document read or left out, a link or a hard link to one (exit 2, nothing
    // written).
    // DIR stands for a fresh folder with the fixture's documents in DIR/docs and DIR/src.zip.
    void sourceNeverReplaced_data() {
        AddColumns<QString, QString>({"output", "source"});
        QTest::addColumn<QString>("named"); // the source file the refusal names
        const auto row = [](const char* name, const char* output, const char* source,
                            const char* named) {
            QTest::newRow(name) << output << source << named;
        };
        row("the archive", "DIR/src.zip", "DIR/src.zip", "DIR/src.zip");
        row("a document of the folder", "DIR/docs/b.xml", "DIR/docs", "DIR/docs/b.xml");
        row("a link to a document", "DIR/link", "DIR/docs", "DIR/docs/a.xml");
        row("a hard link to the archive", "DIR/hard", "DIR/src.zip", "DIR/src.zip");
        row("the one document, spelt another way", "DIR/docs/../docs/c.xml", "DIR/docs/c.xml",
            "DIR/docs/c.xml");
        row("a document left out", "DIR/docs/d.xml", "DIR/docs", "DIR/docs/d.xml");
        row("a link to a document left out", "DIR/left", "DIR/docs", "DIR/docs/d.xml");
    }
    void sourceNeverReplaced() {
        QFETCH(QString, output);
        QFETCH(QString, source);
        QFETCH(QString, named);
        QTemporaryDir dir;
        const auto fill = [&](QString text) { return text.replace("DIR", dir.path()); };
        QList<TestZipEntry> entries;
        for (const char* name : {"a.xml", "b.xml", "c.xml"}) {
            const QByteArray bytes = ReadFile(Fixture + "/docs/" + name);
            WriteFile(dir.filePath(QStringLiteral("docs/") + name), bytes);
            entries.push_back({name, bytes});
        }
        WriteFile(dir.filePath("docs/d.xml"), "<Doc><Num>4</Num></Doc>"); // no amount: left out
        QVERIFY(WriteTestZip(dir.filePath("src.zip"), entries));
        QVERIFY(QFile::link(dir.filePath("docs/a.xml"), dir.filePath("link")));
        QVERIFY(QFile::link(dir.filePath("docs/d.xml"), dir.filePath("left")));
        QCOMPARE(link(QFile::encodeName(dir.filePath("src.zip")).constData(),
                      QFile::encodeName(dir.filePath("hard")).constData()),
                 0);
        const QStringList files{"docs/a.xml", "docs/b.xml", "docs/c.xml", "docs/d.xml", "src.zip"};
        QList<QByteArray> before;
        for (const QString& f : files)
            before << ReadFile(dir.filePath(f));

        QStringList args = Convert(fill(output));
        args.last() = fill(source);
        const ProgramRun run = RunProgram(VYPISKA_CLI, args);
        QCOMPARE(run.Exit, 2);
        QVERIFY2(
            run.Err.contains(u"Выписка не может заменить исходный файл '"_qs + fill(named) + u'\''),
            qPrintable(run.Err));
        for (qsizetype i = 0; i < files.size(); ++i)
            QCOMPARE(ReadFile(dir.filePath(files[i])), before[i]);
        QVERIFY(QFileInfo(dir.filePath("link")).isSymLink());
    }

    // After writing, stderr carries the totals and the checks of the documents written only
    // (data/written: a.xml and b.xml paid to the account, c.xml between two other accounts);
    // with the organisation's account, what it received and paid and the documents not its own;
    // without one, that the statement's РасчСчет is empty, which --strict counts as a problem.
    void checksOfTheDocumentsWritten_data() {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("acc");  // ACC of CONFIG.INI
        QTest::addColumn<QString>("tpl");  // empty: the first, which writes {ACC}
        QTest::addColumn<QString>("said"); // after the reading's status line
        const QString twins = u"повтор: 'a.xml': Номер '5': те же номер, дата, сумма, счета и "
                              "ИНН плательщика, что в 'b.xml'\nповтор: 'b.xml': Номер '5': те же "
                              "номер, дата, сумма, счета и ИНН плательщика, что в 'a.xml'\n"_qs;
        const QString inn = u"реквизит: 'c.xml': ИНН плательщика '7707083894': неверное "
                            "контрольное число ИНН\n"_qs;
        const QString noAcc = u"vypiska-cli: Не указан расчетный счет организации: в выписке поле "
                              "РасчСчет будет пустым (ACC в 'DIR/CONFIG.INI')\n"_qs;
        QTest::newRow("all, no account")
            << "1,2,3" << "" << "" << noAcc + u"Отмечено: 3 из 3 · 20,40 ₽\n"_qs + twins + inn;
        QTest::newRow("one of the twins left out, no account")
            << "1,3" << "" << "" << noAcc + u"Отмечено: 2 из 3 · 10,30 ₽\n"_qs + inn;
        QTest::newRow("no account, a template without it")
            << "1,3" << "" << u"Реестр.csv.tpl"_qs << u"Отмечено: 2 из 3 · 10,30 ₽\n"_qs + inn;
        QTest::newRow("the account's income and outgo, a document not its own")
            << "1,3" << "40702810500000000001" << ""
            << u"Отмечено: 2 из 3 · 10,30 ₽ · поступило 10,10 · списано 0,00\n"_qs + inn +
                   u"чужой документ: 'c.xml': Счет плательщика '40702810500000000002': документ "
                   "не относится к счету организации 40702810500000000001\n"_qs;
    }
    void checksOfTheDocumentsWritten() {
        QFETCH(QString, rows);
        QFETCH(QString, acc);
        QFETCH(QString, tpl);
        QTemporaryDir dir;
        const QString config = dir.filePath("CONFIG");
        QVERIFY(QDir().mkpath(config));
        for (const QString& name : QDir(VYPISKA_SOURCE_CONFIG).entryList(QDir::Files))
            QVERIFY(QFile::copy(VYPISKA_SOURCE_CONFIG "/" + name, config + '/' + name));
        if (!acc.isEmpty())
            WriteFile(config + "/CONFIG.INI", "[Organization]\r\nACC=" + acc.toLatin1() + "\r\n");
        QStringList args{"convert",
                         "--config",
                         config,
                         "--rows",
                         rows,
                         "--output",
                         dir.filePath("out.txt"),
                         VYPISKA_TEST_DATA "/written"};
        if (!tpl.isEmpty()) args << "--template" << tpl;
        const ProgramRun run = RunProgram(VYPISKA_CLI, args);
        QCOMPARE(run.Exit, 0);
        QFETCH(QString, said);
        QCOMPARE(run.Err.mid(run.Err.indexOf(u'\n') + 1), said.replace("DIR", config));
        // --strict: a missing account is a problem met, the statement written all the same.
        const ProgramRun strict =
            RunProgram(VYPISKA_CLI, QStringList{args[0], "--strict"} + args.mid(1));
        QCOMPARE(strict.Exit, said.contains(u"РасчСчет"_qs) ? 4 : 0);
        QVERIFY(QFileInfo::exists(dir.filePath("out.txt")));
    }

    // The same documents and template give the same bytes whatever the machine's locale, set by
    // the environment or by --locale; only the list's display follows it. The corpus mixes
    // decimal commas and points, blank and point groups, both marks, line breaks, braces, colons,
    // percent signs, Windows-1251 with and without a declaration, a document without an amount
    // and one whose amount is words.
    void sameStatementUnderEveryLocale_data() {
        QTest::addColumn<QString>("environment"); // LC_ALL
        QTest::addColumn<QString>("option");      // --locale, when given
        QTest::addColumn<QString>("locale");      // what the list's amounts follow, when known
        for (const char* name : {"ru_RU", "uk_UA", "en_US", "de_DE", "fr_FR", "C"}) {
            // The system's own C locale groups digits, Qt's does not: not compared.
            QTest::addRow("LC_ALL=%s.UTF-8", name)
                << name + u".UTF-8"_qs << "" << (qstrcmp(name, "C") == 0 ? "" : name);
            QTest::addRow("--locale %s", name) << "C.UTF-8" << name << name;
        }
    }
    void sameStatementUnderEveryLocale() {
        QFETCH(QString, environment);
        QFETCH(QString, option);
        QFETCH(QString, locale);
        const QString data = VYPISKA_TEST_DATA "/locales";
        QTemporaryDir dir;
        auto run = [&](const QStringList& args) {
            QStringList words{args.front(), "--config", VYPISKA_SOURCE_CONFIG};
            if (!option.isEmpty()) words << "--locale" << option;
            return RunProgram(
                VYPISKA_CLI, words + args.mid(1) + QStringList{data + "/docs"}, [&](QProcess& p) {
                    p.setProcessEnvironment(
                        EnvironmentWith({{"LC_ALL", environment}, {"LANG", environment}}));
                });
        };
        for (const auto& [tpl, expected] : {std::pair{u"Выписка 1С.txt.tpl"_qs, "statement-1c.txt"},
                                            {u"Реестр.csv.tpl"_qs, "register.csv"}}) {
            const QString out = dir.filePath(expected);
            const ProgramRun r =
                run({"convert", "--template", tpl, "--date", "2024-03-15T09:30", "--output", out});
            QCOMPARE(r.Exit, 0);
            QCOMPARE(ReadFile(out), ReadFile(data + "/expected/" + expected));
            // Every file left out or doubtful is named, with why.
            for (const QString& named : {u"пропущен: 'h-no-amount.xml': в нем нет суммы"_qs,
                                         u"сумма: 'i-words.xml': Сумма 'по счету'"_qs,
                                         u"g-undeclared-1251.xml': кодировка не объявлена"_qs})
                QVERIFY2(r.Err.contains(named), qPrintable(r.Err));
        }
        // The list shows the amount as the locale writes currency.
        if (locale.isEmpty()) return;
        const QString shown = QLocale(locale).toCurrencyString(2500.75);
        QVERIFY2(QString::fromUtf8(run({"list"}).Out).contains(u'\t' + shown + u'\t'),
                 qPrintable(shown));
    }
};

VYPISKA_TEST_GUILESS_MAIN(TestCliConvert)
#include "tst_cli_convert.moc"
