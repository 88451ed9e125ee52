#include "text/Cp1251.h"
#include "text/DateParse.h"
#include "text/SafeWrite.h"
#include "text/TextCoder.h"

#include <QDate>
#include <QRegularExpression>
#include <QTemporaryDir>
#include "TestMain.h"

#include "TestFiles.h"

#include <atomic>
#include <cmath>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {
const QLocale Ru(QLocale::Russian, QLocale::Russia);
const QLocale En(QLocale::English, QLocale::UnitedStates);

const QByteArray All = [] {
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(char(i));
    return bytes;
}();
QDateTime Iso(const QString& text) {
    return QDateTime::fromString(text, Qt::ISODate);
}

// One text operation by name, under the Russian locale unless the name ends in another.
QString Apply(const QString& op, const QString& a, const QString& b) {
    TextCoder c(op.endsWith("En") ? En : Ru);
    const QLocale& l = c.Locale();
    const QMap<QString, std::function<QString()>> ops{
        {"ReadTag", [&] { return c.ReadTag(a, b); }},
        {"GetExt", [&] { return c.GetExt(a); }},
        {"GetName", [&] { return c.GetName(a); }},
        {"OnlyName", [&] { return c.OnlyName(a); }},
        {"UnicPart", [&] { return c.GetFnameUnicPart(a); }},
        {"RulePath", [&] { return c.RulePath(a); }},
        {"Cp1251",
         [&] { return Cp1251::Encode(a).toHex() + (Cp1251::CanEncode(a) ? "" : " partial"); }},
        {"Cp1251Dec", [&] { return Cp1251::Decode(QByteArray::fromHex(a.toLatin1())); }},
        {"Date", [&] { return GeneralDateText(ParseDateText(a, l).value_or(NAN), Ru); }},
        {"General", [&] { return GeneralDateText(a.toDouble(), l); }},
        {"Ole", [&] { return QString::number(OleDateFromDateTime(Iso(a)), 'g', 12); }},
        {"FromOle", [&] { return DateTimeFromOleDate(a.toDouble()).toString(Qt::ISODate); }}};
    const QString base = QString(op).remove(QRegularExpression("En$"));
    return ops.value(base, [] { return QString("<unknown operation>"); })();
}
} // namespace

class TestTextCoder : public QObject {
    Q_OBJECT
private slots:
    void texts_data() {
        AddColumns<QString, QString, QString, QString>({"op", "a", "b", "expected"});
        const std::initializer_list<std::array<QString, 4>> rows{
            {"ReadTag", "<a><b>12</b></a>", "a", "<b>12</b>"},
            {"ReadTag", "<b>\r\n\r\nx\r\n\r\n</b>", "b", "\r\nx\r\n"},
            {"ReadTag", "<b>x</c>", "b", "x"},
            {"ReadTag", "<b><b>1</b></b>", "b", "<b>1"},
            {"ReadTag", "<bb>1</bb><b>2</b>", "b", "2"},
            {"GetExt", "file.abcdefghijk", "", ""},
            {"GetExt", "C:\\old.dir\\file", "", "dir\\file"},
            {"GetExt", ".xml", "", "xml"},
            {"GetName", "C:\\in\\", "", "in"},
            {"GetName", "C:\\in/sub\\doc.xml", "", "doc.xml"},
            {"OnlyName", "doc.final.xml", "", "doc.final"},
            {"OnlyName", "readme", "", "readme"},
            {"UnicPart", "C:\\in\\pay_20240101_0042.xml", "", "0042"},
            {"UnicPart", "/in/a_b/pay_7.xml", "", "7"},
            {"RulePath", "C:\\in", "", "C:\\in\\"},
            {"RulePath", "", "", "/"},
            {"Ole", "1899-12-29T06:00:00", "", "-1.25"},
            {"FromOle", "-1.25", "", "1899-12-29T06:00:00"},
            {"Date", "  5.1.2023 ", "", "05.01.2023"},
            {"Date", "01.02.29", "", "01.02.2029"},
            {"Date", "01.02.30", "", "01.02.1930"},
            {"Date", "2023-01-15T10:30:15.250+03:00", "", "15.01.2023 10:30:15"},
            {"DateEn", "1/15/45", "", "15.01.1945"},
            {"DateEn", "1/15/23 3:30 PM", "", "15.01.2023 15:30:00"},
            {"GeneralEn", "44941.75", "", "1/15/23 6:00:00 PM"},
            {"General", "nan", "", ""},
            {"Cp1251", u"При№€\u001A"_qs, "", "cff0e8b9881a"},
            {"Cp1251", u"a中b"_qs, "", "613f62 partial"},
            {"Cp1251", u"x😀y"_qs, "", "783f79 partial"},
            {"Cp1251Dec", "c0ffb988", "", u"Ая№€"_qs},
        };
        for (const auto& r : rows)
            QTest::addRow("%s %s", qPrintable(r[0]), qPrintable(r[1]))
                << r[0] << r[1] << r[2] << r[3];
        // NUL is the one character never written: it would cut the line short in the reader.
        QTest::newRow("Cp1251 every byte, NUL as '?'")
            << "Cp1251" << Cp1251::Decode(All) << ""
            << QString("3f" + All.mid(1).toHex() + " partial");
        const auto same = [](const char* op, std::initializer_list<QString> inputs, QString out) {
            for (const QString& in : inputs)
                QTest::addRow("%s %s", op, qPrintable(in)) << op << in << "" << out;
        };
        // Texts that are no date: amounts, impossible days and times, other forms.
        same("Date",
             {"12", u"1\u00A0234,50\u00A0₽"_qs, "2023-02-30", "31.04.2023", "2023-01",
              "15.01.2023 10:60", "24:00", "12:5", "10:30 x", "15.01.202", "", "1/15/23",
              "0000-01-01", "2023.01.15"},
             "");
        same("DateEn", {"1,234.50", "13/15/23", "2/30/23", "1/15"}, "");
    }
    void texts() {
        QFETCH(QString, op);
        QFETCH(QString, a);
        QFETCH(QString, b);
        QTEST(Apply(op, a, b), "expected");
    }

