// Reading: documents to rows, the column map, archives, whole sources and the list command.
#include "reading/ColumnMap.h"
#include "reading/DecodeDocument.h"
#include "reading/DocumentFile.h"
#include "reading/DocumentReader.h"
#include "presentation/ReadingStatus.h"
#include "reading/ReadingRun.h"
#include "text/PluralForm.h"
#include "text/Cp1251.h"
#include "text/EscapeControls.h"
#include "text/FileNames.h"
#include "text/TextCoder.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include "TestMain.h"

#include "TestFiles.h"
#include "TestZip.h"

#include <atomic>
#include <clocale>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Entries = QList<TestZipEntry>;

namespace {
const QLocale Ru(QLocale::Russian, QLocale::Russia);
const QString Data = QStringLiteral(VYPISKA_TEST_DATA "/reading");
const QString Rub = QStringLiteral("\u00A0₽");

// The problem names the file and, when given, the line: as a number standing on its own.
bool Names(const QString& problem, const QString& path, int line = 0) {
    const QString rest = QString(problem).remove(path);
    return problem.contains(path) &&
           (line == 0 || rest.contains(QRegularExpression(QStringLiteral("\\b%1\\b").arg(line))));
}
// A Russian sentence: no Latin word outside the quoted names and the system's detail in
// parentheses at the end (the name of the format aside).
bool Russian(const QString& problem) {
    QString sentence = problem;
    sentence.remove(QRegularExpression(QStringLiteral("'[^']*'|\\(.*\\)$|ZIP")));
    return sentence.contains(QRegularExpression(QStringLiteral("[а-яА-Я]"))) &&
           !sentence.contains(QRegularExpression(QStringLiteral("[A-Za-z]")));
}

// The problems, one for each word: each a Russian sentence holding its word and the path.
bool Said(const QStringList& problems, const QStringList& words, const QString& path = {}) {
    bool ok = problems.size() == words.size();
    for (qsizetype i = 0; ok && i < words.size(); ++i)
        ok = problems[i].contains(path) && problems[i].contains(words[i]) && Russian(problems[i]);
    if (!ok) qWarning() << problems;
    return ok;
}

bool MakePipe(const QString& path) {
    return mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

QByteArray Doc(const QByteArray& number) {
    return "<Doc><N>" + number + "</N><S>1</S></Doc>";
}

QStringList Numbers(const ReadingOutcome& outcome) {
    QStringList out;
    for (const DocumentRow& row : outcome.Rows)
        out << row.DisplayText(0);
    return out;
}

const ColumnMap Map{{"Номер", "Номер;N"}, {"Сумма", "Сумма;S"}};
const TextCoder Coder(Ru);
} // namespace

class TestReading : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QTemporaryDir m_tempRoot; // stands for the system's temporary folder

private slots:
    void initTestCase() {
        std::setlocale(LC_CTYPE, "C.UTF-8");
        qputenv("TMPDIR", QFile::encodeName(m_tempRoot.path()));
    }

    // The archive walk's safety rules as the reading meets them: entries leaving the archive's
    // root refused, one-letter folders left out with their contents, names without the UTF-8
    // flag read as CP866; a pipe never waited on, an archive cut short, and the bounds on what
    // one archive may expand to. Three documents of 60,000 bytes, a1, b1 and c1, for the damage.
    void archiveWalk_data() {
        QTest::addColumn<Entries>("entries");
        QTest::addColumn<QByteArray>("how"); // CP866 names, "cut" in b1.xml, "pipe", "deflated"
        QTest::addColumn<qint64>("maxTotal");   // 0: as is
        QTest::addColumn<qint64>("maxEntries"); // 0: as is
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QStringList>("says"); // a word of each problem, besides the archive
        Entries abc;
        for (const char c : {'a', 'b', 'c'}) {
            const QByteArray n = c + QByteArrayLiteral("1");
            abc.push_back({n + ".xml", Doc(n) + QByteArray(60000, char(c - 32))});
        }
        QTest::newRow("leaving the root refused, one-letter folders left out, CP866 names")
            << Entries{{"../e1.xml"}, {"sub/../../e2.xml"}, {"..\\e3.xml"},
                       {"/tmp/vypiska-e4.xml"}, {"C:/e5.xml"}, {"C:e6.xml"}, {"s/cd.xml"},
                       {"Платёж №1.xml"}}
            << QByteArray("CP866") << qint64(0) << qint64(0) << QStringList{u"Платёж №1"_qs}
            << QStringList{"e1.xml", "e2.xml", "e3.xml", "e4.xml", "e5.xml", "e6.xml"};
        QTest::newRow("cut short in the middle document")
            << abc << QByteArray("cut") << qint64(0) << qint64(0) << QStringList{"a1"}
            << QStringList{"b1.xml", "b1.xml"};
        QTest::newRow("a pipe, never waited on") << Entries{} << QByteArray("pipe") << qint64(0)
                                                 << qint64(0) << QStringList{} << QStringList{""};
        QTest::newRow("total bound") << abc << QByteArray() << qint64(100000) << qint64(0)
                                     << QStringList{"a1"} << QStringList{"100000"};
        QTest::newRow("entry count bound") << abc << QByteArray() << qint64(0) << qint64(2)
                                           << QStringList{"a1", "b1"} << QStringList{"2"};
        QTest::newRow("ratio bound")
            << Entries{{"zeros.xml", QByteArray(8 << 20, '0')}} << QByteArray("deflated")
            << qint64(0) << qint64(0) << QStringList{} << QStringList{"200"};
    }
    void archiveWalk() {
        QFETCH(Entries, entries);
        QFETCH(QByteArray, how);
        QFETCH(qint64, maxTotal);
        QFETCH(qint64, maxEntries);
        QFETCH(QStringList, says);
        QTemporaryDir dir;
        const QString zip = dir.filePath("in.zip");
        for (TestZipEntry& e : entries)
            if (e.Data == "<x/>") e.Data = Doc(QFileInfo(QString::fromUtf8(e.Name)).baseName().toUtf8());
        QVERIFY(WriteTestZip(zip, entries, how == "CP866" ? "CP866" : "UTF-8", how != "deflated"));
        if (how == "cut")
            EditFile(zip, [](QByteArray& b) { b.truncate(b.indexOf(QByteArray(100, 'B')) + 200); });
        if (how == "pipe") QVERIFY(QFile::remove(zip) && MakePipe(zip));
        UnzipLimits limits;
        if (maxTotal > 0) limits.MaxTotalBytes = maxTotal;
        if (maxEntries > 0) limits.MaxEntries = maxEntries;
        limits.RatioCheckBytes = 1 << 20;
        ReadingOutcome outcome;
        ReadZipArchive(zip, Map, Coder, &outcome, {}, limits);
        QTEST(Numbers(outcome), "numbers");
        QVERIFY(Said(outcome.Problems, says, zip));
        QCOMPARE(outcome.Outside, qint64(0)); // s/cd.xml never reached the reading
        QVERIFY(!QFile::exists("/tmp/vypiska-e4.xml"));
    }

