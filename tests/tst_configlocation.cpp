// Where the settings live: beside the executable (a portable copy) or in the user's folder made
// from the installed defaults. Real folders, and the real vypiska-cli copied into them.
#include "settings/ConfigLocation.h"
#include "settings/SettingsUpgrade.h"

#include <QtTest>
#include "TestMain.h"

#include "TestFiles.h"

using namespace Qt::StringLiterals;

namespace {

// A prefix as installed: PREFIX/bin (the programs), PREFIX/share/vypiska/CONFIG (the defaults),
// and HOME/Vypiska/CONFIG as the user's folder. layout names what exists:
// "beside" a writable CONFIG/ in bin, "beside-ro" a read-only one, "share" the installed
// defaults, "user" a user's folder of its own, "home-file" a file where the user's folder's
// parent should be.
struct Layout {
    explicit Layout(const QStringList& parts) {
        for (const QString& part : parts) {
            if (part.startsWith("beside")) WriteFile(Bin() + "/CONFIG/TAG.INI", "beside");
            if (part == "beside-ro")
                QFile::setPermissions(Bin() + "/CONFIG",
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            if (part == "share") {
                WriteFile(Share() + "/TAG.INI", "installed");
                WriteFile(Share() + u"/Выписка.txt.tpl"_s, "template");
            }
            if (part == "user") WriteFile(User() + "/TAG.INI", "mine");
            if (part == "home-file") WriteFile(dir.filePath("home"), "not a folder");
        }
        QDir().mkpath(Bin());
    }
    ~Layout() {
        QFile::setPermissions(Bin() + "/CONFIG", QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                     QFileDevice::ExeOwner);
    }
    QString Bin() const { return dir.filePath("prefix/bin"); }
    QString Share() const { return dir.filePath("prefix/share/vypiska/CONFIG"); }
    QString User() const { return dir.filePath("home/Vypiska/CONFIG"); }
    QString Path(const QString& name) const {
        return QString(name)
            .replace("BIN", Bin())
            .replace("SHARE", Share())
            .replace("USER", User());
    }
    QTemporaryDir dir;
};

} // namespace

class TestConfigLocation : public QObject {
    Q_OBJECT
private slots:
    void resolve_data() {
        QTest::addColumn<QStringList>("layout");
        QTest::addColumn<QString>("dir");       // the folder chosen
        QTest::addColumn<QByteArray>("tagIni"); // what its TAG.INI holds afterwards
        QTest::addColumn<bool>("problem");
        auto row = [](const char* name, const char* layout, const char* dir, const char* tagIni,
                      bool problem = false) {
            QTest::newRow(name) << QString(layout).split(' ', Qt::SkipEmptyParts) << dir
                                << QByteArray(tagIni) << problem;
        };
        row("portable copy", "beside share", "BIN/CONFIG/", "beside");
        row("installed: first start copies the defaults", "share", "USER/", "installed");
        row("read-only beside: the user's folder", "beside-ro share", "USER/", "installed");
        row("read-only beside and nothing installed: copied from it", "beside-ro", "USER/",
            "beside");
        row("the user's folder is never refilled", "share user", "USER/", "mine");
        row("no defaults anywhere: said, nothing made", "", "USER/", "<missing>", true);
        row("the user's folder cannot be made: the defaults, read-only", "share home-file",
            "SHARE/", "installed", true);
    }
    void resolve() {
        QFETCH(QStringList, layout);
        QFETCH(QString, dir);
        QFETCH(bool, problem);
        const Layout l(layout);
        const ConfigLocation location = ResolveConfigDir(l.Bin(), l.User());
        QCOMPARE(location.Dir, l.Path(dir));
        QTEST(ReadFile(location.Dir + "TAG.INI"), "tagIni");
        QCOMPARE(location.Problems.size(), problem ? 1 : 0);
        if (location.Where == ConfigLocation::Kind::User && QFileInfo(l.User()).isDir()) {
            // The copies are the user's to edit, and nothing half-made is left beside them.
            QVERIFY(QFileInfo(location.Dir + "TAG.INI").isWritable());
            QCOMPARE(Listing(l.User() + "/.."), QStringList{"CONFIG"});
        }
        if (layout.contains("share") && !layout.contains("user") && dir == "USER/")
            QCOMPARE(ReadFile(location.Dir + u"Выписка.txt.tpl"_s), "template");
    }

    // A folder an earlier version made: its untouched defaults become this version's, the old
    // ones kept as .bak; an edited file stays, and what it lacks is named once.
    void upgradeFromAnEarlierVersion_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("edit"); // appended to the earlier default
        const QString tpl = u"Выписка 1С.txt.tpl"_s;
        QTest::newRow("TAG.INI untouched: replaced") << u"TAG.INI"_s << QByteArray();
        QTest::newRow("TAG.INI edited: stays") << u"TAG.INI"_s << QByteArray("Mine = Mine;x\r\n");
        QTest::newRow("template untouched: replaced") << tpl << QByteArray();
        QTest::newRow("template edited: stays") << tpl << QByteArray("\r\n");
    }
    void upgradeFromAnEarlierVersion() {
        QFETCH(QString, file);
        QFETCH(QByteArray, edit);
        const Layout l({});
        for (const QString& name : QDir(VYPISKA_SOURCE_CONFIG).entryList(QDir::Files))
            WriteFile(l.Share() + u'/' + name, ReadFile(VYPISKA_SOURCE_CONFIG "/" + name));
        const QByteArray earlier = ReadFile(VYPISKA_TEST_DATA "/settings/earlier/" + file) + edit;
        const QString mine = WriteFile(l.User() + u'/' + file, earlier);
        const ConfigLocation location = ResolveConfigDir(l.Bin(), l.User());
        QCOMPARE(location.Problems, QStringList());
        const bool replaced = edit.isEmpty();
        QCOMPARE(ReadFile(mine), replaced ? ReadFile(l.Share() + u'/' + file) : earlier);
        QCOMPARE(ReadFile(mine + u".bak"_s), replaced ? earlier : "<missing>");
        const std::vector<SettingsGap> gaps = MissingDefaultLines(l.User());
        QCOMPARE(gaps.size(), std::size_t(replaced ? 0 : 1));
        if (!replaced) QVERIFY(gaps[0].Path == mine && gaps[0].Why.contains(u"ПоказательКБК"_s));
    }

    // The installed program finds its settings by itself: the defaults become the user's folder
    // (XDG_CONFIG_HOME).
    void cliFindsItsSettings() {
        const Layout l({"share"});
        const QString cli = l.Bin() + "/vypiska-cli";
        QVERIFY(QFile::copy(VYPISKA_CLI, cli));
        // The number column captioned after where it lives; "Сумма" in Windows-1251.
        const QByteArray amount = "Summa = " + QByteArray::fromHex("d1f3ecec") + ";Summa\r\n";
        WriteFile(l.Share() + "/TAG.INI", "Installed = N;Nomer\r\n" + amount);
        WriteFile(l.dir.filePath("docs/a.xml"), "<Doc><Nomer>7</Nomer><Summa>5</Summa></Doc>");
        const ProgramRun run = RunProgram(cli, {"list", l.dir.filePath("docs")}, [&](QProcess& p) {
            p.setProcessEnvironment(EnvironmentWith({{"XDG_CONFIG_HOME", l.dir.filePath("home")}}));
        });
        QCOMPARE(run.Exit, 0);
        QVERIFY(run.Out.startsWith("Installed\t"));
        QVERIFY(QFileInfo(l.User()).isDir());
    }
};

VYPISKA_TEST_GUILESS_MAIN(TestConfigLocation)
#include "tst_configlocation.moc"
