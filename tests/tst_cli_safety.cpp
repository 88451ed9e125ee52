// vypiska-cli when its system fails it or a user stops it: exit statuses that tell the truth,
// stop signals, temporary folders.
#include "reading/TempFolders.h"

#include <QTemporaryDir>
#include <QtTest>
#include "TestMain.h"

#include "TestFiles.h"
#include "TestZip.h"

#include <csignal>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

namespace {
const QString Fixture = QStringLiteral(VYPISKA_TEST_DATA "/export");

// Root reads anything, so an unreadable file is tried as nobody. nobody cannot reach a build in a
// folder of root's own (a clone under /root or a 0700 folder): what it runs and reads is staged in
// dir. The reason to skip when nobody cannot enter dir either, else empty.
QString StageForNobody(const QTemporaryDir& dir, QString& cli, QString& docs) {
    for (QString up = dir.path(); !QDir(up).isRoot(); up = QFileInfo(up).absolutePath())
        if (!(QFile::permissions(QFileInfo(up).absolutePath()) & QFileDevice::ExeOther))
            return "nobody cannot enter " + QFileInfo(up).absolutePath() +
                   ", where the test stages what nobody runs";
    const QString stagedCli = dir.filePath("vypiska-cli"), stagedDocs = dir.filePath("docs");
    if (!QFile::exists(stagedCli) && !QFile::copy(cli, stagedCli)) return "cannot stage " + cli;
    QDir().mkpath(stagedDocs);
    for (const QFileInfo& file : QDir(docs).entryInfoList(QDir::Files))
        QFile::copy(file.filePath(), stagedDocs + '/' + file.fileName());
    cli = stagedCli;
    docs = stagedDocs;
    return {};
}

// The fixture's documents in a .zip, with a damaged entry after them when asked.
bool DocumentsZip(const QString& zip, bool damaged) {
    QList<TestZipEntry> entries;
    for (const QString& name : QDir(Fixture + "/docs").entryList(QDir::Files))
        entries.push_back({name.toUtf8(), ReadFile(Fixture + "/docs/" + name)});
    if (damaged) entries.push_back({"zz.xml", "<Num>damaged</Num>"});
    if (!WriteTestZip(zip, entries, "UTF-8", true)) return false;
    if (damaged) // its checksum no longer holds
        EditFile(zip, [](QByteArray& bytes) { bytes[bytes.indexOf("damaged")] = 'D'; });
    return true;
}

// Whether the process holds the file open: it has started to read it.
bool HasOpen(qint64 pid, const QString& path) {
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    for (const QString& fd :
         QDir(fds).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        if (QFile::symLinkTarget(fds + '/' + fd) == path) return true;
    return false;
}
} // namespace

class TestCliSafety : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_big; // an archive that takes seconds to read

private slots:
    void initTestCase() {
        // Sixteen documents of 15 MB of blanks: each takes a while to search for its elements.
        m_big = m_dir.filePath("big.zip");
        const QByteArray blanks = "<Doc>" + QByteArray(15 << 20, ' ') + "<Sum>1</Sum></Doc>";
        QList<TestZipEntry> entries;
        for (int i = 10; i < 26; ++i)
            entries.push_back({"a" + QByteArray::number(i) + ".xml", blanks});
        QVERIFY(WriteTestZip(m_big, entries));
    }