    void pluralForms() {
        const QMap<QString, QList<qint64>> forms{
            {"прочитано Документы документов", {0, 5, 11, 12, 14, 111, 112}},
            {"прочитан Документ документ", {1, 21, 101}},
            {"прочитано Документа документа", {2, 4, 22}}};
        for (auto it = forms.begin(); it != forms.end(); ++it)
            for (qint64 n : it.value())
                QCOMPARE(PluralForm("прочитан", n, 0) + ' ' + PluralForm("Документ", n, 1) + ' ' +
                             PluralForm("документ", n, 2),
                         it.key());
    }

    // Files are read in name order without regard to case, names differing only in case in
    // their code order: the same for plain ASCII names as for any others.
    void folderOrder_data() {
        QTest::addColumn<QStringList>("names"); // in the order expected
        QTest::newRow("ASCII") << QStringList{"A.xml",  "a.XML", "a.xml", "a_b.xml",
                                              "ab.xml", "B.xml", "b1.xml"};
        QTest::newRow("Cyrillic among ASCII")
            << QStringList{"a.xml", "А.xml", "а2.xml", "Б.xml", "б.xml", "я.xml"};
    }
    void folderOrder() {
        QFETCH(QStringList, names);
        QTemporaryDir dir;
        for (qsizetype i = names.size() - 1; i >= 0; --i)
            WriteFile(dir.filePath(names[i]), Doc(names[i].toUtf8()));
        QCOMPARE(Numbers(RunReading(dir.path(), Map, Coder)), names);
    }

    // Files gone during the run, too large, or no regular file (a link to a pipe or a device,
    // which would wait or never end) are said; a link to a regular file is read.
    void folderOrderAndFilterAndFileGone() {
        QTemporaryDir dir;
        for (const char* name :
             {"b.xml", "A.XML", "c.Xml", "a2.xml", ".h.xml", "sub/d.xml", "t.txt"})
            WriteFile(dir.filePath(name), Doc(QFileInfo(name).baseName().toUtf8()));
        WriteFile(dir.filePath("e.xml"),
                  "\xEF\xBB\xBF<N>№ 5</N><S>1</S>"); // byte-order mark, UTF-8
        WriteFile(dir.filePath("n.xml"), "<N>no amount</N>");
        QVERIFY(QFile(WriteFile(dir.filePath("h.xml"), ""))
                    .resize((qint64(64) << 20) + 1)); // too large
        QVERIFY(MakePipe(dir.filePath("pipe")));
        QVERIFY(QFile::link(dir.filePath("pipe"), dir.filePath("f.xml")));
        QVERIFY(QFile::link("/dev/zero", dir.filePath("g.xml")));
        QVERIFY(QFile::link(dir.filePath("sub/d.xml"), dir.filePath("i.xml")));
        // Not listed at all, as a folder listing leaves them out: a broken link, a link to a
        // folder. A pipe itself is named, as a link to one is.
        QVERIFY(QFile::link(dir.filePath("none"), dir.filePath("j.xml")));
        QVERIFY(QFile::link(dir.filePath("sub"), dir.filePath("k.xml")));
        QVERIFY(MakePipe(dir.filePath("l.xml")));
        QList<qint64> seen;
        const ReadingOutcome outcome = RunReading(dir.path(), Map, Coder, [&](qint64 d, qint64 t) {
            seen << d;
            if (d == 2) QFile::remove(dir.filePath("b.xml"));
            return t == 11;
        });
        QCOMPARE(Numbers(outcome), QStringList({"A", "a2", "c", "№ 5", "d"}));
        QCOMPARE(outcome.Rows.front().SourcePath, dir.filePath("A.XML"));
        QCOMPARE(seen, QList<qint64>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
        // Every file left out is named, with why: gone during the run, no regular file, too
        // large, no amount.
        QStringList skipped;
        for (const char* name : {"b.xml", "f.xml", "g.xml", "h.xml", "l.xml", "n.xml"})
            skipped << dir.filePath(name);
        QCOMPARE(outcome.Skipped, skipped);
        QVERIFY(Said(outcome.Problems, skipped));
        // Not the success's green, and the files left out counted; the document one level
        // down counted apart (a link to its folder is not followed).
        QCOMPARE(ReadingStatusOf(outcome).Text, ReadPartialText(5, 6, dir.path()));
        QCOMPARE(ReadingStatusOf(outcome).Colour, StatusColorIncomplete);
        QCOMPARE(outcome.Outside, qint64(1));
    }

    // A name made on another system may hold bytes that are no UTF-8: the file is read by its
    // own bytes, and the name shows each such byte written out.
    void namesThatAreNoUtf8_data() {
        AddColumns<QByteArray, QString>({"name", "shown"});
        QTest::newRow("Latin-1") << QByteArray("caf\xE9.xml") << "caf\\xE9.xml";
        QTest::newRow("UTF-8") << QByteArray("caf\xC3\xA9.xml") << "café.xml";
        QTest::newRow("sequence cut short") << QByteArray("\xD0.xml") << "\\xD0.xml";
        QTest::newRow("overlong") << QByteArray("\xC0\xAF.xml") << "\\xC0\\xAF.xml";
        QTest::newRow("a surrogate") << QByteArray("\xED\xA0\x80.xml") << "\\xED\\xA0\\x80.xml";
        QTest::newRow("four bytes, then one lone")
            << QByteArray("\xF0\x90\x82\x80\x80.xml") << "\U00010080\\x80.xml";
    }
    void namesThatAreNoUtf8() {
        QFETCH(QByteArray, name);
        QTemporaryDir dir;
        const QByteArray path = QFile::encodeName(dir.path()) + '/' + name;
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT, 0644);
        const QByteArray doc = Doc("7");
        QVERIFY(fd >= 0 && ::write(fd, doc.constData(), size_t(doc.size())) == doc.size());
        ::close(fd);
        const ReadingOutcome outcome = RunReading(dir.path(), Map, Coder);
        QVERIFY2(outcome.Rows.size() == 1, qPrintable(outcome.Problems.join(u'\n')));
        QCOMPARE(FileNameBytes(outcome.Rows[0].SourcePath), path);
        QTEST(EscapeControls(QFileInfo(outcome.Rows[0].SourcePath).fileName()), "shown");
    }

