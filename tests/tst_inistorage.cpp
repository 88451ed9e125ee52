#include "settings/INIStorage.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestIniStorage : public QObject {
    Q_OBJECT
private slots:
    void pathsAndSections() {
        QTemporaryDir dir;
        for (const QString& configDir : {dir.path(), dir.path() + u'/'}) {
            const INIStorage ini(configDir);
            QCOMPARE(ini.SectionFile(Organization), dir.path() + "/CONFIG.INI");
            QCOMPARE(ini.SectionFile(Main), ini.MainIniFile());
            QCOMPARE(ini.SectionFile(User), dir.path() + "/USER.INI");
        }
        INIStorage ini(dir.path());
        QVERIFY_THROWS_EXCEPTION(IniSectionError, ini.ReadVal(3, "k", 0));
        QVERIFY_THROWS_EXCEPTION(IniSectionError, ini.WriteVal(-1, "k", 1));

        QVERIFY(ini.WriteVal(User, "GotoAfterSave", 1));
        QVERIFY(ini.WriteVal(Organization, "ACC", " 40702810900000000001 "));
        QCOMPARE(ini.ReadVal(Organization, "acc", "").toString(), "40702810900000000001");
        QCOMPARE(ini.ReadVal(Main, "ACC", "none").toString(), "none");
        QCOMPARE(ini.ReadCustom(ini.UserIniFile(), "USER", "GotoAfterSave", 0).toString(), "1");
        // Redirecting the main file leaves the user file where it was.
        ini.SetMainIniFile(dir.filePath("other.ini"));
        QCOMPARE(ini.ReadVal(Organization, "ACC", "none").toString(), "none");
        QCOMPARE(ini.ReadVal(User, "GotoAfterSave", 0).toString(), "1");

        QVERIFY(!INIStorage(dir.filePath("CONFIG")).WriteVal(User, "GotoAfterSave", 1));
    }

    // The default comes back itself, type and all, whenever there is no text to give; the
    // go-to-file flag is on only for a value that is numerically 1.
    void defaults_data() {
        QTest::addColumn<QByteArray>("user"); // "<missing>": no USER.INI
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("isDefault");
        QTest::newRow("no file") << QByteArray("<missing>") << false << true;
        QTest::newRow("no section") << QByteArray("[Main]\r\nGotoAfterSave=1\r\n") << false << true;
        QTest::newRow("empty value") << QByteArray("[User]\r\nGotoAfterSave=\r\n") << false << true;
        QTest::newRow("blank value")
            << QByteArray("[User]\r\nGotoAfterSave= \t\r\n") << false << true;
        QTest::newRow("1") << QByteArray("[User]\r\nGotoAfterSave=1\r\n") << true << false;
        QTest::newRow("1.0") << QByteArray("[User]\r\nGotoAfterSave=1.0\r\n") << true << false;
        QTest::newRow("0") << QByteArray("[User]\r\nGotoAfterSave=0\r\n") << false << false;
        QTest::newRow("a word") << QByteArray("[User]\r\nGotoAfterSave=yes\r\n") << false << false;
    }
    void defaults() {
        QFETCH(QByteArray, user);
        QFETCH(bool, on);
        QFETCH(bool, isDefault);
        QTemporaryDir dir;
        QFile f(dir.filePath("USER.INI"));
        if (user != "<missing>") {
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(user);
            f.close();
        }
        const INIStorage ini(dir.path());
        QCOMPARE(GotoAfterSaveOn(ini), on);
        QCOMPARE(ini.ReadVal(User, "GotoAfterSave", 42) == QVariant(42), isDefault);
        // A flag is stored as 1 or 0.
        QVERIFY(ini.WriteVal(User, "GotoAfterSave", !on));
        QCOMPARE(GotoAfterSaveOn(ini), !on);
    }
};

QTEST_GUILESS_MAIN(TestIniStorage)
#include "tst_inistorage.moc"
