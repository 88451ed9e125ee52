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
        QTest::addColumn<QString>("value"); // "<none>": not found

        const QString longValue = QString(300, u'Ж') + u"конец"_qs;
        QTest::newRow("names in any case, blanks dropped")
            << QByteArray(" [Organization]\r\n ACC =\t40702810 \r\n") << "ORGANIZATION"
            << "acc"
            << "40702810";
        QTest::newRow("empty value") << QByteArray("[S]\r\nk=\r\n") << "S"
                                     << "k"
                                     << "";
        QTest::newRow("missing key") << QByteArray("[S]\r\nj=1\r\n") << "S"
                                     << "k"
                                     << "<none>";
        QTest::newRow("key of another section") << QByteArray("[A]\r\nk=1\r\n[B]\r\nj=2\r\n") << "B"
                                                << "k"
                                                << "<none>";
        QTest::newRow("LF line ends, first of two keys")
            << QByteArray("[A]\nk=1\n[B]\nk=2\nK=3") << "B"
            << "k"
            << "2";
        QTest::newRow("comment is not a key") << QByteArray("[A]\r\n;k=1\r\nk=a=b\r\n") << "A"
                                              << "k"
                                              << "a=b";
        QTest::newRow("Windows-1251, Cyrillic names in any case")
            << Win(u"[Раздел]\r\nИмя=ООО «Ромашка»\r\n"_qs) << u"РАЗДЕЛ"_qs << u"имя"_qs
            << u"ООО «Ромашка»"_qs;
        QTest::newRow("long value whole") << Win(u"[A]\r\nk="_qs + longValue + u"\r\n"_qs) << "A"
                                          << "k" << longValue;
    }
    void read() {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QTemporaryDir dir;
        Put(dir.filePath("CONFIG.INI"), file);
        QCOMPARE(IniFile(dir.filePath("CONFIG.INI")).Read(section, key).value_or("<none>"), value);
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
        QTest::newRow("value replaced, other lines kept byte for byte")
            << QByteArray("; note\n[User]\r\n  gotoaftersave = 0  \r\nodd \x98\xff\nOther=x\r\n")
            << "USER"
            << "GotoAfterSave"
            << "1" << QByteArray("; note\n[User]\r\nGotoAfterSave=1\r\nodd \x98\xff\nOther=x\r\n");
        QTest::newRow("new key at the end of its section")
            << QByteArray("[A]\r\nk=1\r\n\r\n[B]\r\nj=2") << "a"
            << "New"
            << "v" << QByteArray("[A]\r\nk=1\r\nNew=v\r\n\r\n[B]\r\nj=2");
        QTest::newRow("new section after a line without line end")
            << QByteArray("[A]\r\nk=1") << "B"
            << "j"
            << "2" << QByteArray("[A]\r\nk=1\r\n[B]\r\nj=2\r\n");
        QTest::newRow("Windows-1251 bytes")
            << QByteArray() << "Organization"
            << "Name" << u"ООО Ромашка"_qs << Win(u"[Organization]\r\nName=ООО Ромашка\r\n"_qs);
        QTest::newRow("line break in a value cannot add a key")
            << QByteArray() << "Organization"
            << "Name"
            << "a\r\nACC=1" << QByteArray("[Organization]\r\nName=a  ACC=1\r\n");
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
    }

    void refusedWritesChangeNothing() {
        QTemporaryDir dir;
        const QString missing = dir.filePath("no/such/USER.INI");
        QVERIFY(!IniFile(missing).Write("User", "GotoAfterSave", "1"));
        QVERIFY(!QFile::exists(missing));

        const QString readOnly = dir.filePath("CONFIG.INI");
        Put(readOnly, "[A]\r\nk=1\r\n");
        QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        QVERIFY(!IniFile(readOnly).Write("A", "k", "2"));
        QCOMPARE(Get(readOnly), QByteArray("[A]\r\nk=1\r\n"));
    }

    // The process may not write a file beyond 1 KiB: the write fails part-way, when the write
    // buffer is flushed or in the write itself. The old file stays whole, no stray file is left.
    void failedWriteKeepsOldFile_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("fails on flush") << 3000;
        QTest::newRow("fails on write") << 100000;
    }
    void failedWriteKeepsOldFile() {
        QFETCH(int, size);
        QTemporaryDir dir;
        const QString path = dir.filePath("CONFIG.INI");
        Put(path, "[Organization]\r\nName=old\r\n");

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
        QCOMPARE(Get(path), QByteArray("[Organization]\r\nName=old\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"CONFIG.INI"});
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
