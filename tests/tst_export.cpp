#include "export/BuildExportFile.h"
#include "settings/INIStorage.h"
#include "text/Cp1251.h"
#include "text/TextCoder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {
const QLocale Ru(QLocale::Russian, QLocale::Russia);
// 15 January 2023, 14:05.
const double ExportTime = 44941.0 + (14 * 60 + 5) / 1440.0;

void Put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray Get(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

DocumentRow Row(bool checked, const QStringList& values) {
    DocumentRow row;
    row.SourcePath = values.value(0);
    row.Checked = checked;
    for (const QString& v : values)
        row.Cells.push_back({QStringLiteral("shown ") + v, v});
    row.Cells[0].DisplayText = values.value(0); // the first column exports what is shown
    return row;
}

// Number; Amount; Date; Purpose with a space after ';'; a column that shares a piece.
DocumentTable Table() {
    DocumentTable t;
    t.Columns = {{u"Номер"_qs, u"Номер;Nomer"_qs},
                 {u"Сумма"_qs, u"Сумма;Summa"_qs},
                 {u"Дата"_qs, u"Дата;Data"_qs},
                 {u"Назначение"_qs, u"Назначение; Purpose"_qs},
                 {u"Ещё"_qs, u"Other;Nomer"_qs}};
    t.Rows = {Row(true, {"1", "1234.50", "2023-01-15", "Purpose: rent", "x"}),
              Row(false, {"2", "5", "2023-01-16", "skipped", "y"}),
              Row(true, {u"№3 {Назначение}"_qs, "7,5", "16.01.2023", "{Summa} back", "z"})};
    return t;
}
} // namespace

class TestExport : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    QString WriteConfig(const QByteArray& tpl) {
        Put(m_dir.filePath("CONFIG.INI"), "[organization]\r\nacc = 40702810900000000001 \r\n");
        Put(m_dir.filePath("t.txt.tpl"), tpl);
        return m_dir.filePath("t.txt.tpl");
    }

    ExportResult Export(const QString& out, const QString& tpl,
                        const DocumentTable& table = Table(), FormatSettings* used = nullptr) {
        FormatSettings formats;
        return BuildExportFile(out, table, tpl, ExportTime, INIStorage(m_dir.path()), TextCoder(Ru),
                               used ? *used : formats);
    }