    // A folder large enough to be read on every core gives the rows and problems of reading its
    // files one by one, in the same order.
    void manyDocumentsReadInOrder() {
        QTemporaryDir dir;
        QStringList expected, skipped;
        for (int i = 0; i < 500; ++i) {
            const QByteArray n = QByteArray::number(i * 7919 % 1000);
            const QString name = QString::number(i).rightJustified(4, u'0') + u".xml"_qs;
            const bool noAmount = i % 50 == 3;
            WriteFile(dir.filePath(name), noAmount ? "<Doc><N>" + n + "</N></Doc>" : Doc(n));
            if (noAmount || i == 100) skipped << dir.filePath(name);
            if (!noAmount && i != 100) expected << QString::fromLatin1(n);
        }
        QVERIFY(QFile(WriteFile(dir.filePath("0100.xml"), "")).resize((qint64(64) << 20) + 1));
        QList<qint64> seen;
        const ReadingOutcome outcome = RunReading(dir.path(), Map, Coder, [&](qint64 d, qint64 t) {
            seen << d;
            return t == 500;
        });
        QCOMPARE(Numbers(outcome), expected);
        QCOMPARE(outcome.Skipped, skipped);
        QVERIFY(Said(outcome.Problems, skipped));
        QCOMPARE(seen.last(), 500);
        QVERIFY(std::is_sorted(seen.begin(), seen.end()));
        QCOMPARE(outcome.Rows[6].SourcePath, dir.filePath("0007.xml")); // 0003.xml has no amount
    }

