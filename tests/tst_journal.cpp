// The export journal with real SQLite files, through vypiska-cli as a user runs it.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>
#include "TestMain.h"

#include "TestFiles.h"
#include "journal/Journal.h"
#include "journal/JournalPlace.h"

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString Sample = QStringLiteral(VYPISKA_SAMPLES "/folder/PO-1006.xml");

// Documents numbered first .. first + count - 1 in the folder, one file each.
QString Documents(const QString& folder, int first, int count) {
    const QByteArray text = ReadFile(Sample);
    QDir().mkpath(folder);
    for (int n = first; n < first + count; ++n)
        WriteFile(folder + u"/d%1.xml"_s.arg(n),
                  QByteArray(text).replace("<DocNum>1006<", "<DocNum>" + QByteArray::number(n) + '<'));
    return folder;
}

ProgramRun Cli(const QString& dir, const QStringList& args) {
    return RunProgram(VYPISKA_CLI, args, [&](QProcess& p) { p.setWorkingDirectory(dir); });
}

QStringList Convert(const QString& out, const QString& source, const QStringList& more = {},
                    const QString& journal = u"j.sqlite"_s) {
    return QStringList{u"convert"_s, u"--journal"_s, journal, u"--date"_s, u"2024-03-10"_s,
                       u"-o"_s, out}
           << more << source;
}

// Rows of a table of the journal file, read directly: what a crash may have left.
int Count(const QString& journal, const QString& sql) {
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"peek"_s);
    db.setDatabaseName(journal);
    int n = -1;
    if (db.open()) {
        QSqlQuery q(db);
        if (q.exec(sql) && q.next()) n = q.value(0).toInt();
        db.close();
    }
    db = {};
    QSqlDatabase::removeDatabase(u"peek"_s);
    return n;
}

// A throwaway PostgreSQL cluster in a folder of /tmp, listening on a unix socket there only;
// initdb refuses root, so as root the server runs as nobody, whom the folder is given to.
class Cluster {
public:
    Cluster() : m_dir(u"/tmp/vypiska-pg-XXXXXX"_s) {
        const QStringList found = QDir(u"/usr/lib/postgresql"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString& version : found)
            if (QFileInfo::exists(u"/usr/lib/postgresql/%1/bin/initdb"_s.arg(version)))
                m_bin = u"/usr/lib/postgresql/%1/bin/"_s.arg(version);
        if (m_bin.isEmpty()) {
            Why = u"PostgreSQL is not installed (scripts/install-deps installs it)"_s;
            return;
        }
        const bool root = ::geteuid() == 0;
        if (root && ::chown(m_dir.path().toLocal8Bit().constData(), 65534, 65534) != 0) {
            Why = u"cannot give the cluster's folder to nobody"_s;
            return;
        }
        const QString data = m_dir.filePath(u"data"_s);
        if (Run(root, {u"initdb"_s, u"-D"_s, data, u"-A"_s, u"trust"_s, u"-U"_s, u"vypiska"_s,
                       u"--no-sync"_s, u"--no-locale"_s, u"-E"_s, u"UTF8"_s}) != 0 ||
            Run(root, {u"pg_ctl"_s, u"-D"_s, data, u"-w"_s, u"-l"_s, m_dir.filePath(u"log"_s),
                       u"-o"_s, u"-k %1 -c listen_addresses= -F"_s.arg(m_dir.path()), u"start"_s}) != 0) {
            Why = u"the PostgreSQL server did not start: "_s + QString::fromLocal8Bit(ReadFile(m_dir.filePath(u"log"_s)));
            return;
        }
        m_root = root;
        m_started = true;
    }
    ~Cluster() {
        if (m_started)
            Run(m_root, {u"pg_ctl"_s, u"-D"_s, m_dir.filePath(u"data"_s), u"-m"_s, u"immediate"_s, u"stop"_s});
    }
    QString Url() const { return u"postgresql://vypiska@/postgres?host="_s + m_dir.path(); }
    QString Why; // why there is no server; empty when it runs

private:
    int Run(bool root, QStringList args) {
        args.front().prepend(m_bin);
        if (root) args = QStringList{u"-u"_s, u"nobody"_s, u"--"_s} + args;
        QProcess p;
        p.setWorkingDirectory(m_dir.path()); // nobody may not enter the test's own folder
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(root ? u"runuser"_s : args.takeFirst(), args);
        return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    QTemporaryDir m_dir;
    QString m_bin;
    bool m_root = false;
    bool m_started = false;
};

} // namespace

