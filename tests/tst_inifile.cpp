#include "settings/INIStorage.h"
#include "text/Cp1251.h"

#include <QTemporaryDir>
#include <QtTest>
#include "TestMain.h"

#include "TestFiles.h"

namespace {
const QByteArray Missing = "<missing>"; // no file, as ReadFile() says

void Put(const QString& path, const QByteArray& bytes) {
    if (bytes != Missing) WriteFile(path, bytes);
}
} // namespace

class TestIniFile : public QObject {
    Q_OBJECT
private slots:
    // The stored text, or the default itself (42) when there is none or it is empty or blank.
    void read_data() {
        AddColumns<QByteArray, QString, QString, QVariant>({"file", "section", "key", "value"});
        auto row = [](const char* name, const QByteArray& file, const char* section,
                      const char* key, const QVariant& value) {
            QTest::newRow(name) << file << section << key << value;
        };
        const QString longValue = QString(300, u'Ж') + u"конец"_qs;
        row("no file", Missing, "S", "k", 42);
        row("names in any case, blanks dropped", " [Organization]\r\n ACC =\t40702810 \r\n",
            "ORGANIZATION", "acc", u"40702810"_qs);
        row("blank value", "[S]\r\nk= \t\r\n", "S", "k", 42);
        row("key of another section", "[A]\r\nk=1\r\n[B]\r\nj=2\r\n", "B", "k", 42);
        row("LF line ends, first of two keys", "[A]\nk=1\n[B]\nk=2\nK=3", "B", "k", u"2"_qs);
        row("comment is not a key", "[A]\r\n;k=1\r\nk=a=b\r\n", "A", "k", u"a=b"_qs);
        row("Windows-1251, Cyrillic names in any case",
            Cp1251::Encode(u"[Раздел]\r\nИмя=ООО «Ромашка»\r\n"_qs), "РАЗДЕЛ", "имя",
            u"ООО «Ромашка»"_qs);
        row("long value whole", Cp1251::Encode(u"[A]\r\nk="_qs + longValue), "A", "k", longValue);
    }
    void read() {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QTemporaryDir dir;
        Put(dir.filePath("CONFIG.INI"), file);
        const INIStorage ini(dir.path());
        QTEST(ini.ReadCustom(dir.filePath("CONFIG.INI"), section, key, 42), "value");
    }

    // User/GotoAfterSave: the file before and after. Files are limited to 1 KiB, so a longer value
    // fails part-way; a failed write leaves the old file (or none) and nothing beside it.
    void write_data() {
        AddColumns<QByteArray, QString, QByteArray>({"before", "value", "after"});
        auto row = [](const char* name, const QByteArray& before, const QString& value,
                      const QByteArray& after) { QTest::newRow(name) << before << value << after; };
        row("created on first write", Missing, "1", "[User]\r\nGotoAfterSave=1\r\n");
        row("value replaced, other lines kept byte for byte",
            "; note\n[USER]\r\n  gotoaftersave = 0  \r\nodd \x98\xff\nOther=x\r\n", "1",
            "; note\n[USER]\r\nGotoAfterSave=1\r\nodd \x98\xff\nOther=x\r\n");
        row("new key at the end of its section", "[user]\r\nk=1\r\n\r\n[B]\r\nj=2", "v",
            "[user]\r\nk=1\r\nGotoAfterSave=v\r\n\r\n[B]\r\nj=2");
        row("new section after a line without line end", "[A]\r\nk=1", "2",
            "[A]\r\nk=1\r\n[User]\r\nGotoAfterSave=2\r\n");
        row("Windows-1251 bytes", "", u"Да"_qs,
            Cp1251::Encode(u"[User]\r\nGotoAfterSave=Да\r\n"_qs));
        row("line break in a value cannot add a key", "", "a\r\nACC=1",
            "[User]\r\nGotoAfterSave=a  ACC=1\r\n");
        row("fails on write", Missing, QString(100000, u'x'), Missing);
    }
    void write() {
        QFETCH(QByteArray, before);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        Put(dir.filePath("USER.INI"), before);
        const bool written = [&] {
            const FileSizeLimit limit(1024);
            return INIStorage(dir.path()).WriteVal(User, "GotoAfterSave", value);
        }();
        QCOMPARE(written, after != before);
        QCOMPARE(ReadFile(dir.filePath("USER.INI")), after);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 after == Missing ? QStringList() : QStringList{"USER.INI"});
    }

    // Main and Organization share CONFIG.INI; a refused write keeps the stored value.
    void storage() {
        QTemporaryDir dir;
        const INIStorage ini(dir.path() + u'/');
        QVERIFY(ini.WriteVal(Organization, "ACC", "40702810900000000001"));
        QCOMPARE(ReadFile(dir.filePath("CONFIG.INI")),
                 "[Organization]\r\nACC=40702810900000000001\r\n");
        QCOMPARE(ini.ReadVal(Main, "ACC", 0), QVariant(0));
        QVERIFY(!INIStorage(dir.filePath("no")).WriteVal(User, "GotoAfterSave", 1));
        QVERIFY(!QFileInfo::exists(dir.filePath("no")));
        QFile::setPermissions(dir.filePath("CONFIG.INI"), QFileDevice::ReadOwner); // refused
        QVERIFY(!ini.WriteVal(Organization, "ACC", "1"));
        QCOMPARE(ini.ReadVal(Organization, "ACC", 0), QVariant(u"40702810900000000001"_qs));
    }
};

VYPISKA_TEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
