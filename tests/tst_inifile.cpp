#include "settings/IniFile.h"
#include "text/Cp1251.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {
QByteArray Win(const QString& text) {
    return Cp1251::Encode(text);
}

void Put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray Get(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
} // namespace

class TestIniFile : public QObject {
    Q_OBJECT
private slots:
    void read_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("value");

        const QByteArray org = "[Organization]\r\nName=X\r\nACC = 40702810 \r\n";
        QTest::newRow("names in any case") << org << "ORGANIZATION"
                                           << "acc" << true << "40702810";
        QTest::newRow("tabs and spaces around value") << QByteArray("[S]\r\nk=\t v w \t\r\n") << "S"
                                                      << "k" << true << "v w";
        QTest::newRow("blanks around names") << QByteArray(" [ S ] \r\n  k  = v\r\n") << "s"
                                             << "K" << true << "v";
        QTest::newRow("empty value") << QByteArray("[S]\r\nk=\r\n") << "S"
                                     << "k" << true << "";
        QTest::newRow("missing key") << org << "Organization"
                                     << "INN" << false << "";
        QTest::newRow("missing section") << org << "User"
                                         << "Name" << false << "";
        QTest::newRow("key of another section") << QByteArray("[A]\r\nk=1\r\n[B]\r\nj=2\r\n") << "B"
                                                << "k" << false << "";
        QTest::newRow("LF line ends") << QByteArray("[A]\nk=1\n[B]\nk=2\n") << "B"
                                      << "k" << true << "2";
        QTest::newRow("no line end at the end") << QByteArray("[A]\r\nk=1") << "A"
                                                << "k" << true << "1";
        QTest::newRow("comment is not a key") << QByteArray("[A]\r\n;k=1\r\nk=2\r\n") << "A"
                                              << "k" << true << "2";
        QTest::newRow("first key of two") << QByteArray("[A]\r\nk=1\r\nK=2\r\n") << "A"
                                          << "k" << true << "1";
        QTest::newRow("equals sign inside value") << QByteArray("[A]\r\nk=a=b\r\n") << "A"
                                                  << "k" << true << "a=b";
        QTest::newRow("Windows-1251")
            << Win(u"[Organization]\r\nName=ООО «Ромашка»\r\n"_qs) << "Organization"
            << "Name" << true << u"ООО «Ромашка»"_qs;
        QTest::newRow("Cyrillic names in any case")
            << Win(u"[Раздел]\r\nКлюч=1\r\n"_qs) << u"РАЗДЕЛ"_qs << u"ключ"_qs << true << "1";
        const QString longValue = QString(300, u'Ж') + u"конец"_qs;
        QTest::newRow("long value whole") << Win(u"[A]\r\nk="_qs + longValue + u"\r\n"_qs) << "A"
                                          << "k" << true << longValue;
    }
    void read() {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(bool, found);
        QFETCH(QString, value);
        QTemporaryDir dir;
        const QString path = dir.filePath("CONFIG.INI");
        Put(path, file);
        const std::optional<QString> got = IniFile(path).Read(section, key);
        QCOMPARE(got.has_value(), found);
        if (found) QCOMPARE(*got, value);
    }

    void readMissingFile() {
        QTemporaryDir dir;
        QVERIFY(!IniFile(dir.filePath("none.ini")).Read("A", "k"));
    }

    void write_data() {
        QTest::addColumn<QByteArray>("before"); // "<missing>": no file
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("created on first write")
            << QByteArray("<missing>") << "User"
            << "GotoAfterSave"
            << "1" << QByteArray("[User]\r\nGotoAfterSave=1\r\n");
        QTest::newRow("value replaced, other lines kept")
            << QByteArray("; settings\n[User]\r\n  gotoaftersave = 0  \r\nodd line\nOther=x\r\n")
            << "USER"
            << "GotoAfterSave"
            << "1" << QByteArray("; settings\n[User]\r\nGotoAfterSave=1\r\nodd line\nOther=x\r\n");
        QTest::newRow("new key goes to the end of its section")
            << QByteArray("[A]\r\nk=1\r\n\r\n[B]\r\nj=2\r\n") << "a"
            << "New"
            << "v" << QByteArray("[A]\r\nk=1\r\nNew=v\r\n\r\n[B]\r\nj=2\r\n");
        QTest::newRow("new section after a last line without line end")
            << QByteArray("[A]\r\nk=1") << "B"
            << "j"
            << "2" << QByteArray("[A]\r\nk=1\r\n[B]\r\nj=2\r\n");
        QTest::newRow("key added to last section without line end")
            << QByteArray("[A]\r\nk=1") << "A"
            << "j"
            << "2" << QByteArray("[A]\r\nk=1\r\nj=2\r\n");
        QTest::newRow("only the first section of a name changes")
            << QByteArray("[A]\r\nk=1\r\n[A]\r\nk=2\r\n") << "A"
            << "k"
            << "3" << QByteArray("[A]\r\nk=3\r\n[A]\r\nk=2\r\n");
        QTest::newRow("Windows-1251 bytes")
            << QByteArray() << "Organization"
            << "Name" << u"ООО Ромашка"_qs << Win(u"[Organization]\r\nName=ООО Ромашка\r\n"_qs);
        QTest::newRow("line break in value cannot add a key")
            << QByteArray() << "Organization"
            << "Name"
            << "a\r\nACC=1" << QByteArray("[Organization]\r\nName=a  ACC=1\r\n");
        QTest::newRow("undefined Windows-1251 byte in another line kept")
            << QByteArray("[A]\r\nx=\x98\xff\r\n") << "A"
            << "k"
            << "1" << QByteArray("[A]\r\nx=\x98\xff\r\nk=1\r\n");
    }
    void write() {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString path = dir.filePath("USER.INI");
        if (before != "<missing>") Put(path, before);
        QVERIFY(IniFile(path).Write(section, key, value));
        QCOMPARE(Get(path), after);
        const QString stored = QString(value).replace(u'\r', u' ').replace(u'\n', u' ');
        QCOMPARE(IniFile(path).Read(section, key).value_or("<none>"), stored);
    }

    void writeToMissingFolderFails() {
        QTemporaryDir dir;
        const QString path = dir.filePath("no/such/USER.INI");
        QVERIFY(!IniFile(path).Write("User", "GotoAfterSave", "1"));
        QVERIFY(!QFile::exists(path));
    }

    void readOnlyFileIsNotChanged() {
        QTemporaryDir dir;
        const QString path = dir.filePath("CONFIG.INI");
        Put(path, "[A]\r\nk=1\r\n");
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        QVERIFY(!IniFile(path).Write("A", "k", "2"));
        QCOMPARE(Get(path), QByteArray("[A]\r\nk=1\r\n"));
    }

    // A write that fails part-way (here: the process may not write a file beyond 1 KiB) must
    // leave the old file whole and no stray temporary file beside it, whether it fails when the
    // write buffer is flushed or in the write itself.
    void failedWriteKeepsOldFile_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("fails on flush") << 3000;
        QTest::newRow("fails on write") << 100000;
    }
    void failedWriteKeepsOldFile() {
        QFETCH(int, size);
        QTemporaryDir dir;
        const QString path = dir.filePath("CONFIG.INI");
        const QByteArray old = "[Organization]\r\nName=old\r\n";
        Put(path, old);

        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool written = IniFile(path).Write("Organization", "Name", QString(size, u'x'));
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(!written);
        QCOMPARE(Get(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"CONFIG.INI"});
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
