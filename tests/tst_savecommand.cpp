#include "export/SaveCommand.h"
#include "text/TextCoder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestSaveCommand : public QObject {
    Q_OBJECT
private slots:
    void dialog_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("nameFilters");
        QTest::addColumn<QString>("suggested");

        QTest::newRow("two templates, name from the last")
            << QStringList{"Table.csv.tpl", "Statement.txt.tpl"} << "/in/pay_20240101_0042.xml"
            << "Statement (*.txt)|*.txt|Table (*.csv)|*.csv|"
            << QStringList{"Statement (*.txt)", "Table (*.csv)"} << "0042.csv";
        QTest::newRow("template without an inner extension")
            << QStringList{"Plain.tpl"} << "/in/doc.xml"
            << "Plain (*.)|*.|" << QStringList{"Plain (*.)"} << "doc.";
        QTest::newRow("Cyrillic title, other files ignored")
            << QStringList{u"Выписка 1С.txt.tpl"_qs, "notes.txt", "old.tpl.bak"} << "/in/doc_.xml"
            << u"Выписка 1С (*.txt)|*.txt|"_qs << QStringList{u"Выписка 1С (*.txt)"_qs} << ".txt";
        QTest::newRow("extension in any case")
            << QStringList{"b.csv.TPL", "a.txt.tpl"} << "/in/x.xml"
            << "a (*.txt)|*.txt|b (*.csv)|*.csv|" << QStringList{"a (*.txt)", "b (*.csv)"}
            << "x.csv";
        QTest::newRow("no template") << QStringList{} << "/in/x.xml"
                                     << "" << QStringList{} << "x.";
    }
    void dialog() {
        QFETCH(QStringList, files);
        QFETCH(QString, source);
        QFETCH(QString, filter);
        QFETCH(QStringList, nameFilters);
        QFETCH(QString, suggested);
        QTemporaryDir dir;
        for (const QString& name : files) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir(dir.path()).mkdir("folder.txt.tpl")); // a folder is not a template
        const TextCoder coder(QLocale(QLocale::Russian, QLocale::Russia));
        const std::vector<TemplateInfo> list = TemplateList(dir.path(), coder);
        QCOMPARE(SaveDialogFilter(list), filter);
        QCOMPARE(SaveDialogNameFilters(list), nameFilters);
        QCOMPARE(SuggestedFileName(source, list, coder), suggested);
        for (const TemplateInfo& t : list)
            QCOMPARE(t.Path, dir.filePath(t.FileName));
    }

    void successText_data() {
        QTest::addColumn<qint64>("rows");
        QTest::addColumn<QString>("expected");
        const QString one = u"Документ успешно сохранен в '/out/a.txt'"_qs;
        const QString many = u"Документы успешно сохранены в '/out/a.txt'"_qs;
        QTest::newRow("one row") << qint64(1) << one;
        QTest::newRow("no rows") << qint64(0) << one;
        QTest::newRow("three rows") << qint64(3) << many;
        QTest::newRow("twenty-one rows") << qint64(21) << many;
    }
    void successText() {
        QFETCH(qint64, rows);
        QFETCH(QString, expected);
        QCOMPARE(SaveSuccessText(rows, "/out/a.txt"), expected);
    }
};

QTEST_GUILESS_MAIN(TestSaveCommand)
#include "tst_savecommand.moc"
