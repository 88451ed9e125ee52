// The reading run: source kinds, folders, archives, the outcome texts and plural forms.
#include "reading/ReadingRun.h"
#include "text/TextCoder.h"

#include "TestZip.h"

#include <QTemporaryDir>
#include <QtTest>

#include <clocale>

namespace {
const QLocale Ru(QLocale::Russian, QLocale::Russia);

ColumnMap NumberAndAmount() {
    return {{QStringLiteral("Номер"), QStringLiteral("Номер;N")},
            {QStringLiteral("Сумма"), QStringLiteral("Сумма;S")}};
}

QByteArray Doc(const QByteArray& number, bool amount = true) {
    return "<Doc><N>" + number + "</N>" + (amount ? "<S>1</S>" : "") + "</Doc>";
}

void Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QStringList Numbers(const ReadingOutcome& outcome) {
    QStringList out;
    for (const DocumentRow& row : outcome.Rows)
        out << row.DisplayText(0);
    return out;
}
} // namespace

class TestReadingRun : public QObject {
    Q_OBJECT

    QTemporaryDir m_tempRoot; // stands for the system's temporary folder

    QStringList Leftovers() const {
        return QDir(m_tempRoot.path())
            .entryList({QStringLiteral("vypiska-*")}, QDir::AllEntries | QDir::Hidden);
    }

private slots:
    void initTestCase() {
        std::setlocale(LC_CTYPE, "C.UTF-8");
        qputenv("TMPDIR", QFile::encodeName(m_tempRoot.path()));
        QCOMPARE(QDir::tempPath(), QDir(m_tempRoot.path()).canonicalPath());
    }

    void PluralForms_data() {
        QTest::addColumn<qint64>("n");
        QTest::addColumn<QString>("participle");
        QTest::addColumn<QString>("nominative");
        QTest::addColumn<QString>("noun");
        const auto row = [](qint64 n, const char* p, const char* nom, const char* noun) {
            QTest::addRow("%lld", n)
                << n << QString::fromUtf8(p) << QString::fromUtf8(nom) << QString::fromUtf8(noun);
        };
        row(0, "прочитано", "Документы", "документов");
        row(1, "прочитан", "Документ", "документ");
        row(2, "прочитано", "Документа", "документа");
        row(4, "прочитано", "Документа", "документа");
        row(5, "прочитано", "Документы", "документов");
        row(11, "прочитано", "Документы", "документов");
        row(12, "прочитано", "Документы", "документов");
        row(14, "прочитано", "Документы", "документов");
        row(20, "прочитано", "Документы", "документов");
        row(21, "прочитан", "Документ", "документ");
        row(22, "прочитано", "Документа", "документа");
        row(25, "прочитано", "Документы", "документов");
        row(101, "прочитан", "Документ", "документ");
        row(111, "прочитано", "Документы", "документов");
        row(112, "прочитано", "Документы", "документов");
    }

    void PluralForms() {
        QFETCH(qint64, n);
        QTEST(PluralForm(QStringLiteral("прочитан"), n, 0), "participle");
        QTEST(PluralForm(QStringLiteral("Документ"), n, 1), "nominative");
        QTEST(PluralForm(QStringLiteral("документ"), n, 2), "noun");
    }

    void Texts() {
        QCOMPARE(ReadSuccessText(1, QStringLiteral("/in")),
                 QStringLiteral("Успешно прочитан 1 документ в '/in'"));
        QCOMPARE(ReadSuccessText(3, QStringLiteral("/in")),
                 QStringLiteral("Успешно прочитано 3 документа в '/in'"));
        QCOMPARE(ReadSuccessText(12345, QStringLiteral("/in")),
                 QStringLiteral("Успешно прочитано 12345 документов в '/in'"));
        QCOMPARE(NotFoundText(QStringLiteral("/in")),
                 QStringLiteral("Не найдено совместимых документов в '/in'"));
    }