    // DIR stands for a fresh folder holding the output "o" (an older statement), DOCS for the
    // fixture's documents, ZIP and DAMAGED for them in an archive, the second with a damaged
    // entry. Exit 3 keeps the older statement; the others write it anew.
    void exitStatuses_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("stdoutFile"); // empty: a pipe
        QTest::addColumn<int>("fileLimit");      // bytes; 0: none
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("says"); // on stderr
        auto row = [](const char* name, const char* args, const char* out, int limit, int exit,
                      const QString& says) {
            QTest::newRow(name) << args << out << limit << exit << says;
        };
        row("list into a full device", "list DOCS", "/dev/full", 0, 3, "стандартный вывод");
        row("check into a full device", "check DOCS", "/dev/full", 0, 3, "стандартный вывод");
        row("convert's status into a full device",
            "convert --date 2023-01-15T14:05 --output DIR/o DOCS", "/dev/full", 0, 3,
            "стандартный вывод");
        row("statement over the file size limit", "convert --output DIR/o DOCS", "", 100, 3,
            "DIR/o");
        row("damaged archive listed, strict", "list --strict DAMAGED", "", 0, 4, "zz.xml");
        row("damaged archive converted, strict",
            "convert --strict --date 2023-01-15T14:05 --output DIR/o DAMAGED", "", 0, 4, "zz.xml");
        row("whole archive, strict", "convert --strict --date 2023-01-15T14:05 --output DIR/o ZIP",
            "", 0, 0, "Успешно");
    }
    void exitStatuses() {
        QFETCH(QString, args);
        QFETCH(QString, stdoutFile);
        QFETCH(int, fileLimit);
        QFETCH(int, exit);
        QFETCH(QString, says);
        QTemporaryDir dir;
        const QString out = dir.filePath("o");
        WriteFile(out, "older\r\n");
        QVERIFY(DocumentsZip(dir.filePath("docs.zip"), false));
        QVERIFY(DocumentsZip(dir.filePath("damaged.zip"), true));
        auto fill = [&](QString text) {
            text.replace("DOCS", Fixture + "/docs")
                .replace("DAMAGED", dir.filePath("damaged.zip"))
                .replace("ZIP", dir.filePath("docs.zip"));
            return text.replace("DIR", dir.path());
        };
        const QStringList words = fill(args).split(u' ');
        const QStringList options{"--config", Fixture + "/config", "--locale", "ru_RU"};
        const ProgramRun run =
            RunProgram(VYPISKA_CLI, words.mid(0, 1) + options + words.mid(1), [&](QProcess& p) {
                if (!stdoutFile.isEmpty()) p.setStandardOutputFile(stdoutFile);
                if (fileLimit > 0)
                    p.setChildProcessModifier([fileLimit] {
                        const rlimit small{rlim_t(fileLimit), rlim_t(fileLimit)};
                        setrlimit(RLIMIT_FSIZE, &small);
                    });
            });
        QCOMPARE(run.Exit, exit); // -1 if killed by SIGXFSZ
        QVERIFY2(run.Err.contains(fill(says)), qPrintable(run.Err));
        if (exit == 3 && stdoutFile.isEmpty()) QCOMPARE(ReadFile(out), QByteArray("older\r\n"));
        if (args.startsWith("convert") && exit != 3)
            QCOMPARE(ReadFile(out), ReadFile(Fixture + "/expected/statement.txt"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"damaged.zip", "docs.zip", "o"}));
    }

    // A stop signal while an archive is read ends the run at once, by that signal, saying so;
    // nothing is left in the temporary folder.
    void stopSignals_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void stopSignals() {
        QFETCH(int, signal);
        QTemporaryDir temp;
        QProcess p;
        p.setProcessEnvironment(EnvironmentWith({{"TMPDIR", temp.path()}}));
        p.start(VYPISKA_CLI, {"list", "--config", Fixture + "/config", m_big});
        QVERIFY(p.waitForStarted());
        const pid_t pid = pid_t(p.processId());
        QTRY_VERIFY_WITH_TIMEOUT(HasOpen(pid, m_big), 30000);
        // Held still, so that the signal surely comes while the archive is read.
        QCOMPARE(kill(pid, SIGSTOP), 0);
        QVERIFY(HasOpen(pid, m_big));
        QCOMPARE(kill(pid, signal), 0);
        QCOMPARE(kill(pid, SIGCONT), 0);
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::CrashExit);
        const QString said = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(said.contains(QStringLiteral("Прервано сигналом %1").arg(signal)),
                 qPrintable(said));
        QVERIFY(p.readAllStandardOutput().isEmpty());
        QVERIFY(Listing(temp.path()).isEmpty());
    }

    // SIGINT while the listing waits on a full stdout ends the run by the signal once the pipe
    // moves again, not after the whole listing.
    void listStoppedWhileStdoutBlocked() {
        QTemporaryDir dir;
        const QByteArray doc = ReadFile(Fixture + "/docs/a.xml");
        for (int i = 0; i < 3000; ++i)
            WriteFile(dir.filePath(QStringLiteral("docs/%1.xml").arg(i, 4, 10, QChar(u'0'))), doc);
        int out[2];
        QCOMPARE(pipe(out), 0);
        const pid_t pid = fork();
        QVERIFY(pid >= 0);
        if (pid == 0) {
            dup2(out[1], 1);
            close(out[0]);
            close(out[1]);
            execl(VYPISKA_CLI, VYPISKA_CLI, "list", "--config",
                  QFile::encodeName(Fixture + "/config").constData(),
                  QFile::encodeName(dir.filePath("docs")).constData(), nullptr);
            _exit(127);
        }
        close(out[1]);
        // Nobody reads: once the pipe is full, the listing waits in a write to it.
        const int capacity = fcntl(out[0], F_GETPIPE_SZ);
        QVERIFY(capacity > 0);
        const auto blocked = [&] {
            int queued = 0;
            return ioctl(out[0], FIONREAD, &queued) == 0 && queued >= capacity;
        };
        QDeadlineTimer deadline(60000);
        while (!blocked() && !deadline.hasExpired())
            QThread::msleep(50);
        QVERIFY(blocked());
        QCOMPARE(kill(pid, SIGINT), 0);
        qint64 read = 0;
        char buffer[1 << 16];
        for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
            read += n;
        close(out[0]);
        int status = 0;
        QCOMPARE(waitpid(pid, &status, 0), pid);
        QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT,
                 qPrintable(QString::number(status)));
        QVERIFY(read < 3000 * 200); // far from every line
    }

    // A settings file or template that is no regular file of at most 1 MB is never opened (a
    // pipe would hold the run for ever, a device never ends): CONFIG.INI and USER.INI give way
    // to the defaults with a finding, TAG.INI and the template the run asks for end it (exit 2),
    // each named; so does the first template when none is asked for, rather than giving way to
    // the next one's layout. Unreadable ones are read as nobody (root reads anything).
    void hostileSettingsFiles_data() {
        AddColumns<QString, QString, int>({"file", "kind", "exit"});
        for (const char* file : {"CONFIG.INI", "USER.INI", "TAG.INI", "Statement.txt.tpl"})
            for (const char* kind : {"pipe", "link to /dev/zero", "folder", "100 MB", "unreadable"})
                QTest::addRow("%s, %s", file, kind)
                    << file << kind << (QByteArray(file).endsWith("INI") && file[0] != 'T' ? 0 : 2);
        QTest::newRow("the first template, unreadable, none asked for")
            << "Statement.txt.tpl" << "unreadable, none asked for" << 2;
    }
    void hostileSettingsFiles() {
        QFETCH(QString, file);
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777)));
        const QString config = dir.filePath("config"), path = config + '/' + file;
        QVERIFY(QDir().mkpath(config));
        for (const char* name : {"TAG.INI", "Statement.txt.tpl", "Table.csv.tpl"})
            QVERIFY(QFile::copy(Fixture + "/config/" + name, config + '/' + name));
        QFile::remove(path);
        const QByteArray native = QFile::encodeName(path);
        if (kind == "pipe")
            QCOMPARE(mkfifo(native.constData(), 0666), 0);
        else if (kind == "link to /dev/zero")
            QVERIFY(QFile::link("/dev/zero", path));
        else if (kind == "folder")
            QVERIFY(QDir().mkpath(path));
        else if (QFile huge(path); kind == "100 MB")
            QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(100 << 20));
        else {
            WriteFile(path, "[Main]\r\n");
            QVERIFY(QFile::setPermissions(path, {}));
        }
        QString cli = VYPISKA_CLI, docs = Fixture + "/docs";
        const bool nobody = kind.startsWith("unreadable") && getuid() == 0;
        if (nobody)
            if (const QString why = StageForNobody(dir, cli, docs); !why.isEmpty())
                QSKIP(qPrintable(why));
        QStringList args{"convert", "--config", config, "--output", dir.filePath("o"), docs};
        if (!kind.endsWith("none asked for")) args << "--template" << "Statement.txt.tpl";
        const ProgramRun run = RunProgram(cli, args, [&](QProcess& p) {
            if (nobody)
                p.setChildProcessModifier([] {
                    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(126);
                });
        });
        QTEST(run.Exit, "exit");
        QVERIFY2(run.Err.contains(file.endsWith("INI") && file != "TAG.INI" ? "настройки: '" + file
                                                                            : file),
                 qPrintable(run.Err));
        QCOMPARE(QFileInfo::exists(dir.filePath("o")), run.Exit == 0);
    }

    // Names and values are shown with their control characters (C0 and C1) written out, on
    // stdout as on stderr: a document cannot drive the terminal.
    void controlCharactersEscaped_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("shown"); // on stdout
        QTest::newRow("list: a value") << "list" << "a\\x1B[2K\\x1B[1A\\u009B";
        QTest::newRow("list as JSON: a value")
            << "list --format json" << "a\\u001b[2K\\u001b[1A\\u009b";
        QTest::newRow("check: a name") << "check" << "b\\x1B]0;owned\\x07\\x1B[2J.xml";
    }
    void controlCharactersEscaped() {
        QFETCH(QString, command);
        QFETCH(QString, shown);
        QTemporaryDir dir;
        WriteFile(dir.filePath("docs/a.xml"), ReadFile(Fixture + "/docs/a.xml"));
        WriteFile(dir.filePath("docs/c.xml"),
                  "<Doc><Num>5</Num><Sum>1</Sum><Payee>a\x1B[2K\x1B[1A\xC2\x9B</Payee></Doc>");
        WriteFile(dir.filePath("docs/b\x1B]0;owned\x07\x1B[2J.xml"), "<N>no amount</N>");
        const ProgramRun run = RunProgram(
            VYPISKA_CLI, command.split(u' ') +
                             QStringList{"--config", Fixture + "/config", dir.filePath("docs")});
        QVERIFY2(command == "check" || run.Err.contains(u"b\\x1B]0;owned\\x07\\x1B[2J.xml"_qs),
                 qPrintable(run.Err));
        const QString out = QString::fromUtf8(run.Out);
        QVERIFY2(out.contains(shown), qPrintable(out));
        for (const QString& text : {run.Err, out})
            for (const char16_t control : {u'\x1B', u'\x07', u'\x9B'})
                QVERIFY(!text.contains(QChar(control)));
    }

    // Every start removes our folders that a killed run left: old enough, ours by name and owner,
    // real folders. TMPDIR naming no folder means the system's own.
    void staleTempFolders() {
        QTemporaryDir temp, elsewhere;
        const QString root = temp.path();
        const auto make = [&](const QString& name, bool old) {
            QVERIFY(QDir(root).mkpath(name + "/inner"));
            WriteFile(root + '/' + name + "/inner/doc.xml", "<Sum>1</Sum>");
            const utimbuf hourAgo{time(nullptr) - 3600, time(nullptr) - 3600};
            if (old) QCOMPARE(utime(QFile::encodeName(root + '/' + name).constData(), &hourAgo), 0);
        };
        make("vypiska-Old123", true);
        make("vypiska-New123", false);
        make("vypiska-longer-name", true);
        make("other-Old123", true);
        WriteFile(root + "/vypiska-File12", "a file");
        QVERIFY(QFile::link(elsewhere.path(), root + "/vypiska-Link12"));
        QStringList kept{"other-Old123", "vypiska-File12", "vypiska-Link12", "vypiska-New123",
                         "vypiska-longer-name"};
        if (getuid() == 0) { // a folder of another user stays
            make("vypiska-Their1", true);
            QCOMPARE(chown(QFile::encodeName(root + "/vypiska-Their1").constData(), 65534, 65534),
                     0);
            kept << "vypiska-Their1";
            kept.sort();
        }
        WriteFile(elsewhere.filePath("keep.xml"), "kept");
        // The scratch folder the workbook is written in, named as the command line names it.
        const QByteArray saved = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(root));
        {
            QTemporaryDir scratch(TempFolderTemplate());
            scratch.setAutoRemove(false);
            QVERIFY(scratch.isValid());
            make(QFileInfo(scratch.path()).fileName(), true);
        }

        const auto env = [&](QProcess& p) {
            p.setProcessEnvironment(EnvironmentWith({{"TMPDIR", root}}));
        };
        QCOMPARE(RunProgram(VYPISKA_CLI,
                            {"list", "--config", Fixture + "/config", Fixture + "/docs"}, env)
                     .Exit,
                 0);
        QStringList left =
            QDir(root).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        left.sort();
        QCOMPARE(left, kept);
        QCOMPARE(ReadFile(elsewhere.filePath("keep.xml")), QByteArray("kept"));

        qputenv("TMPDIR", QFile::encodeName(root + "/missing"));
        QCOMPARE(TempFolderRoot(), "/tmp");
        qputenv("TMPDIR", QFile::encodeName(root));
        QCOMPARE(TempFolderRoot(), root);
        qputenv("TMPDIR", saved);
    }
};

VYPISKA_TEST_GUILESS_MAIN(TestCliSafety)
#include "tst_cli_safety.moc"
