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
    // over an older one (or to stdout with "-o -", the status then on stderr), or exits with 1 (no
    // documents), 2 (usage, settings, template) or 3 (output), saying why and keeping the older
    // file whole.
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
        row("-o for --output", "--date 2023-01-15T14:05 -o DIR/o DOCS", 0, "statement.txt");
        row("to stdout", "--date 2023-01-15T14:05 -o - DOCS", 0, "statement.txt");
        row("to stdout, long option",
            "--template Table.csv.tpl --rows 3,1 --date 2023-01-15 "
            "--output - DOCS",
            0, "rows-3-1.csv");
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
        const QByteArray stdoutBytes = p.readAllStandardOutput();
        const QString shown = QString::fromUtf8(stdoutBytes);
        const QByteArray expected = Get(Fixture + "/expected/" + result);
        if (exit == 0 && args.contains(" - ")) {
            QCOMPARE(stdoutBytes, expected);
            QVERIFY2(said.endsWith(u"Документы успешно сохранены в '-'\n"_qs), qPrintable(said));
            QCOMPARE(Get(out), old);
        } else if (exit == 0) {
            QCOMPARE(shown, u"Документы успешно сохранены в '"_qs + out + u"'\n"_qs);
            QCOMPARE(Get(out), expected);
        } else {
            QVERIFY2(said.contains(fill(result)), qPrintable(said));
            QVERIFY(shown.isEmpty());
            QCOMPARE(Get(out), old);
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"o"});
        }
    }
};

QTEST_GUILESS_MAIN(TestCliConvert)
#include "tst_cli_convert.moc"