    void FolderOrderAndFilter() {
        QTemporaryDir dir;
        Write(dir.filePath("b.xml"), Doc("b"));
        Write(dir.filePath("A.XML"), Doc("A"));
        Write(dir.filePath("c.Xml"), Doc("c"));
        Write(dir.filePath("a2.xml"), Doc("a2"));
        Write(dir.filePath(".hidden.xml"), Doc("hidden"));
        Write(dir.filePath("notes.txt"), Doc("txt"));
        Write(dir.filePath("noamount.xml"), Doc("none", false));
        Write(dir.filePath("sub/d.xml"), Doc("sub"));
        const TextCoder coder(Ru);
        const ReadingOutcome outcome = RunReading(dir.path(), NumberAndAmount(), coder);
        QCOMPARE(Numbers(outcome), QStringList({"A", "a2", "b", "c"}));
        QCOMPARE(outcome.Rows.front().SourcePath, dir.filePath("A.XML"));
        QCOMPARE(outcome.StatusText, ReadSuccessText(4, dir.path()));
        QCOMPARE(outcome.StatusColor, StatusColorSuccess);
        QVERIFY(outcome.Problems.isEmpty());
        QVERIFY(!outcome.Cancelled);
    }

    void FileGoneDuringRunIsAProblem() {
        QTemporaryDir dir;
        Write(dir.filePath("1.xml"), Doc("1"));
        Write(dir.filePath("2.xml"), Doc("2"));
        Write(dir.filePath("3.xml"), Doc("3"));
        const TextCoder coder(Ru);
        QList<qint64> seen;
        const ReadingOutcome outcome =
            RunReading(dir.path(), NumberAndAmount(), coder, [&](qint64 done, qint64 total) {
                seen << done << total;
                if (done == 1) QFile::remove(dir.filePath("2.xml"));
                return true;
            });
        QCOMPARE(Numbers(outcome), QStringList({"1", "3"}));
        QCOMPARE(outcome.Problems.size(), 1);
        QVERIFY(outcome.Problems.first().contains(dir.filePath("2.xml")));
        QCOMPARE(seen, QList<qint64>({1, 3, 2, 3, 3, 3}));
    }

    void NothingFound_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("other extension") << "doc.txt" << Doc("1");
        QTest::newRow("no amount") << "doc.xml" << Doc("1", false);
        QTest::newRow("missing file") << "absent.xml" << QByteArray();
        QTest::newRow("empty folder") << "empty/" << QByteArray();
    }

    void NothingFound() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (name.endsWith(QLatin1Char('/')))
            QDir().mkpath(path);
        else if (!bytes.isEmpty())
            Write(path, bytes);
        const ReadingOutcome outcome = RunReading(path, NumberAndAmount(), TextCoder(Ru));
        QVERIFY(outcome.Rows.empty());
        QCOMPARE(outcome.StatusText, NotFoundText(path));
        QCOMPARE(outcome.StatusColor, StatusColorFailure);
    }

    void ArchiveReadsTopLevelOnly() {
        QTemporaryDir dir;
        const QString zip = dir.filePath("in.ZIP");
        QVERIFY(WriteTestZip(zip, {{"b.xml", Doc("b")},
                                   {"a.xml", Doc("a")},
                                   {"x", Doc("one-char")},
                                   {"../up.xml", Doc("up")},
                                   {"sub/c.xml", Doc("sub")}}));
        const ReadingOutcome outcome = RunReading(zip, NumberAndAmount(), TextCoder(Ru));
        QCOMPARE(Numbers(outcome), QStringList({"a", "b"}));
        QCOMPARE(outcome.StatusText, ReadSuccessText(2, zip));
        QCOMPARE(outcome.Problems.size(), 1); // the entry leaving the folder
        QCOMPARE(Leftovers(), QStringList()); // temporary folder removed
    }

    void CancelStopsAndCleansUp_data() {
        QTest::addColumn<bool>("whileUnpacking");
        QTest::addColumn<QStringList>("numbers");
        QTest::newRow("while reading") << false << QStringList({"a", "b"});
        QTest::newRow("while unpacking") << true << QStringList();
    }

    void CancelStopsAndCleansUp() {
        QFETCH(bool, whileUnpacking);
        QTemporaryDir dir;
        const QString zip = dir.filePath("in.zip");
        QVERIFY(WriteTestZip(zip, {{"a.xml", Doc("a")}, {"b.xml", Doc("b")}, {"c.xml", Doc("c")}}));
        const ReadingOutcome outcome =
            RunReading(zip, NumberAndAmount(), TextCoder(Ru), [=](qint64 done, qint64 total) {
                return whileUnpacking ? total > 0 : done < 2;
            });
        QVERIFY(outcome.Cancelled);
        QTEST(Numbers(outcome), "numbers");
        QCOMPARE(Leftovers(), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestReadingRun)
#include "tst_reading_run.moc"