class TestJournal : public QObject {
    Q_OBJECT
private slots:
    void journaledSave_data() {
        QTest::addColumn<QString>("tpl"); // the template's text; "" for the default 1C one
        AddColumns<QString, bool>({"target", "recorded"});
        QTest::newRow("a statement for 1C") << "" << "out.txt" << true;
        QTest::newRow("the standard output") << "" << "-" << false;
        QTest::newRow("a device") << "" << "/dev/null" << false;
        QTest::newRow("a register") << "<header>Номер;Сумма</header>" << "out.csv" << false;
        QTest::newRow("a template that asks") << "<formats><journal>1</journal></formats>"
                                                 "<header>Выгрузка</header>"
                                              << "out.txt" << true;
    }
    void journaledSave() {
        QFETCH(QString, tpl);
        QFETCH(QString, target);
        QTemporaryDir dir;
        const QString path = tpl.isEmpty() ? QStringLiteral(VYPISKA_SOURCE_CONFIG
                                                            "/Выписка 1С.txt.tpl")
                                           : WriteFile(dir.filePath(u"t.tpl"_s), tpl.toUtf8());
        QTEST(JournaledSave(path, target), "recorded");
    }

    // A first statement of documents 1..first, then --only-new over 1..second.
    void onlyNew_data() {
        QTest::addColumn<int>("first");    // 0: no first statement
        QTest::addColumn<QString>("setup"); // "forget", "damage", or ""
        QTest::addColumn<QString>("more");  // more options of the second convert
        AddColumns<int, int>({"second", "exit"});
        QTest::addColumn<int>("written"); // documents of the second statement in the journal
        QTest::newRow("only the new ones") << 3 << "" << "" << 5 << 0 << 2;
        QTest::newRow("nothing new") << 3 << "" << "" << 3 << 1 << 0;
        QTest::newRow("a first journal") << 0 << "" << "" << 3 << 0 << 3;
        QTest::newRow("forgotten") << 3 << "forget" << "" << 3 << 0 << 3;
        QTest::newRow("damaged: moved aside, cannot tell") << 0 << "damage" << "" << 3 << 2 << 0;
        QTest::newRow("no journal") << 3 << "" << "--no-journal" << 5 << 2 << 0;
        QTest::newRow("folder missing") << 3 << "" << "--journal=no/j.sqlite" << 5 << 2 << 0;
    }
    void onlyNew() {
        QFETCH(int, first);
        QFETCH(QString, setup);
        QFETCH(QString, more);
        QFETCH(int, second);
        QTemporaryDir dir;
        const QString d = dir.path();
        if (first > 0)
            QCOMPARE(Cli(d, Convert(u"a.txt"_s, Documents(d + u"/1"_s, 1, first))).Exit, 0);
        if (setup == u"forget")
            QCOMPARE(Cli(d, {u"journal"_s, u"--journal"_s, u"j.sqlite"_s, u"forget"_s, u"a.txt"_s})
                         .Exit,
                     0);
        if (setup == u"damage") WriteFile(d + u"/j.sqlite"_s, QByteArray(4096, 'x'));
        QStringList args = Convert(u"b.txt"_s, Documents(d + u"/2"_s, 1, second),
                                   {u"--only-new"_s});
        if (!more.isEmpty()) args << more; // the last --journal given wins
        const ProgramRun run = Cli(d, args);
        QTEST(run.Exit, "exit");
        QCOMPARE(QFileInfo::exists(d + u"/b.txt"_s), run.Exit == 0);
        if (setup == u"damage") {
            QVERIFY2(run.Err.contains(u"поврежден"), qPrintable(run.Err));
            QCOMPARE(QDir(d).entryList({u"j.sqlite.damaged-*"_s}).size(), 1);
        }
        Journal journal({JournalPlace::Kind::Sqlite, d + u"/j.sqlite"_s, d});
        QTEST(int(journal.Documents(d + u"/b.txt"_s).size()), "written");
    }