    // Archives as archivers make them. The archive is made by the row's maker; the rows come in
    // name order, every file left out is named, and every problem is one line.
    void archivesAsPeopleMakeThem_data() {
        AddColumns<QString, QStringList>({"maker", "numbers"});
        QTest::addColumn<QStringList>("skipped"); // inside the archive
        QTest::addColumn<QStringList>("said");    // a word of each problem, in order
        QTest::newRow("Info-ZIP: UTF-8 names without the flag, in the folder's order")
            << "zip" << QStringList{"a", "Б", "Я"} << QStringList{} << QStringList{};
        QTest::newRow("one folder is the top level; deeper documents not read")
            << "zip folder" << QStringList{"a", "Б", "Я"} << QStringList{} << QStringList{"'docs'"};
        QTest::newRow("documents at the top: a folder beside them not read")
            << "top and folder" << QStringList{"a1"} << QStringList{} << QStringList{};
        QTest::newRow("a damaged directory record: every entry read by its own header")
            << "damaged directory" << QStringList{"d000", "d001", "d002", "d003", "d004"}
            << QStringList{} << QStringList{"5"};
        QTest::newRow("an end record alone claiming 1000 entries is damaged")
            << "claims 1000" << QStringList{} << QStringList{} << QStringList{"1000"};
        QTest::newRow("a false UTF-8 name is taken from the directory, not from entry data")
            << "posing header" << QStringList{"1", "2"} << QStringList{} << QStringList{};
        // Entries a folder could not hold are read too, under names of their own; a damaged
        // entry costs only itself.
        QTest::newRow("twins, a damaged entry, one leaving the root")
            << "twins" << QStringList{"3", "1", "2"} << QStringList{"zz.xml", "../up.xml"}
            << QStringList{"zz.xml", "up.xml"};
        QTest::newRow("libarchive's words end in a line break: still one line")
            << "wrong size" << QStringList{"1"} << QStringList{"b1.xml"} << QStringList{"b1.xml"};
    }
    void archivesAsPeopleMakeThem() {
        QFETCH(QString, maker);
        QTemporaryDir dir;
        const QString zip = dir.filePath("in.zip");
        const auto zipTool = [&](const QString& folder, const QStringList& what) {
            QProcess p;
            p.setWorkingDirectory(folder);
            p.setProcessEnvironment(EnvironmentWith({{"LC_ALL", "C.UTF-8"}}));
            p.start("zip", QStringList{"-q", "-r", zip} + what);
            QVERIFY(p.waitForFinished() && p.exitCode() == 0);
        };
        if (maker.startsWith("zip")) {
            if (!QFileInfo::exists("/usr/bin/zip")) QSKIP("no zip tool");
            const QString folder = dir.filePath("docs");
            for (const char* name : {"Я.xml", "a.xml", "Б.xml", "Жж/ж.xml"})
                WriteFile(folder + '/' + QString::fromUtf8(name),
                          Doc(QFileInfo(QString::fromUtf8(name)).baseName().toUtf8()));
            if (maker == "zip")
                zipTool(folder, {u"Я.xml"_qs, "a.xml", u"Б.xml"_qs});
            else
                zipTool(dir.path(), {"docs"});
        } else if (maker == "top and folder") {
            QVERIFY(WriteTestZip(
                zip, {{"a1.xml", Doc("a1")}, {"2023/", "", AE_IFDIR}, {"2023/b1.xml", Doc("b1")}}));
        } else if (maker == "damaged directory") {
            Entries entries;
            for (int i = 0; i < 5; ++i) {
                const QByteArray n = "d00" + QByteArray::number(i);
                entries.push_back({n + ".xml", Doc(n)});
            }
            QVERIFY(WriteTestZip(zip, entries));
            EditFile(zip, [](QByteArray& bytes) {
                const qsizetype record = bytes.indexOf("PK\x01\x02");
                bytes[bytes.indexOf("PK\x01\x02", record + 4) + 2] = 'X';
            });
        } else if (maker == "claims 1000") {
            QByteArray end("PK\x05\x06", 4);
            end += QByteArray(4, '\0') + "\xE8\x03\xE8\x03" + QByteArray(10, '\0');
            WriteFile(zip, end);
        } else if (maker == "twins") {
            QVERIFY(WriteTestZip(zip,
                                 {{"twin.xml", Doc("1")},
                                  {"zz.xml", Doc("damaged") + QByteArray(100, ' ')},
                                  {"badX1.xml", Doc("3")},
                                  {"twin.xml", Doc("2")},
                                  {"../up.xml", Doc("4")},
                                  {"sub/d.xml", Doc("5")}},
                                 "UTF-8", true));
            QVERIFY(MarkNamesUtf8(zip, "X1", "\xFF\xFE"));
            EditFile(zip, [](QByteArray& bytes) { bytes[bytes.indexOf("damaged")] = 'D'; });
        } else if (maker == "posing header") {
            // A local header with the flag and a bad name, inside another entry's data.
            QByteArray posing("PK\x03\x04\x14\x00\x00\x08", 8);
            posing += QByteArray(18, '\0') + QByteArray("\x09\x00\x00\x00", 4) + "fake\xFF.xml";
            QVERIFY(WriteTestZip(
                zip, {{"junk.bin", posing}, {"a1.xml", Doc("1")}, {"bX1.xml", Doc("2")}}, "UTF-8",
                true));
            QVERIFY(MarkNamesUtf8(zip, "X1", "\xFF\xFE"));
        } else if (maker == "wrong size") {
            QVERIFY(WriteTestZip(zip, {{"a1.xml", Doc("1")}, {"b1.xml", Doc("2")}}));
            // b1.xml's uncompressed size, in its local header and in the directory, one too big.
            EditFile(zip, [](QByteArray& bytes) {
                const qsizetype local = bytes.indexOf("b1.xml") - 30;
                const qsizetype central = bytes.lastIndexOf("b1.xml") - 46;
                bytes[local + 22] = char(bytes[local + 22] + 1);
                bytes[central + 24] = char(bytes[central + 24] + 1);
            });
        }
        const ReadingOutcome outcome = RunReading(zip, Map, Coder);
        QTEST(Numbers(outcome), "numbers");
        QFETCH(QStringList, skipped);
        QCOMPARE(outcome.Skipped, skipped.replaceInStrings(QRegularExpression("^"), zip + '/'));
        QFETCH(QStringList, said);
        QVERIFY(Said(outcome.Problems, said, zip));
        for (const QString& problem : outcome.Problems)
            QVERIFY(!problem.contains(u'\n'));
        if (maker == "posing header")
            QCOMPARE(outcome.Rows[1].SourcePath, zip + u"/b\uFFFD\uFFFD.xml"_qs);
        if (maker.startsWith("zip"))
            QCOMPARE(outcome.Rows[2].SourcePath,
                     zip + (maker == "zip" ? "" : "/docs") + u"/Я.xml"_qs);
        if (maker != "twins") return;
        QCOMPARE(outcome.Rows[2].SourcePath, zip + "/twin.xml#4");
        // Rows handed on while reading come once, though the damage has the archive read again.
        QStringList handed;
        const ReadingOutcome shown = RunReading(zip, Map, Coder, {}, nullptr, RowUse::List,
                                                [&](std::vector<DocumentRow> rows) {
                                                    for (const DocumentRow& row : rows)
                                                        handed << row.DisplayText(0);
                                                });
        QCOMPARE(handed + Numbers(shown), QStringList({"1", "3", "2"}));
    }

