// The command lines of both programs as a user types them: --help, --version, usage errors.
#include <QRegularExpression>
#include <QtTest>
#include "TestMain.h"

#include "TestFiles.h"

using namespace Qt::StringLiterals;

namespace {

const QString Docs = QStringLiteral(VYPISKA_TEST_DATA "/reading/cli/docs");
const QString Version =
    u"%1.%2.%3"_s.arg(VYPISKA_VERSION_MAJOR).arg(VYPISKA_VERSION_MINOR).arg(VYPISKA_VERSION_PATCH);

// Runs a program with no display at all: --help and --version must not need one.
ProgramRun Start(const QString& program, const QStringList& args) {
    return RunProgram(program, args, [](QProcess& p) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        p.setProcessEnvironment(env);
    });
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT
private slots:
    // program: "cli" or "window"; DOCS stands for a folder of documents. out and err are
    // patterns for the whole of each stream.
    void commandLine_data() {
        AddColumns<QString, QString, int, QString, QString>(
            {"program", "args", "exit", "out", "err"});
        auto row = [](const char* name, const char* program, const char* args, int exit,
                      const QString& out, const QString& err) {
            QTest::newRow(name) << program << args << exit << out << err;
        };
        const QString e = u"^vypiska-cli: "_s;
        row("cli version", "cli", "--version", 0, "^vypiska-cli " + Version + "\n$", "^$");
        row("cli help", "cli", "--help", 0, "^Usage: vypiska-cli list .*Exit status:.*", "^$");
        row("help of a command", "cli", "convert -h", 0, "^Usage: vypiska-cli list .*", "^$");
        row("window version", "window", "--version", 0, "^vypiska " + Version + "\n$", "^$");
        row("window help", "window", "--help", 0, "^Usage: \\S*vypiska \\[options\\] \\[PATH\\].*",
            "^$");
        row("nothing", "cli", "", 2, "^$", "^Usage: vypiska-cli .*");
        row("unknown command", "cli", "lsit DOCS", 2, "^$",
            e + "unknown command 'lsit'\nUsage: .*");
        row("unknown option", "cli", "list --foo DOCS", 2, "^$", e + "unknown option '--foo'\n$");
        row("options before the command", "cli", "--locale ru_RU list DOCS", 1, ".*",
            u"^Не найдено совместимых документов в .*"_s);
        row("an unknown option before the command", "cli", "--foo list DOCS", 2, "^$",
            e + "unknown option '--foo'\n$");
        row("the other command's option", "cli", "list -o out DOCS", 2, "^$",
            e + "unknown option '-o'\n$");
        row("no value", "cli", "list DOCS --locale", 2, "^$",
            e + "option '--locale' needs a value\n$");
        row("two sources", "cli", "list DOCS DOCS", 2, "^$",
            e + "more than one SOURCE given \\('[^']*' and '[^']*'\\)\n$");
        row("no source", "cli", "list --locale ru_RU", 2, "^$",
            e + "no SOURCE given \\(a file, folder or .zip archive\\)\n$");
        row("unknown format", "cli", "list --format xml DOCS", 2, "^$",
            e + "--format 'xml' is not tsv or json\n$");
        row("no output", "cli", "convert DOCS", 2, "^$", e + "--output FILE is required\n$");
        row("a source named after an option, after --", "cli", "list -- --nothing", 2, "^$",
            e + u"Источник '--nothing' не найден\n$"_s);
    }
    void commandLine() {
        QFETCH(QString, program);
        QFETCH(QString, args);
        const ProgramRun run = Start(program == "cli" ? VYPISKA_CLI : VYPISKA_GUI,
                                     args.replace("DOCS", Docs).split(' ', Qt::SkipEmptyParts));
        QTEST(run.Exit, "exit");
        QFETCH(QString, out);
        QFETCH(QString, err);
        const auto matches = [](const QString& pattern, const QString& text) {
            return QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption)
                .match(text)
                .hasMatch();
        };
        QVERIFY2(matches(out, QString::fromUtf8(run.Out)), run.Out.constData());
        QVERIFY2(matches(err, run.Err), qPrintable(run.Err));
    }

    // The help is read on a terminal and turned into a man page: every line fits 80 columns,
    // and the brackets of the synopsis pair up.
    void helpText() {
        const ProgramRun run = Start(VYPISKA_CLI, {"--help"});
        QCOMPARE(run.Exit, 0);
        const QString help = QString::fromUtf8(run.Out);
        for (const QString& line : help.split('\n'))
            QVERIFY2(line.size() <= 80, qPrintable(line));
        const QString synopsis = help.left(help.indexOf("\n\n"));
        int depth = 0;
        for (const QChar c : synopsis) {
            depth += c == '[' ? 1 : c == ']' ? -1 : 0;
            QVERIFY2(depth >= 0, qPrintable(synopsis));
        }
        QCOMPARE(depth, 0);
        for (const char* option :
             {"--config", "--locale", "--format", "--template", "--date", "--rows", "-o, --output"})
            QVERIFY2(help.contains(option), option);
    }
};

VYPISKA_TEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
