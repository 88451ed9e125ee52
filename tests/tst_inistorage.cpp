#include "settings/INIStorage.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
void Put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
} // namespace

class TestIniStorage : public QObject {
    Q_OBJECT
private slots:
    void paths_data() {
        QTest::addColumn<QString>("suffix");
        QTest::newRow("no trailing separator") << "";
        QTest::newRow("trailing slash") << "/";
    }
    void paths() {
        QFETCH(QString, suffix);
        QTemporaryDir dir;
        const INIStorage ini(dir.path() + suffix);
        QCOMPARE(ini.MainIniFile(), dir.path() + "/CONFIG.INI");
        QCOMPARE(ini.UserIniFile(), dir.path() + "/USER.INI");
        QCOMPARE(ini.SectionFile(Main), ini.MainIniFile());
        QCOMPARE(ini.SectionFile(Organization), ini.MainIniFile());
        QCOMPARE(ini.SectionFile(User), ini.UserIniFile());
    }

    void otherSectionIndexesRefused_data() {
        QTest::addColumn<int>("section");
        QTest::newRow("-1") << -1;
        QTest::newRow("3") << 3;
    }
    void otherSectionIndexesRefused() {
        QFETCH(int, section);
        QTemporaryDir dir;
        INIStorage ini(dir.path());
        QVERIFY_THROWS_EXCEPTION(IniSectionError, ini.SectionName(section));
        QVERIFY_THROWS_EXCEPTION(IniSectionError, ini.ReadVal(section, "k", 0));
        QVERIFY_THROWS_EXCEPTION(IniSectionError, ini.WriteVal(section, "k", 1));
        QVERIFY(!QFile::exists(ini.UserIniFile()));
    }

    // The default comes back itself, type and all, whenever there is no text to give.
    void defaultForMissingOrEmpty_data() {
        QTest::addColumn<QByteArray>("config"); // "<missing>": no CONFIG.INI
        QTest::newRow("no file") << QByteArray("<missing>");
        QTest::newRow("no section") << QByteArray("[Main]\r\nACC=1\r\n");
        QTest::newRow("no key") << QByteArray("[Organization]\r\nINN=1\r\n");
        QTest::newRow("empty value") << QByteArray("[Organization]\r\nACC=\r\n");
        QTest::newRow("blank value") << QByteArray("[Organization]\r\nACC=  \t \r\n");
    }
    void defaultForMissingOrEmpty() {
        QFETCH(QByteArray, config);
        QTemporaryDir dir;
        if (config != "<missing>") Put(dir.filePath("CONFIG.INI"), config);
        const INIStorage ini(dir.path());
        const QVariant got = ini.ReadVal(Organization, "ACC", 42);
        QCOMPARE(got.typeId(), QMetaType::Int);
        QCOMPARE(got.toInt(), 42);
    }

    void sectionsGoToTheirFiles() {
        QTemporaryDir dir;
        INIStorage ini(dir.path());
        QVERIFY(ini.WriteVal(User, "GotoAfterSave", 1));
        QVERIFY(ini.WriteVal(Organization, "ACC", " 40702810900000000001 "));
        QCOMPARE(ini.ReadVal(User, "gotoaftersave", 0).toString(), "1");
        QCOMPARE(ini.ReadVal(Organization, "acc", "").toString(), "40702810900000000001");
        QCOMPARE(ini.ReadVal(Main, "ACC", "none").toString(), "none");
        QCOMPARE(ini.ReadCustom(ini.UserIniFile(), "USER", "GotoAfterSave", 0).toString(), "1");

        // Redirecting the main file leaves the user file where it was.
        ini.SetMainIniFile(dir.filePath("other.ini"));
        QCOMPARE(ini.ReadVal(Organization, "ACC", "none").toString(), "none");
        QCOMPARE(ini.ReadVal(User, "GotoAfterSave", 0).toString(), "1");
    }

    void writeWithoutFolderFails() {
        QTemporaryDir dir;
        const INIStorage ini(dir.filePath("CONFIG"));
        QVERIFY(!ini.WriteVal(User, "GotoAfterSave", 1));
        QCOMPARE(ini.ReadVal(User, "GotoAfterSave", 0).toInt(), 0);
    }

    void gotoAfterSave_data() {
        QTest::addColumn<QByteArray>("user"); // "<missing>": no USER.INI
        QTest::addColumn<bool>("on");
        QTest::newRow("no file") << QByteArray("<missing>") << false;
        QTest::newRow("1") << QByteArray("[User]\r\nGotoAfterSave=1\r\n") << true;
        QTest::newRow("1.0 is one") << QByteArray("[User]\r\nGotoAfterSave=1.0\r\n") << true;
        QTest::newRow("0") << QByteArray("[User]\r\nGotoAfterSave=0\r\n") << false;
        QTest::newRow("2") << QByteArray("[User]\r\nGotoAfterSave=2\r\n") << false;
        QTest::newRow("empty") << QByteArray("[User]\r\nGotoAfterSave=\r\n") << false;
        QTest::newRow("a word") << QByteArray("[User]\r\nGotoAfterSave=yes\r\n") << false;
    }
    void gotoAfterSave() {
        QFETCH(QByteArray, user);
        QFETCH(bool, on);
        QTemporaryDir dir;
        if (user != "<missing>") Put(dir.filePath("USER.INI"), user);
        QCOMPARE(GotoAfterSaveOn(INIStorage(dir.path())), on);
    }

    void flagsAreStoredAsDigits() {
        QTemporaryDir dir;
        const INIStorage ini(dir.path());
        QVERIFY(ini.WriteVal(User, "GotoAfterSave", true));
        QVERIFY(GotoAfterSaveOn(ini));
        QVERIFY(ini.WriteVal(User, "GotoAfterSave", false));
        QVERIFY(!GotoAfterSaveOn(ini));
        QFile f(ini.UserIniFile());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("[User]\r\nGotoAfterSave=0\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestIniStorage)
#include "tst_inistorage.moc"
