#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString Fixture = QStringLiteral(VYPISKA_TEST_DATA "/export");

QByteArray Get(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
} // namespace

class TestCliConvert : public QObject {
    Q_OBJECT
private slots:
    // The arguments after "convert --config CONFIG --locale ru_RU": DIR stands for the folder of
    // the output "o", DOCS and CONFIG for the fixture's folders. A run writes the expected file
    // over an older one, or exits with 1 (no documents), 2 (usage, settings, template) or 3
    // (output), saying why and keeping the older file whole.
    void convert_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("result"); // an expected file, or what stderr says
        auto row = [](const char* name, const char* args, int exit, const char* result) {
            QTest::newRow(name) << args << exit << result;
        };
        row("first template, every row", "--date 2023-01-15T14:05 --output DIR/o DOCS", 0,
            "statement.txt");
        row("template by name, rows in any order",
            "--date=2023-01-15 --template Table.csv.tpl --rows 3,1 --output DIR/o DOCS", 0,
            "rows-3-1.csv");
        row("template by path",
            "--template CONFIG/Table.csv.tpl --rows 2 --date 2023-01-15T23:59:59 --output DIR/o "
            "DOCS",
            0, "row-2.csv");
        row("no output", "DOCS", 2, "--output");
        row("bad date", "--date 15.01.2023 --output DIR/o DOCS", 2, "15.01.2023");
        row("row out of range", "--rows 1,4 --output DIR/o DOCS", 2, "row 4");
        row("malformed rows", "--rows 1,,2 --output DIR/o DOCS", 2, "--rows");
        row("missing template", "--template None.tpl --output DIR/o DOCS", 2, "CONFIG/None.tpl");
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
        QFile f(out);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(old) == old.size());
        f.close();
        auto fill = [&](QString text) {
            text.replace("DOCS", Fixture + "/docs").replace("CONFIG", Fixture + "/config");
            return text.replace("DIR", dir.path()); // last: the folder's name is random
        };
        QStringList words = fill("convert --config CONFIG --locale ru_RU " + args).split(u' ');
        QProcess p;
        p.start(VYPISKA_CLI, words);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), exit);
        const QString said = QString::fromUtf8(p.readAllStandardError());
        const QString shown = QString::fromUtf8(p.readAllStandardOutput());
        if (exit == 0) {
            QCOMPARE(shown, u"Документы успешно сохранены в '"_qs + out + u"'\n"_qs);
            QCOMPARE(Get(out), Get(Fixture + "/expected/" + result));
        } else {
            QVERIFY2(said.contains(fill(result)), qPrintable(said));
            QVERIFY(shown.isEmpty());
            QCOMPARE(Get(out), old);
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"o"});
        }
    }

    // After writing, stderr carries the totals and the checks of the documents written only.
    void checksOfTheDocumentsWritten_data() {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("said"); // after the reading's status line
        QTest::newRow("all")
            << "1,2,3"
            << "Отмечено: 3 из 3 · 20,40 ₽\n'a.xml' и 'b.xml': повтор — "
               "одинаковые номер, дата, сумма и ИНН плательщика\n'c.xml': ИНН "
               "плательщика '7707083894': неверное контрольное число ИНН\n";
        QTest::newRow("one of the twins left out") << "1,3"
                                                   << "Отмечено: 2 из 3 · 10,30 ₽\n'c.xml': ИНН "
                                                      "плательщика '7707083894': неверное "
                                                      "контрольное число ИНН\n";
    }
    void checksOfTheDocumentsWritten() {
        QFETCH(QString, rows);
        QTemporaryDir dir;
        for (const auto& [name, fields] : {std::pair{"a.xml", "5;10.10;7707083893"},
                                           {"b.xml", "5;10.10;7707083893"},
                                           {"c.xml", "6;0.20;7707083894"}}) {
            const QStringList f = QString::fromUtf8(fields).split(u';');
            QFile doc(dir.filePath(name));
            QVERIFY(doc.open(QIODevice::WriteOnly));
            doc.write(
                QStringLiteral("<Doc><Nomer>%1</Nomer><Data>2024-03-05</Data><Summa>%2</Summa>"
                               "<PlatelshikINN>%3</PlatelshikINN></Doc>")
                    .arg(f[0], f[1], f[2])
                    .toUtf8());
        }
        QProcess p;
        p.start(VYPISKA_CLI, {"convert", "--config", VYPISKA_SOURCE_CONFIG, "--rows", rows,
                              "--output", dir.filePath("out.txt"), dir.path()});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        const QString said = QString::fromUtf8(p.readAllStandardError());
        QTEST(said.mid(said.indexOf(u'\n') + 1), "said");
    }
};

QTEST_GUILESS_MAIN(TestCliConvert)
#include "tst_cli_convert.moc"