private slots:
    void blocks_data() {
        QTest::addColumn<QString>("tpl");
        QTest::addColumn<QString>("expected");

        // Two rows are checked: the first and the third.
        QTest::newRow("empty template") << ""
                                        << "\r\n\r\n\r\n";
        QTest::newRow("header with every field")
            << "<header>\r\n{MakeDate} {makedate} {MAKETIME} {ACC}\r\n</header>"
            << "15.01.2023 15.01.2023 14:05 40702810900000000001\r\n\r\n\r\n";
        QTest::newRow("header fields only in the header")
            << "<header>h</header><document>{MakeDate}{ACC}</document><footer>{MakeDate}"
               "{Nomer}</footer>"
            << "h\r\n{MakeDate}{ACC}\r\n{MakeDate}{ACC}\r\n{MakeDate}{Nomer}";
        QTest::newRow("block tags are lower case")
            << "<Header>H</Header><document>{nomer}</document>"
            << u"\r\n1\r\n№3 {Summa} back\r\n"_qs;
        QTest::newRow("missing closing tag ends at the next") << "<header>H</x><footer>F</footer>"
                                                              << "H\r\n\r\n\r\nF";
        QTest::newRow("checked rows with every piece")
            << "<document>\r\n{Сумма};{Data};{NOMER}\r\n</document>"
            << u"\r\n1234,50;15.01.2023;1\r\n7,5;16.01.2023;№3 {Summa} back\r\n"_qs;
        QTest::newRow("formats block")
            << "<formats><decimal_separator>.</decimal_separator><date>yyyy-mm-dd</date>"
               "<time>hh-nn-ss</time></formats><header>{MakeDate} {MakeTime}</header>"
               "<document>{Summa}</document>"
            << "2023-01-15 14-05-00\r\n1234.50\r\n7.5\r\n";
        // Row 3's number holds the placeholder of a later column (filled again) and its purpose
        // the placeholder of an earlier one (left as it is).
        QTest::newRow("value holding placeholders")
            << "<document>{Nomer}|</document>" << u"\r\n1|\r\n№3 {Summa} back|\r\n"_qs;
        QTest::newRow("space after ';' belongs to the name")
            << "<document>{Purpose}{ Purpose}</document>"
            << "\r\n{Purpose}rent\r\n{Purpose}{Summa} back\r\n";
        QTest::newRow("shared piece filled by the first column")
            << "<document>{Nomer}{Other}</document>" << u"\r\n1x\r\n№3 {Summa} backz\r\n"_qs;
        QTest::newRow("nothing after the footer")
            << "<header></header><document>d</document><footer>\r\nEnd\r\n\r\n</footer>"
            << "\r\nd\r\nd\r\nEnd\r\n";
    }
    void blocks() {
        QFETCH(QString, tpl);
        QFETCH(QString, expected);
        const QString out = m_dir.filePath("out.txt");
        const ExportResult r = Export(out, WriteConfig(Cp1251::Encode(tpl)));
        QVERIFY2(r.Ok, qPrintable(r.Error));
        QCOMPARE(Get(out), Cp1251::Encode(expected));
    }

    // Braces of the block around a filled value make the placeholder of a later column.
    void nestedBracesFilledColumnByColumn() {
        DocumentTable table;
        table.Columns = {{"N", "N;N"}, {"Q", "Q;Q1X"}};
        table.Rows = {Row(true, {"1", "z"})};
        const QString out = m_dir.filePath("nested.txt");
        QVERIFY(Export(out, WriteConfig("<document>{Q{N}X}</document>"), table).Ok);
        QCOMPARE(Get(out), QByteArray("\r\nz\r\n"));
    }

    void noRowCheckedAndDefaultFormats() {
        DocumentTable table = Table();
        for (DocumentRow& row : table.Rows)
            row.Checked = false;
        const QString out = m_dir.filePath("none.txt");
        FormatSettings formats{"-", "-", "-"};
        QVERIFY(Export(out,
                       WriteConfig("<header>H</header><document>D</document><footer>F</footer>"),
                       table, &formats)
                    .Ok);
        QCOMPARE(Get(out), QByteArray("H\r\nF"));
        QCOMPARE(formats.DecimalSeparator, ","); // the locale's
        QCOMPARE(formats.DateFormat, "dd.MM.yyyy");
        QCOMPARE(formats.TimeFormat, "hh:mm");
    }

    void windows1251Output() {
        DocumentTable table = Table();
        table.Rows[0].Cells[3].RawValue = u"Оплата № 5 — аренда 中"_qs;
        const QString out = m_dir.filePath("cp.txt");
        QVERIFY(
            Export(out, WriteConfig(Cp1251::Encode(u"<document>{Назначение}</document>"_qs)), table)
                .Ok);
        QCOMPARE(Get(out), QByteArray("\r\n\xce\xef\xeb\xe0\xf2\xe0 \xb9 5 \x97 \xe0\xf0\xe5\xed"
                                      "\xe4\xe0 ?\r\n{Summa} back\r\n"));
    }

    void existingFileReplaced_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("writable") << false;
        QTest::newRow("read-only") << true;
    }
    void existingFileReplaced() {
        QFETCH(bool, readOnly);
        const QString out = m_dir.filePath(readOnly ? "ro.txt" : "rw.txt");
        Put(out, QByteArray(5000, 'o'));
        if (readOnly) QFile::setPermissions(out, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        QVERIFY(Export(out, WriteConfig("<header>new</header>")).Ok);
        QCOMPARE(Get(out), QByteArray("new\r\n\r\n\r\n"));
        // The new file keeps the old one's permissions.
        QCOMPARE(bool(QFileInfo(out).permissions() & QFileDevice::WriteOwner), !readOnly);
    }

    // Every failure is one line that names the path and says why.
    void failuresAreReported_data() {
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder as output") << "."
                                          << "folder";
        QTest::newRow("missing folder") << "no/such/out.txt"
                                        << "does not exist";
        QTest::newRow("folder that takes no files") << "/proc/vypiska-out.txt"
                                                    << "cannot";
    }
    void failuresAreReported() {
        QFETCH(QString, out);
        QFETCH(QString, reason);
        if (!out.startsWith(u'/')) out = m_dir.filePath(out);
        const ExportResult r = Export(out, WriteConfig("<header>H</header>"));
        QVERIFY(!r.Ok);
        QCOMPARE(r.Failure, ExportFailure::Output);
        QVERIFY2(r.Error.contains(QDir::toNativeSeparators(out)), qPrintable(r.Error));
        QVERIFY2(r.Error.contains(reason), qPrintable(r.Error));
        QVERIFY(!r.Error.contains(u'\n'));
    }

    void unwritableFolderKeepsOldFile() {
        if (::geteuid() == 0) QSKIP("an administrator writes into any folder");
        QTemporaryDir locked;
        const QString out = locked.filePath("out.txt");
        Put(out, "old");
        QFile::setPermissions(locked.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const ExportResult r = Export(out, WriteConfig("<header>H</header>"));
        QFile::setPermissions(locked.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ExeOwner);
        QVERIFY(!r.Ok);
        QCOMPARE(Get(out), QByteArray("old"));
    }

    // The write fails part-way: the process may not write a file beyond 4 KiB. A small statement
    // fails only when the write buffer is flushed, a large one in the write itself.
    void failureMidWriteKeepsOldFile_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("fails on flush") << 10000;
        QTest::newRow("fails on write") << 200000;
    }
    void failureMidWriteKeepsOldFile() {
        QFETCH(int, size);
        QTemporaryDir dir;
        const QString out = dir.filePath("out.txt");
        const QByteArray old = "old statement\r\n";
        Put(out, old);
        DocumentTable table = Table();
        table.Rows[0].Cells[3].RawValue = QString(size, u'ж');
        const QString tpl = WriteConfig(Cp1251::Encode(u"<document>{Назначение}</document>"_qs));

        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 4096;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const ExportResult r = Export(out, tpl, table);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(!r.Ok);
        QCOMPARE(r.Failure, ExportFailure::Output);
        QVERIFY2(r.Error.contains(out), qPrintable(r.Error));
        QCOMPARE(Get(out), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"out.txt"});
    }

    void unreadableTemplate() {
        const QString out = m_dir.filePath("kept.txt");
        Put(out, "old");
        const QString tpl = m_dir.filePath("missing.txt.tpl");
        const ExportResult r = Export(out, tpl);
        QVERIFY(!r.Ok);
        QCOMPARE(r.Failure, ExportFailure::Template);
        QVERIFY2(r.Error.contains(tpl), qPrintable(r.Error));
        QCOMPARE(Get(out), QByteArray("old"));
    }
};

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