    // A stop keeps the documents read by then, in name order, and says how many: from a folder
    // (stopped by its first progress: on a busy machine the workers may read all before a second), a small archive read on this thread alone and a large one read
    // on every core (stopped by the flag while walked; stored backwards, so that the rows' order
    // is not the archive's); or before the start. A stop inside a document: longDocuments.
    void cancel_data() {
        AddColumns<QString, int>({"source", "count"});
        QTest::addColumn<int>("cancelAt"); // progress calls; 0: before the start
        for (const auto& [source, count, at] :
             {std::tuple{"folder", 500, 1}, {"small zip", 30, 30}, {"large zip", 400, 600}})
            for (const int cancelAt : {0, at})
                QTest::addRow("%s, %s", source, cancelAt ? "mid-run" : "at start")
                    << QString(source) << count << cancelAt;
    }
    void cancel() {
        QFETCH(QString, source);
        QFETCH(int, count);
        QFETCH(int, cancelAt);
        QTemporaryDir dir;
        QString path = dir.filePath(source == "folder" ? "docs" : "many.zip");
        Entries entries;
        QStringList names;
        for (int i = count - 1; i >= 0; --i) {
            const QByteArray n = QByteArray::number(i).rightJustified(4, '0');
            entries.push_back({n + ".xml", Doc(n)});
            names.prepend(QString::fromLatin1(n));
            if (source == "folder") WriteFile(path + "/" + n + ".xml", Doc(n));
        }
        if (source != "folder") QVERIFY(WriteTestZip(path, entries));
        std::atomic<bool> cancel{cancelAt == 0};
        int calls = 0;
        const ReadingOutcome outcome = RunReading(
            path, Map, Coder,
            [&](qint64 done, qint64 total) {
                if (source == "folder") return ++calls < cancelAt;
                if (done == 0 && total == 0 && ++calls == cancelAt) cancel = true;
                return true;
            },
            &cancel);
        QVERIFY(outcome.Cancelled);
        const QStringList kept = Numbers(outcome);
        QCOMPARE(ReadingStatusOf(outcome).Text, ReadCancelledText(kept.size(), path));
        QCOMPARE(kept.isEmpty(), cancelAt == 0);
        if (cancelAt == 0) return;
        QVERIFY(!kept.isEmpty() && (source == "folder" || kept.size() < count));
        QVERIFY(std::is_sorted(kept.begin(), kept.end()));
        if (source == "folder") return;
        // Among them the entries stored first (the last by name): those read while the archive
        // was walked, before the workers started.
        const qsizetype first = std::min<qsizetype>(kept.size(), 63);
        QCOMPARE(kept.mid(kept.size() - first), names.mid(count - first));
    }

    // The long text the rows keep is bounded: past it reading stops with a problem, and the rows
    // read stay, in name order. A document past its own bound is left out by name.
    void longTextBounded() {
        QTemporaryDir dir;
        const QString zip = dir.filePath("long.zip");
        Entries entries{{"big.xml", QByteArray(qsizetype(LargestDocumentBytes) + 1, ' ')}};
        for (int i = 9; i >= 0; --i) {
            const QByteArray n = "n" + QByteArray::number(i);
            entries.push_back(
                {n + ".xml", "<Doc><N>" + n + QByteArray(100000, 'x') + "</N><S>1</S></Doc>"});
        }
        QVERIFY(WriteTestZip(zip, entries));
        UnzipLimits limits;
        limits.MaxKeptTextBytes = 500000; // two documents' text and a half
        ReadingOutcome outcome;
        QVERIFY(ReadZipArchive(zip, Map, Coder, &outcome, {}, limits));
        QStringList numbers;
        for (const QString& n : Numbers(outcome))
            numbers << n.left(2);
        QCOMPARE(numbers, QStringList({"n7", "n8", "n9"}));
        QVERIFY(Said(outcome.Problems, {"big.xml", "МБ"}, zip));
        QCOMPARE(outcome.Skipped, QStringList{zip + "/big.xml"});
    }

    // A value of 4 MB of '&' is decoded in linear time (it took minutes); a raised cancel stops
    // inside a document, not only between files.
    void longDocuments() {
        const QString amps(4 << 20, u'&');
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(XmlText(amps + "&amp;&#x41F;"), amps + u"&П"_qs);
        QVERIFY(timer.elapsed() < 10000);
        std::atomic<bool> cancel{true};
        QVERIFY(XmlText(amps, &cancel).size() < amps.size());
        QVERIFY(!DocumentReader(Map, Coder, &cancel).ReadText("/in/a.xml", Doc("1")));
    }

