#include "reading/UnzipFile.h"

#include "TestZip.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QtTest>

#include <clocale>

using Entries = QList<TestZipEntry>;

namespace {
TestZipEntry File(const char* name, const QByteArray& data = "<x/>") {
    return {name, data, TestZipEntry::File};
}
TestZipEntry Folder(const char* name) {
    return {name, {}, TestZipEntry::Folder};
}

// Every file under the folder as "relative/path=content", sorted.
QStringList Tree(const QString& root) {
    QStringList out;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        out << QDir(root).relativeFilePath(path) + QLatin1Char('=') +
                   QString::fromUtf8(file.readAll());
    }
    out.sort();
    return out;
}
} // namespace

class TestUnzip : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { std::setlocale(LC_CTYPE, "C.UTF-8"); }

    void Extract_data() {
        QTest::addColumn<Entries>("entries");
        QTest::addColumn<QStringList>("tree");
        QTest::addColumn<QStringList>("problems"); // a word each problem must hold

        QTest::newRow("top level and sub-folder")
            << Entries{File("a1.xml", "A"), Folder("sub/"), File("sub/b1.xml", "B")}
            << QStringList{"a1.xml=A", "sub/b1.xml=B"} << QStringList{};
        QTest::newRow("one-character names skipped, with their contents")
            << Entries{File("x"), File("ab", "1"), File("s/cd.xml"), File("dd/e"),
                       File("dd/ef", "2")}
            << QStringList{"ab=1", "dd/ef=2"} << QStringList{};
        QTest::newRow("zero-size file")
            << Entries{File("empty.xml", "")} << QStringList{"empty.xml="} << QStringList{};
        QTest::newRow("backslashes separate folders")
            << Entries{File("sub\\b1.xml", "B")} << QStringList{"sub/b1.xml=B"} << QStringList{};
        QTest::newRow("dot-dot refused")
            << Entries{File("../evil.xml"), File("ok.xml", "k"), File("sub/../../evil2.xml"),
                       File("..\\evil3.xml")}
            << QStringList{"ok.xml=k"} << QStringList{"outside", "outside", "outside"};
        QTest::newRow("absolute and drive paths refused")
            << Entries{File("/tmp/vypiska-unzip-evil.xml"), File("C:/evil.xml"), File("C:evil.xml")}
            << QStringList{} << QStringList{"outside", "outside", "outside"};
        QTest::newRow("symlink refused")
            << Entries{{"link.xml", "/etc/passwd", TestZipEntry::Link}, File("ok.xml", "k")}
            << QStringList{"ok.xml=k"} << QStringList{"link"};
        QTest::newRow("empty archive makes the folder")
            << Entries{} << QStringList{} << QStringList{};
    }

    void Extract() {
        QFETCH(Entries, entries);
        QFETCH(QStringList, problems);
        QTemporaryDir dir;
        const QString zip = dir.filePath(QStringLiteral("in.zip"));
        QVERIFY(WriteTestZip(zip, entries));
        const QString dest = dir.filePath(QStringLiteral("out/inner"));
        QStringList got;
        UnzipFile(zip, dest, &got);
        QVERIFY(QFileInfo(dest).isDir());
        QTEST(Tree(dest), "tree");
        QCOMPARE(got.size(), problems.size());
        for (qsizetype i = 0; i < problems.size(); ++i)
            QVERIFY2(got.at(i).contains(problems.at(i)), qPrintable(got.at(i)));
        // nothing outside the destination: only the archive and the destination's parent
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList({"in.zip", "out"}));
        QVERIFY(!QFile::exists(QStringLiteral("/tmp/vypiska-unzip-evil.xml")));
    }

    void NameEncodings_data() {
        QTest::addColumn<QByteArray>("charset");
        QTest::newRow("CP866 without the UTF-8 flag") << QByteArray("CP866");
        QTest::newRow("UTF-8 flag") << QByteArray("UTF-8");
    }

    void NameEncodings() {
        QFETCH(QByteArray, charset);
        QTemporaryDir dir;
        const QString zip = dir.filePath(QStringLiteral("names.zip"));
        const QByteArray name = QStringLiteral("Платёж №1/Выписка.xml").toUtf8();
        QVERIFY(WriteTestZip(zip, {{name, "v", TestZipEntry::File}}, charset.constData()));
        QStringList problems;
        UnzipFile(zip, dir.filePath(QStringLiteral("out")), &problems);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
        QCOMPARE(Tree(dir.filePath(QStringLiteral("out"))),
                 QStringList{QStringLiteral("Платёж №1/Выписка.xml=v")});
    }

    void ExistingFileNotOverwritten() {
        QTemporaryDir dir;
        const QString zip = dir.filePath(QStringLiteral("in.zip"));
        QVERIFY(WriteTestZip(zip, {File("a1.xml", "new"), File("b1.xml", "new")}));
        QDir().mkpath(dir.filePath(QStringLiteral("out")));
        QFile old(dir.filePath(QStringLiteral("out/a1.xml")));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        QStringList problems;
        UnzipFile(zip, dir.filePath(QStringLiteral("out")), &problems);
        QCOMPARE(Tree(dir.filePath(QStringLiteral("out"))),
                 QStringList({"a1.xml=old", "b1.xml=new"}));
        QVERIFY(problems.isEmpty());
    }

    void LinkedFolderNotFollowed() {
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath(QStringLiteral("elsewhere")));
        QDir().mkpath(dir.filePath(QStringLiteral("out")));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("elsewhere")),
                            dir.filePath(QStringLiteral("out/sub"))));
        const QString zip = dir.filePath(QStringLiteral("in.zip"));
        QVERIFY(WriteTestZip(zip, {File("sub/b1.xml")}));
        QStringList problems;
        UnzipFile(zip, dir.filePath(QStringLiteral("out")), &problems);
        QVERIFY(QDir(dir.filePath(QStringLiteral("elsewhere"))).isEmpty());
        QCOMPARE(problems.size(), 1);
    }

    void Damaged_data() {
        QTest::addColumn<int>(
            "damage"); // 0: not a zip, 1: second file's data flipped, 2: cut short
        QTest::addColumn<QStringList>("tree");
        QTest::newRow("not a zip at all") << 0 << QStringList{};
        QTest::newRow("bad data in the second file") << 1 << QStringList{"a1.xml=first"};
        QTest::newRow("cut short in the second file") << 2 << QStringList{"a1.xml=first"};
    }

    void Damaged() {
        QFETCH(int, damage);
        QTemporaryDir dir;
        const QString zip = dir.filePath(QStringLiteral("bad.zip"));
        QVERIFY(WriteTestZip(zip, {File("a1.xml", "first"), File("b1.xml", QByteArray(4000, 'S'))},
                             "UTF-8", true));
        QFile file(zip);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        const qsizetype second = bytes.indexOf(QByteArray(100, 'S'));
        QVERIFY(second > 0);
        if (damage == 0)
            bytes = QByteArray(2000, 'z');
        else if (damage == 1)
            bytes[second + 50] = 'X';
        else
            bytes.truncate(second + 200);
        file.resize(0);
        file.write(bytes);
        file.close();
        QStringList problems;
        UnzipFile(zip, dir.filePath(QStringLiteral("out")), &problems);
        QTEST(Tree(dir.filePath(QStringLiteral("out"))), "tree");
        QVERIFY(!problems.isEmpty());
        QVERIFY2(problems.first().contains(QStringLiteral("is damaged")),
                 qPrintable(problems.first()));
    }

    void Bounds_data() {
        QTest::addColumn<Entries>("entries");
        QTest::addColumn<qint64>("maxTotal");
        QTest::addColumn<QStringList>("tree"); // what was extracted before the stop
        QTest::addColumn<QString>("problem");
        const QByteArray block(60 * 1024, '0');
        QTest::newRow("total") << Entries{File("a1.xml", block), File("b1.xml", block)}
                               << qint64(100 * 1024) << QStringList{"a1.xml=" + block} << "102400";
        QTest::newRow("ratio, the part written removed")
            << Entries{File("zeros.xml", QByteArray(8 << 20, '0'))} << qint64(0) << QStringList{}
            << "times its size";
    }

    void Bounds() {
        QFETCH(Entries, entries);
        QFETCH(qint64, maxTotal);
        QTemporaryDir dir;
        const QString zip = dir.filePath(QStringLiteral("big.zip"));
        QVERIFY(WriteTestZip(zip, entries));
        UnzipLimits limits;
        if (maxTotal > 0) limits.MaxTotalBytes = maxTotal;
        limits.RatioCheckBytes = 1 << 20;
        QStringList problems;
        UnzipFile(zip, dir.filePath(QStringLiteral("out")), &problems, limits);
        QTEST(Tree(dir.filePath(QStringLiteral("out"))), "tree");
        QCOMPARE(problems.size(), 1);
        QFETCH(QString, problem);
        QVERIFY2(problems.first().contains(problem), qPrintable(problems.first()));
    }

    void AddBackslash_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("result");
        QTest::newRow("empty") << ""
                               << "/";
        QTest::newRow("plain") << "/tmp/in"
                               << "/tmp/in/";
        QTest::newRow("already") << "/tmp/in/"
                                 << "/tmp/in/";
        QTest::newRow("windows") << "C:\\in\\"
                                 << "C:\\in\\";
    }

    void AddBackslash() {
        QFETCH(QString, path);
        QTEST(::AddBackslash(path), "result");
    }
};

QTEST_GUILESS_MAIN(TestUnzip)
#include "tst_unzip.moc"