    // The one safe write, by what stands at the path: a regular file is replaced whole keeping its
    // mode, a link's target is written and the link stays, a device or a pipe is written into; a
    // failure leaves the old file byte for byte and nothing beside it.
    void safeWrite_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("settings"); // a read-only file is refused rather than replaced
        QTest::addColumn<QString>("error"); // a word of it; empty: written
        QTest::newRow("regular") << "regular" << false << "";
        QTest::newRow("new file") << "new" << false << "";
        QTest::newRow("read-only statement") << "read-only" << false << "";
        QTest::newRow("read-only settings") << "read-only" << true << "только для чтения";
        QTest::newRow("link chain") << "link chain" << false << "";
        QTest::newRow("link into a missing folder") << "link to missing" << false << "missing";
        QTest::newRow("folder in the way") << "folder" << false << "папка";
        QTest::newRow("folder that takes no files") << "/proc" << false << "/proc";
        QTest::newRow("device") << "device" << false << "";
        QTest::newRow("pipe") << "pipe" << false << "";
        QTest::newRow("socket") << "socket" << false << "не обычный файл";
        QTest::newRow("size limit") << "size limit" << false << "прежний файл не тронут";
        QTest::newRow("racing writers onto a read-only file") << "racing" << false << "";
    }
    void safeWrite() {
        QFETCH(QString, target);
        QFETCH(bool, settings);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString old = WriteFile(dir.filePath("real/o"), "old"), node = dir.filePath("node");
        const QByteArray bytes(10000, 'n'), name = QFile::encodeName(node);
        const int mode = target == "read-only" || target == "racing" ? 0444 : 0640;
        QCOMPARE(chmod(QFile::encodeName(old).constData(), mode_t(mode)), 0);
        QString path = old;
        int reader = -1, socket = -1;
        if (target == "new") path = dir.filePath("real/n");
        if (target == "folder") QVERIFY(QDir().mkpath(path = dir.filePath("real/d")));
        if (target == "/proc") path = "/proc/vypiska-out.txt";
        if (target.startsWith("link")) { // relative, and through a second link
            QVERIFY(QFile::link(target == "link chain" ? "real/o" : "missing/o", dir.filePath("f")));
            QVERIFY(QFile::link("f", path = dir.filePath("l")));
        }
        if (target == "device" && mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("making a device needs root"); // a /dev/null of our own
        if (target == "pipe") {
            QCOMPARE(mkfifo(name.constData(), 0600), 0);
            QVERIFY((reader = open(name.constData(), O_RDONLY | O_NONBLOCK)) >= 0);
        }
        if (target == "socket") {
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            qstrncpy(address.sun_path, name.constData(), sizeof address.sun_path);
            socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
            QCOMPARE(bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        }
        if (QStringList{"device", "pipe", "socket"}.contains(target)) path = node;
        const auto listing = [&] {
            QStringList names = Listing(dir.path()) + Listing(dir.filePath("real"));
            return names.sort(), names;
        };
        QStringList left = listing();
        if (target == "new") left = QStringList{"n", "o", "real"};
        QString why;
        bool ok = true;
        if (target == "racing") {
            std::vector<std::thread> writers;
            std::atomic<int> failed{0};
            for (int i = 0; i < 20; ++i)
                writers.emplace_back([&] {
                    failed += !WriteFileAtomically(path, bytes, ReadOnlyTarget::Replace);
                });
            for (std::thread& writer : writers)
                writer.join();
            ok = failed == 0;
        } else {
            std::optional<FileSizeLimit> limit;
            if (target == "size limit") limit.emplace(4096);
            ok = WriteFileAtomically(
                path, bytes, settings ? ReadOnlyTarget::Refuse : ReadOnlyTarget::Replace, &why);
        }
        QVERIFY2(ok == error.isEmpty() && why.contains(error), qPrintable(why));
        QCOMPARE(listing(), left);
        QCOMPARE(ReadFile(target == "new" ? path : old), ok && path != node ? bytes : "old");
        struct stat st {};
        QCOMPARE(stat(QFile::encodeName(old).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 07777), mode);
        if (target.startsWith("link")) QVERIFY(QFileInfo(path).isSymLink());
        if (reader >= 0) {
            QByteArray got(1 << 16, '\0');
            got.resize(std::max<qsizetype>(read(reader, got.data(), got.size()), 0));
            QCOMPARE(got, bytes);
            close(reader);
        }
        if (socket >= 0) close(socket);
        if (path == node) QVERIFY(QFileInfo(node).exists() && !QFileInfo(node).isFile());
    }
};

VYPISKA_TEST_APPLESS_MAIN(TestTextCoder)
#include "tst_textcoder.moc"