    void amount_data() {
        AddColumns<QString, double>({"text", "value"});
        QTest::newRow("no-break spaces, mark") << "1\u00A0234,5" + Rub << 1234.5;
        QTest::newRow("blanks inside ignored") << " 7 5 .2\u20095 " << 75.25;
        QTest::newRow("words after the number") << "12,5 руб." << 12.5;
        QTest::newRow("rounded to 4 decimals") << "0.00016" << 0.0002;
        QTest::newRow("beyond the fixed-point range") << "900 000 000 000 000 000 000" << 9e20;
        QTest::newRow("minus zero") << "-0" << 0.0;
    }
    void amount() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(AmountValue(text), value);
        QVERIFY(!std::signbit(AmountValue(text)) || value < 0);
    }
    // Amounts too large for a double's kopecks are shown from their digits; others as before.
    void amountShown_data() {
        AddColumns<QString, QString>({"text", "locale"});
        QTest::addColumn<QString>("shown"); // empty: as the locale shows the double
        QTest::newRow("largest, ru_RU")
            << "92233720368547758.07"
            << "ru_RU" << u"92\u00A0233\u00A0720\u00A0368\u00A0547\u00A0758,07\u00A0₽"_qs;
        QTest::newRow("largest, en_US, grouped as sent")
            << "92,233,720,368,547,758.07" << "en_US" << "$92,233,720,368,547,758.07";
        QTest::newRow("negative, en_US, as the locale writes it")
            << "-92233720368547758.07" << "en_US" << "($92,233,720,368,547,758.07)";
        QTest::newRow("ordinary") << "1 234,50" << "ru_RU" << "";
        QTest::newRow("past 64 bits") << "900 000 000 000 000 000 000" << "en_US" << "";
    }
    void amountShown() {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QFETCH(QString, locale);
        const QLocale l(locale);
        QCOMPARE(AmountDisplayText(text, l),
                 shown.isEmpty() ? l.toCurrencyString(AmountValue(text)) : shown);
    }

    void extraction_data() {
        AddColumns<QStringList, QString>({"tagLists", "document"});
        QTest::addColumn<QStringList>("cells"); // "display|raw" each; empty: no row
        QTest::addColumn<QStringList>("said");  // what the problem says besides the path
        const QStringList nad{"Номер;N1;N2", "Сумма;S1;S2", "Дата;D"};
        QTest::newRow("first alias wins, date normalised, raw kept")
            << nad << "<N1>7</N1><N2>8</N2><S1>5</S1><D>2024-03-05T14:30:00</D>"
            << QStringList{"7|7", "5,00" + Rub + "|5", "05.03.2024 14:30:00|2024-03-05T14:30:00"}
            << QStringList{};
        QTest::newRow("empty alias falls through")
            << QStringList{"Номер;;N1;N2", "Сумма;S1;S2"} << "<N1></N1><N2>8</N2><S2>5</S2>"
            << QStringList{"8|8", "5,00" + Rub + "|5"} << QStringList{};
        QTest::newRow("an empty CDATA falls through, for the amount too")
            << nad << "<N1><![CDATA[]]></N1><N2>8</N2><S1><![CDATA[]]></S1><S2>5</S2>"
            << QStringList{"8|8", "5,00" + Rub + "|5", "|"} << QStringList{};
        QTest::newRow("comma amount kept raw, not a date")
            << nad << "<N1>1</N1><S1>12,50</S1><D>x</D>"
            << QStringList{"1|1", "12,50" + Rub + "|12,50", "x|x"} << QStringList{};
        QTest::newRow("entities and CDATA decoded in display and raw text")
            << nad
            << "<N1>&#8470;&#x31;</N1><S1>5</S1><D>\"A &amp; B\" &lt;&gt;&apos;&bad; &#0;</D>"
            << QStringList{u"№1|№1"_qs, "5,00" + Rub + "|5",
                           "\"A & B\" <>'&bad; &#0;|\"A & B\" <>'&bad; &#0;"}
            << QStringList{};
        QTest::newRow("CDATA unwrapped, an unclosed one to the end")
            << nad << "<N1><![CDATA[a<b]]>c</N1><S1>5</S1><D><![CDATA[x&amp;</D>"
            << QStringList{"a<bc|a<bc", "5,00" + Rub + "|5", "x&amp;|x&amp;"} << QStringList{};
        QTest::newRow("missing amount: no row")
            << nad << "<N1>1</N1><S1></S1><D>2024-03-05</D>" << QStringList{}
            << QStringList{u"пропущен"_qs, "<S1>, <S2>"};
        QTest::newRow("amount key alone: never a row")
            << QStringList{"Номер;N", "Сумма"} << "<N>1</N><Сумма>5</Сумма>" << QStringList{}
            << QStringList{u"пропущен"_qs, u"ни одного элемента"_qs};
        QTest::newRow("amount in column 1 keeps its raw value, empty list an empty cell")
            << QStringList{"Сумма;S", "", "Номер;N"} << "<S>1234.5</S><N>9</N>"
            << QStringList{"1\u00A0234,50" + Rub + "|1234.5", "|", "9|9"} << QStringList{};
        // Listed as the list has always shown them, but never without a word: the statement
        // gets what the sender wrote.
        QTest::newRow("non-numeric amount listed, named")
            << nad << "<N1>1</N1><S1>по счету</S1>"
            << QStringList{"1|1", "0,00" + Rub + u"|по счету"_qs, "|"}
            << QStringList{u"'по счету' не является числом"_qs};
    }
    void extraction() {
        QFETCH(QStringList, tagLists);
        QFETCH(QString, document);
        QFETCH(QStringList, cells);
        ColumnMap columns;
        for (const QString& list : tagLists)
            columns.push_back({"C", list});
        // A reader keeps recurring values and dates from document to document: what it read
        // before, the same document included, changes nothing.
        const DocumentReader reader(columns, Coder);
        reader.ReadText("/in/0.xml", "<N1>1</N1><S1>2</S1><D>2024-03-06</D><D>2024-03-05</D>");
        reader.ReadText("/in/1.xml", document);
        QString problem;
        const auto row = reader.ReadText("/in/a.xml", document, &problem);
        QCOMPARE(row.has_value(), !cells.isEmpty());
        QFETCH(QStringList, said);
        QCOMPARE(problem.isEmpty(), said.isEmpty());
        for (const QString& words : said)
            QVERIFY2(Names(problem, "/in/a.xml") && problem.contains(words), qPrintable(problem));
        if (!row) return;
        QStringList got;
        for (const DocumentCell& cell : row->Cells)
            got << cell.DisplayText() + QLatin1Char('|') + cell.RawValue();
        QCOMPARE(got, cells);
        QCOMPARE(row->ExportValue(0),
                 row->Cells[0].RawValue()); // the export never takes display text
        // The same document's UTF-8 bytes, looked through without a decoded copy.
        reader.ReadBytes("/in/0.xml", "<N1>1</N1><S1>2</S1><D>2024-03-06</D><D>2024-03-05</D>");
        reader.ReadBytes("/in/1.xml", document.toUtf8());
        QString bytesProblem;
        const auto fromBytes = reader.ReadBytes("/in/a.xml", document.toUtf8(), &bytesProblem);
        QCOMPARE(bytesProblem, problem);
        QStringList gotFromBytes;
        for (const DocumentCell& cell : fromBytes->Cells)
            gotFromBytes << cell.DisplayText() + QLatin1Char('|') + cell.RawValue();
        QCOMPARE(gotFromBytes, cells);
    }

    // Document bytes to text: the encoding a mark or the declaration names; percent signs are
    // the sender's text. problem: a word of what is said, empty when nothing is.
    void decode_data() {
        AddColumns<QByteArray, QString, QString>({"bytes", "text", "problem"});
        const QString body = u"<N>Платёж 20%16 a%20b</N>"_qs;
        const QByteArray cp1251 = "<N>\xCF\xEB\xE0\xF2\xB8\xE6 20%16 a%20b</N>";
        const QByteArray koi8 = "<N>\xF0\xCC\xC1\xD4\xA3\xD6 20%16 a%20b</N>";
        auto decl = [](const char* encoding) {
            return QByteArray("<?xml version=\"1.0\" encoding=\"") + encoding + "\"?>\n";
        };
        auto utf16 = [](const QString& text, bool bigEndian) -> QByteArray {
            return QStringEncoder(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE)
                .encode(text);
        };
        auto row = [](const char* name, const QByteArray& bytes, const QString& text,
                      const char* problem = "") {
            QTest::newRow(name) << bytes << text << QString::fromUtf8(problem);
        };
        row("declared UTF-8", decl("UTF-8") + body.toUtf8(), decl("UTF-8") + body);
        row("declared windows-1251, single quotes",
            "<?xml version='1.0' encoding='windows-1251'?>" + cp1251,
            "<?xml version='1.0' encoding='windows-1251'?>" + body);
        row("declared KOI8-R, blanks and capitals", "<?xml encoding = \"KOI8-R\" ?>" + koi8,
            "<?xml encoding = \"KOI8-R\" ?>" + body);
        const QString wide = decl("UTF-16") + body;
        row("UTF-16 little-endian with its mark", "\xFF\xFE" + utf16(wide, false), wide);
        row("UTF-16 big-endian with its mark", "\xFE\xFF" + utf16(wide, true), wide);
        row("UTF-8 mark dropped", "\xEF\xBB\xBF" + body.toUtf8(), body);
        row("no declaration, UTF-8", body.toUtf8(), body);
        row("no declaration, not UTF-8", cp1251, body, "Windows-1251");
        row("declaration without encoding, not UTF-8", "<?xml version=\"1.0\"?>" + cp1251,
            "<?xml version=\"1.0\"?>" + body, "Windows-1251");
        row("declared UTF-8, a bad byte", decl("utf-8") + "a\xFF", decl("utf-8") + u"a\uFFFD"_qs,
            "UTF-8");
        // Each beside a well-formed Cyrillic word, which is read as it goes.
        for (const char* bad : {"\xC0\x80", "\xED\xA0\x80", "\xD0 ", "\xF4\x90\x80\x80"}) {
            const QByteArray bytes = decl("utf-8") + "\xD0\x9F\xD0\xB8" + bad + "z";
            row(QByteArray(bad).toHex(' ').constData(), bytes, QString::fromUtf8(bytes), "UTF-8");
        }
        row("unknown encoding", decl("x-nonsense") + body.toUtf8(), decl("x-nonsense") + body,
            "x-nonsense");
        row("UTF-16 named in a one-byte declaration", decl("UTF-16") + cp1251,
            decl("UTF-16") + body, "UTF-16");
        // Code units that are no character: each becomes "?", and the file is named for it.
        row("UTF-16, a lone high surrogate",
            "\xFF\xFE" + utf16(u"a"_qs, false) + QByteArray("\x00\xD8", 2) + utf16(u"b"_qs, false),
            u"a?b"_qs, "UTF-16");
        row("UTF-16 big-endian, a lone low surrogate at the end",
            "\xFE\xFF" + utf16(u"a"_qs, true) + QByteArray("\xDC\x00", 2), u"a?"_qs, "UTF-16");
        row("UTF-16, a pair is one character", "\xFF\xFE" + utf16(u"a\U0001F600"_qs, false),
            u"a\U0001F600"_qs);
        row("UTF-32, a code past U+10FFFF", QByteArray("\xFF\xFE\0\0a\0\0\0\0\0\x11\0", 12),
            u"a?"_qs, "UTF-32");
        row("UTF-32 big-endian, a surrogate and a character past the first plane",
            QByteArray("\0\0\xFE\xFF\0\0\xD8\0\0\x01\xF6\0", 12), u"?\U0001F600"_qs, "UTF-32");
    }
    void decode() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, problem);
        QString said;
        QTEST(DecodeDocument(bytes, &said), "text");
        QVERIFY2(problem.isEmpty() ? said.isEmpty() : said.contains(problem), qPrintable(said));
        // Bytes read as they are only where decoding would give their UTF-8 and say nothing.
        if (IsPlainUtf8(bytes)) {
            QVERIFY(said.isEmpty());
            QTEST(QString::fromUtf8(bytes), "text");
        }
    }

    void columnMap_data() {
        QTest::addColumn<QByteArray>("bytes");    // null: no file
        QTest::addColumn<QStringList>("columns"); // "caption=list", " $" for the amount
        QTest::addColumn<int>("problemLine");     // -1: none, 0: the file itself
        QTest::newRow("blank lines skipped, second '=' ends the list")
            << QByteArray("\r\n  \r\nA = k;x = y\r\nB =") << QStringList{"A=k;x", "B="} << -1;
        QTest::newRow("tabs and inner spaces stay")
            << QByteArray("\tA\t = k ; x \r\nB = m") << QStringList{"\tA\t=k ; x", "B=m"} << -1;
        // Kept as read, but said: the columns of a file with other line ends run together.
        QTest::newRow("LF or CR alone stay, said")
            << QByteArray("A = k\nB = m\rC") << QStringList{"A=k\nB"} << 1;
        QTest::newRow("LF alone in a later line")
            << QByteArray("A = k\r\nB = m\nC = n") << QStringList{"A=k", "B=m\nC"} << 2;
        QTest::newRow("tab-only line is not blank")
            << QByteArray("\t\r\nA = k") << QStringList{"A=k"} << 1;
        QTest::newRow("line without '=' skipped")
            << QByteArray("A = k\r\n[Section]\r\nB = m") << QStringList{"A=k", "B=m"} << 2;
        QTest::newRow("Windows-1251, the amount key in any case, but no spaces")
            << Cp1251::Encode("Сумма = Сумма;Summa\r\nB = сумма;S\r\nC = Сумма ;S")
            << QStringList{"Сумма=Сумма;Summa $", "B=сумма;S $", "C=Сумма ;S"} << -1;
        QTest::newRow("missing") << QByteArray() << QStringList{} << 0;
        // Every column costs every document a cell: past the bound the lines are left out, said.
        QByteArray many;
        QStringList kept;
        for (int i = 1; i <= LargestColumnCount + 10; ++i) {
            many += "C" + QByteArray::number(i) + " = k" + QByteArray::number(i) + "\r\n";
            if (i <= LargestColumnCount) kept << QStringLiteral("C%1=k%1").arg(i);
        }
        QTest::newRow("too many columns") << many << kept << LargestColumnCount + 1;
    }
    void columnMap() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, problemLine);
        const QString path = m_dir.filePath(QStringLiteral("TAG.INI"));
        QFile::remove(path);
        if (!bytes.isNull()) WriteFile(path, bytes);
        const ColumnMapLoad load = LoadColumnMap(path);
        QStringList got;
        for (const ColumnDef& c : load.Columns)
            got << c.Caption + QLatin1Char('=') + c.TagList + (c.IsAmount() ? " $" : "");
        QTEST(got, "columns");
        QCOMPARE(load.Problems.size(), problemLine < 0 ? 0 : 1);
        if (problemLine >= 0)
            QVERIFY2(Names(load.Problems[0], path, problemLine), qPrintable(path));
    }

    void cliList_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("locale"); // the environment's LC_ALL
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("err"); // a pattern for all of it
        QTest::addColumn<QString>("out"); // a file of cli/expected, all of stdout; empty: none
        const QString config = Data + "/cli/CONFIG", docs = Data + "/cli/docs";
        const QString read = QRegularExpression::escape(
            "Прочитано 2 документа, пропущен 1 файл в '" + docs +
            "'\nпропущен: 'c.xml': в нем нет суммы (элемент <S> пуст "
            "или его нет)\nОтмечено: 2 из 2 · "
            "1 247,00 ₽\nреквизит: 'a.xml': Дата 'not a date': "
            "такой даты нет (ожидается ДД.ММ.ГГГГ)\n");
        QTest::newRow("exact output") << QStringList{"--config", config, "--locale", "ru_RU", docs}
                                      << "en_US.UTF-8" << 0 << read << "list.tsv";
        // A machine with no locale chosen displays as ru_RU does; a chosen one is followed.
        QTest::newRow("C locale shows as ru_RU")
            << QStringList{"--config", config, docs} << "C" << 0 << read << "list.tsv";
        // For scripts: captions as keys in column order, texts escaped, the amount as an exact
        // number.
        QTest::newRow("JSON") << QStringList{"--config", config, "--format", "json", docs} << "C"
                              << 0 << read << "list.json";
        QTest::newRow("JSON of nothing")
            << QStringList{"--config", config, "--format=json", config} << "C" << 1
            << QRegularExpression::escape("Не найдено совместимых документов в '" + config + "'\n")
            << "none.json";
        QTest::newRow("map without columns: each error on its line, saying who speaks")
            << QStringList{"--config", Data + "/badmap/CONFIG", docs} << "C" << 2
            << "настройки: 'TAG\\.INI': строка 1: [^\\n]*\nvypiska-cli: [^\\n]*/badmap/CONFIG/"
               "TAG\\.INI[^\\n]*\n"
            << "";
    }
    void cliList() {
        QFETCH(QStringList, args);
        QFETCH(QString, locale);
        const ProgramRun run =
            RunProgram(VYPISKA_CLI, QStringList{"list"} + args, [&](QProcess& p) {
                p.setProcessEnvironment(EnvironmentWith({{"LC_ALL", locale}}));
            });
        QTEST(run.Exit, "exit");
        QFETCH(QString, out);
        QCOMPARE(run.Out, out.isEmpty() ? QByteArray() : ReadFile(Data + "/cli/expected/" + out));
        if (args.contains("json")) QVERIFY(!QJsonDocument::fromJson(run.Out).isNull());
        QFETCH(QString, err);
        QVERIFY2(QRegularExpression("^" + err + "$").match(run.Err).hasMatch(),
                 qPrintable(run.Err));
    }
};

VYPISKA_TEST_GUILESS_MAIN(TestReading)
#include "tst_reading.moc"