    // Killed at any moment, a save leaves the journal with whole statements only, and what was
    // pending is settled at the next start: kept when its file is there with its bytes.
    void killedSave() {
        QTemporaryDir dir;
        const QString d = dir.path();
        const QString docs = Documents(d + u"/docs"_s, 1, 3000);
        for (int delay : {20, 60, 120, 200, 400}) {
            QProcess p;
            p.setWorkingDirectory(d);
            p.start(VYPISKA_CLI, Convert(u"out%1.txt"_s.arg(delay), docs));
            QVERIFY(p.waitForStarted());
            QTest::qWait(delay);
            p.kill(); // SIGKILL, and nothing once it has ended
            p.waitForFinished();
        }
        { Journal settle({JournalPlace::Kind::Sqlite, d + u"/j.sqlite"_s, d}); }
        const QString journal = d + u"/j.sqlite"_s;
        if (!QFileInfo::exists(journal)) return; // killed before any journal was opened
        QCOMPARE(Count(journal, u"SELECT COUNT(*) FROM statements WHERE confirmed = 0"_s), 0);
        QCOMPARE(Count(journal, u"SELECT COUNT(*) FROM statements s WHERE (SELECT COUNT(*) "
                                "FROM documents WHERE statement = s.id) <> 3000"_s),
                 0);
        Journal after({JournalPlace::Kind::Sqlite, journal, d});
        for (const JournalStatement& s : after.Statements()) {
            QCOMPARE(FileHash(s.File), s.Hash);
            QCOMPARE(s.Hash.toLatin1(), QCryptographicHash::hash(ReadFile(s.File), QCryptographicHash::Sha256).toHex());
        }
    }

    void concurrentSaves() {
        QTemporaryDir dir;
        const QString d = dir.path();
        const QString docs = Documents(d + u"/docs"_s, 1, 500);
        std::vector<std::unique_ptr<QProcess>> runs;
        for (int i = 0; i < 3; ++i) {
            runs.push_back(std::make_unique<QProcess>());
            runs.back()->setWorkingDirectory(d);
            runs.back()->start(VYPISKA_CLI, Convert(u"out%1.txt"_s.arg(i), docs));
        }
        for (auto& p : runs) {
            QVERIFY(p->waitForFinished(60000));
            QCOMPARE(p->exitCode(), 0);
            QVERIFY2(p->readAllStandardError().indexOf("журнал") < 0, "the journal was said");
        }
        Journal journal({JournalPlace::Kind::Sqlite, d + u"/j.sqlite"_s, d});
        QCOMPARE(journal.Statements().size(), size_t(3));
    }

    // The same journal on a server an office shares: --only-new knows what another desk sent,
    // and a save while the server is away goes on, recorded once it answers again.
    void postgres() {
        Cluster server;
        if (!server.Why.isEmpty()) QSKIP(qPrintable(server.Why));
        QTemporaryDir dir;
        const QString d = dir.path();
        QDir().mkpath(d + u"/CONFIG"_s);
        for (const QString& name : QDir(VYPISKA_SOURCE_CONFIG).entryList(QDir::Files))
            QFile::copy(VYPISKA_SOURCE_CONFIG "/" + name, d + u"/CONFIG/"_s + name);
        const QStringList config{u"--config"_s, d + u"/CONFIG"_s};
        const QString away = u"postgresql://vypiska@/postgres?host="_s + d + u"/none"_s;
        const ProgramRun queued =
            Cli(d, Convert(u"q.txt"_s, Documents(d + u"/1"_s, 1, 2), config, away));
        QCOMPARE(queued.Exit, 0);
        QVERIFY2(queued.Err.contains(u"недоступен"_s), qPrintable(queued.Err));
        QCOMPARE(Cli(d, Convert(u"a.txt"_s, Documents(d + u"/2"_s, 3, 3), config, server.Url())).Exit,
                 0);
        const QStringList onlyNew = QStringList(config) << u"--only-new"_s;
        QCOMPARE(Cli(d, Convert(u"b.txt"_s, Documents(d + u"/3"_s, 1, 7), onlyNew, server.Url())).Exit,
                 0);
        QCOMPARE(Cli(d, Convert(u"c.txt"_s, d + u"/3"_s, onlyNew, away)).Exit, 2);
        Journal journal({JournalPlace::Kind::Postgres, server.Url(), d + u"/CONFIG"_s});
        QCOMPARE(journal.Statements().size(), size_t(3));
        QCOMPARE(journal.Documents(d + u"/q.txt"_s).size(), size_t(2)); // from the queue
        QCOMPARE(journal.Documents(d + u"/b.txt"_s).size(), size_t(2)); // 6 and 7 only
    }
};

VYPISKA_TEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
