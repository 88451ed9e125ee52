#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString Fixture = QStringLiteral(VYPISKA_TEST_DATA "/export");

struct Run {
    int Exit = -1;
    QString Out;
    QString Err;
};

// Runs the command line; "OUT" in an argument stands for the output path.
Run Convert(QStringList args, const QString& out, const QString& wrapper = {}) {
    for (QString& a : args)
        a.replace("OUT", out);
    args = QStringList{"convert", "--config", Fixture + "/config", "--locale", "ru_RU"} + args;
    QProcess p;
    if (wrapper.isEmpty())
        p.start(VYPISKA_CLI, args);
    else
        p.start("bash", QStringList{"-c", wrapper, VYPISKA_CLI} + args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QByteArray Get(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void Put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
} // namespace

class TestCliConvert : public QObject {
    Q_OBJECT
private slots:
    void statements_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expected");
        const QString docs = Fixture + "/docs";
        QTest::newRow("first template, every row")
            << QStringList{"--date", "2023-01-15T14:05", "--output", "OUT", docs}
            << "statement.txt";
        QTest::newRow("template by name, rows in any order") << QStringList{"--date=2023-01-15",
                                                                            "--template",
                                                                            "Table.csv.tpl",
                                                                            "--rows",
                                                                            "3,1",
                                                                            "--output",
                                                                            "OUT",
                                                                            docs}
                                                             << "rows-3-1.csv";
        QTest::newRow("template by path")
            << QStringList{"--template", Fixture + "/config/Table.csv.tpl",
                           "--rows",     "2",
                           "--date",     "2023-01-15T23:59:59",
                           "--output",   "OUT",
                           docs}
            << "row-2.csv";
    }
    void statements() {
        QFETCH(QStringList, args);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString out = dir.filePath("out");
        Put(out, "an older statement that is replaced");
        const Run r = Convert(args, out);
        QCOMPARE(r.Exit, 0);
        QCOMPARE(r.Out, u"Документы успешно сохранены в '"_qs + out + u"'\n"_qs);
        QCOMPARE(Get(out), Get(Fixture + "/expected/" + expected));
    }

    // Usage and configuration errors exit with 2, a source without documents with 1, an output
    // that cannot be written with 3; each says why on stderr and writes nothing.
    void failures_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("says");
        const QString docs = Fixture + "/docs";
        QTest::newRow("no output") << QStringList{docs} << 2 << "--output";
        QTest::newRow("bad date") << QStringList{"--date", "15.01.2023", "--output", "OUT", docs}
                                  << 2 << "15.01.2023";
        QTest::newRow("row out of range")
            << QStringList{"--rows", "1,4", "--output", "OUT", docs} << 2 << "row 4";
        QTest::newRow("malformed rows")
            << QStringList{"--rows", "1,,2", "--output", "OUT", docs} << 2 << "--rows";
        QTest::newRow("missing template")
            << QStringList{"--template", "None.tpl", "--output", "OUT", docs} << 2 << "None.tpl";
        QTest::newRow("no documents")
            << QStringList{"--output", "OUT", Fixture + "/config"} << 1 << "";
        QTest::newRow("output is a folder")
            << QStringList{"--output", Fixture, docs} << 3 << "folder, not a file";
        QTest::newRow("output folder missing")
            << QStringList{"--output", "OUT/x/y.txt", docs} << 3 << "does not exist";
    }
    void failures() {
        QFETCH(QStringList, args);
        QFETCH(int, exit);
        QFETCH(QString, says);
        QTemporaryDir dir;
        const QString out = dir.filePath("out.txt");
        const Run r = Convert(args, out);
        QCOMPARE(r.Exit, exit);
        QVERIFY2(r.Err.contains(says), qPrintable(r.Err));
        QVERIFY(r.Out.isEmpty());
        QVERIFY(!QFile::exists(out));
    }

    void noTemplateInConfig() {
        QTemporaryDir dir;
        QVERIFY(QFile::copy(Fixture + "/config/TAG.INI", dir.filePath("TAG.INI")));
        QProcess p;
        p.start(VYPISKA_CLI, {"convert", "--config", dir.path(), "--output", dir.filePath("o"),
                              Fixture + "/docs"});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains("no template"));
    }

    // The process may write no file beyond 300 bytes: the statement fails part-way and the
    // older file stays as it was.
    void writeFailsPartWay() {
        if (QStandardPaths::findExecutable("prlimit").isEmpty()) QSKIP("prlimit is not installed");
        QTemporaryDir dir;
        const QString out = dir.filePath("out.txt");
        const QByteArray old = "an older statement\r\n";
        Put(out, old);
        const Run r = Convert({"--date", "2023-01-15", "--output", out, Fixture + "/docs"}, out,
                              "trap '' XFSZ; exec prlimit --fsize=300 \"$0\" \"$@\"");
        QCOMPARE(r.Exit, 3);
        QVERIFY2(r.Err.contains(out), qPrintable(r.Err));
        QCOMPARE(r.Err.count(u'\n'), 2); // the reading outcome, then the one error line
        QCOMPARE(Get(out), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"out.txt"});
    }
};

QTEST_GUILESS_MAIN(TestCliConvert)
#include "tst_cli_convert.moc"
