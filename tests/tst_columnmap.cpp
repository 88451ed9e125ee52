#include "reading/ColumnMap.h"
#include "text/Cp1251.h"

#include <QTemporaryDir>
#include <QtTest>

class TestColumnMap : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString WriteMap(const QByteArray& bytes) {
        const QString path = m_dir.filePath(QStringLiteral("TAG.INI"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(bytes) != bytes.size())
            qFatal("cannot write the column map fixture");
        return path;
    }

private slots:
    void Lines_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QStringList>("tagLists");
        QTest::addColumn<QStringList>("problemLines"); // each problem names its line

        QTest::newRow("blank lines and spaces skipped")
            << QByteArray("\r\n   \r\nA = k;x\r\n\r\n") << QStringList{"A"} << QStringList{"k;x"}
            << QStringList{};
        QTest::newRow("second '=' ends the list")
            << QByteArray("A = k;x = y = z") << QStringList{"A"} << QStringList{"k;x"}
            << QStringList{};
        QTest::newRow("empty list") << QByteArray("A =\r\nB = k") << QStringList{"A", "B"}
                                    << QStringList{"", "k"} << QStringList{};
        QTest::newRow("tabs are not blanks") << QByteArray("\tA\t = k;x ") << QStringList{"\tA\t"}
                                             << QStringList{"k;x"} << QStringList{};
        QTest::newRow("tab-only line is not blank: skipped with a problem")
            << QByteArray("\t\r\nA = k") << QStringList{"A"} << QStringList{"k"}
            << QStringList{"line 1"};
        QTest::newRow("line without '=' skipped, the rest kept")
            << QByteArray("A = k\r\n[Section]\r\nB = m") << QStringList{"A", "B"}
            << QStringList{"k", "m"} << QStringList{"line 2"};
        QTest::newRow("spaces around ';' stay")
            << QByteArray("A = k ; x") << QStringList{"A"} << QStringList{"k ; x"} << QStringList{};
        QTest::newRow("LF-only file is one line")
            << QByteArray("A = k;x\nB = m;y\n") << QStringList{"A"} << QStringList{"k;x\nB"}
            << QStringList{};
        QTest::newRow("lone CR is an ordinary character")
            << QByteArray("A = k\rB = m") << QStringList{"A"} << QStringList{"k\rB"}
            << QStringList{};
        QTest::newRow("Windows-1251 bytes")
            << Cp1251::Encode(QStringLiteral("Сумма = Сумма;Summa;Amount\r\n"))
            << QStringList{QStringLiteral("Сумма")}
            << QStringList{QStringLiteral("Сумма;Summa;Amount")} << QStringList{};
    }

    void Lines() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, captions);
        QFETCH(QStringList, tagLists);
        QFETCH(QStringList, problemLines);
        const ColumnMapLoad load = LoadColumnMap(WriteMap(bytes));
        QStringList gotCaptions, gotLists;
        for (const ColumnDef& c : load.Columns) {
            gotCaptions << c.Caption;
            gotLists << c.TagList;
        }
        QCOMPARE(gotCaptions, captions);
        QCOMPARE(gotLists, tagLists);
        QCOMPARE(load.Problems.size(), problemLines.size());
        for (qsizetype i = 0; i < problemLines.size(); ++i)
            QVERIFY2(load.Problems.at(i).contains(problemLines.at(i)),
                     qPrintable(load.Problems.at(i)));
    }

    void Keys_data() {
        QTest::addColumn<QString>("tagList");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("amount");

        QTest::newRow("amount") << QStringLiteral("Сумма;Summa;Amount") << QStringLiteral("Сумма")
                                << QStringList{"Summa", "Amount"} << true;
        QTest::newRow("amount key in lower case")
            << QStringLiteral("сумма;S") << QStringLiteral("сумма") << QStringList{"S"} << true;
        QTest::newRow("key with a trailing space is not the amount")
            << QStringLiteral("Сумма ;S") << QStringLiteral("Сумма ") << QStringList{"S"} << false;
        QTest::newRow("empty list has no key") << QString() << QString() << QStringList{} << false;
        QTest::newRow("empty pieces kept")
            << QStringLiteral(";;b") << QString() << QStringList{"", "b"} << false;
    }

    void Keys() {
        QFETCH(QString, tagList);
        const ColumnDef column{QStringLiteral("C"), tagList};
        QTEST(column.FieldKey(), "key");
        QTEST(column.ElementNames(), "names");
        QTEST(column.IsAmount(), "amount");
    }

    void MissingFileGivesNoColumnsAndNamesIt() {
        const QString path = m_dir.filePath(QStringLiteral("absent/TAG.INI"));
        const ColumnMapLoad load = LoadColumnMap(path);
        QVERIFY(load.Columns.empty());
        QCOMPARE(load.Problems.size(), 1);
        QVERIFY(load.Problems.first().contains(path));
    }

    void ShippedMapHasNumberFirstAndOneAmount() {
        const ColumnMapLoad load = LoadColumnMap(QStringLiteral(VYPISKA_SOURCE_CONFIG "/TAG.INI"));
        QVERIFY2(load.Problems.isEmpty(), qPrintable(load.Problems.join('\n')));
        QVERIFY(load.Columns.size() > 10);
        QCOMPARE(load.Columns.front().FieldKey(), QStringLiteral("Номер"));
        int amounts = 0;
        for (const ColumnDef& c : load.Columns) {
            amounts += c.IsAmount();
            QCOMPARE(c.ElementNames().size(), 2); // one name per vocabulary
        }
        QCOMPARE(amounts, 1);
    }
};

QTEST_GUILESS_MAIN(TestColumnMap)
#include "tst_columnmap.moc"
