// vypiska-cli list, run as a user runs it.
#include <QProcess>
#include <QtTest>

namespace {
const QString Data = QStringLiteral(VYPISKA_TEST_DATA "/reading");

struct Run {
    int Exit = -1;
    QString Out;
    QString Err;
};

Run List(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(VYPISKA_CLI), QStringList{QStringLiteral("list")} + args);
    Run run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) return run;
    run.Exit = process.exitCode();
    run.Out = QString::fromUtf8(process.readAllStandardOutput());
    run.Err = QString::fromUtf8(process.readAllStandardError());
    return run;
}
} // namespace

class TestCliList : public QObject {
    Q_OBJECT

private slots:
    void ExactOutput() {
        const QString docs = Data + QStringLiteral("/cli/docs");
        const Run run = List({"--config", Data + "/cli/CONFIG", "--locale", "ru_RU", docs});
        QCOMPARE(run.Exit, 0);
        QCOMPARE(run.Out, QStringLiteral("Номер\tДата\tСумма\tНазначение\n"
                                         "1\tnot a date\t1\u00A0234,50\u00A0₽\tПлата\n"
                                         "2\t05.03.2024\t12,50\u00A0₽\t"
                                         "Line one\\r\\nTab\\there, back\\\\slash\n"));
        QCOMPARE(run.Err, QStringLiteral("Успешно прочитано 2 документа в '%1'\n").arg(docs));
    }

    void ExitStatus_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("stderrHolds");
        QTest::addColumn<int>("stdoutLines");

        const QString config = Data + QStringLiteral("/cli/CONFIG");
        const QString shipped = QStringLiteral(VYPISKA_SOURCE_CONFIG);
        QTest::newRow("sample folder")
            << QStringList{"--config", shipped, QStringLiteral(VYPISKA_SAMPLES "/folder")} << 0
            << "Успешно прочитано 11 документов" << 12;
        QTest::newRow("sample archive, option with '='")
            << QStringList{"--config=" + shipped, QStringLiteral(VYPISKA_SAMPLES "/documents.zip")}
            << 0 << "Успешно прочитано 3 документа" << 4;
        QTest::newRow("no documents") << QStringList{"--config", config, Data + "/cli/docs/c.xml"}
                                      << 1 << "Не найдено совместимых документов" << 1;
        QTest::newRow("no SOURCE") << QStringList{"--config", config} << 2 << "SOURCE" << 0;
        QTest::newRow("two sources")
            << QStringList{"--config", config, Data, Data} << 2 << "SOURCE" << 0;
        QTest::newRow("missing SOURCE")
            << QStringList{"--config", config, Data + "/absent.xml"} << 2 << "absent.xml" << 0;
        QTest::newRow("unknown option") << QStringList{"--bogus", Data} << 2 << "--bogus" << 0;
        QTest::newRow("option without value")
            << QStringList{Data, "--config"} << 2 << "--config" << 0;
        QTest::newRow("unknown locale")
            << QStringList{"--locale", "xx_bogus", Data} << 2 << "xx_bogus" << 0;
        QTest::newRow("missing config folder")
            << QStringList{"--config", Data + "/nowhere", Data} << 2 << "nowhere" << 0;
        QTest::newRow("map without columns")
            << QStringList{"--config", Data + "/badmap/CONFIG", Data} << 2 << "line 1" << 0;
    }

    void ExitStatus() {
        QFETCH(QStringList, args);
        QFETCH(int, stdoutLines);
        QFETCH(QString, stderrHolds);
        const Run run = List(args);
        QTEST(run.Exit, "exit");
        QVERIFY2(run.Err.contains(stderrHolds), qPrintable(run.Err));
        QCOMPARE(run.Out.count(QLatin1Char('\n')), stdoutLines);
        if (run.Exit == 2) { // every error on a line of its own, saying who speaks
            for (const QString& line : run.Err.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
                QVERIFY2(line.startsWith(QLatin1String("vypiska-cli: ")), qPrintable(run.Err));
        }
    }
};

QTEST_GUILESS_MAIN(TestCliList)
#include "tst_cli_list.moc"
