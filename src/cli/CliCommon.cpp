#include "cli/CliCommon.h"

#include "checks/DocumentChecks.h"
#include "checks/DocumentTotals.h"
#include "checks/Findings.h"
#include "checks/OrganisationAccount.h"
#include "cli/Cli.h"
#include "cli/CliSafety.h"
#include "settings/ConfigLocation.h"
#include "settings/INIStorage.h"
#include "text/DisplayLocale.h"
#include "text/EscapeControls.h"
#include "text/FileNames.h"
#include "text/TextCoder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

const QString Program = QStringLiteral("vypiska-cli");

bool TakenBy(const CliOptionSpec& spec, const QString& command) {
    return spec.Commands.isEmpty() || spec.Commands.contains(command);
}

QString LongName(const CliOptionSpec& spec) {
    return QStringLiteral("--") + spec.Names.back();
}

// "-o, --output FILE" or "    --config DIR": the left column of the options list.
QString OptionColumn(const CliOptionSpec& spec) {
    QString text = spec.Names.front().size() == 1 ? QStringLiteral("-%1, ").arg(spec.Names.front())
                                                  : QStringLiteral("    ");
    text += LongName(spec);
    if (!spec.ValueName.isEmpty()) text += u' ' + spec.ValueName;
    return text;
}

constexpr qsizetype LineWidth = 80;

// The words as lines of at most LineWidth characters where they fit: the first line starts with
// first, the others with as many spaces as it is long.
QStringList WrapWords(const QString& first, const QStringList& words) {
    QStringList lines;
    QString line = first;
    bool empty = true;
    for (const QString& word : words) {
        if (!empty && line.size() + 1 + word.size() > LineWidth) {
            lines << line;
            line = QString(first.size(), u' ');
            empty = true;
        }
        if (!empty) line += u' ';
        line += word;
        empty = false;
    }
    return lines << line;
}

// "vypiska-cli convert [OPTION]... -o FILE SOURCE": the options a command cannot do without are
// named, the others are listed below it.
QString Synopsis(const QString& lead, const QString& command) {
    QStringList words{QStringLiteral("[OPTION]...")};
    for (const CliOptionSpec& spec : CliOptionTable()) {
        if (!spec.Required || !TakenBy(spec, command)) continue;
        words << (spec.Names.front().size() == 1 ? u'-' + spec.Names.front() : LongName(spec)) +
                     (spec.ValueName.isEmpty() ? QString() : u' ' + spec.ValueName);
    }
    if (command != QLatin1String("templates")) words << QStringLiteral("SOURCE");
    return WrapWords(lead + Program + u' ' + command + u' ', words).join(u'\n');
}

bool ParseLocale(const QString& name, QLocale* locale) {
    const QLocale parsed(name);
    // QLocale falls back to "C" for names it does not know; only "C" itself may give that.
    if (parsed == QLocale::c() && name != QLatin1String("C") && name != QLatin1String("POSIX"))
        return false;
    *locale = parsed;
    return true;
}

// "Чтение: 1 200 из 10 000 файлов" on one line of a terminal, redrawn now and then, once a run
// has taken long enough for the silence to worry; gone again before the outcome is printed.
class ProgressLine {
public:
    ProgressLine() {
#ifdef Q_OS_UNIX
        m_terminal = ::isatty(::fileno(stderr)) == 1;
#endif
        m_clock.start();
    }
    ~ProgressLine() {
        if (m_shown) std::fputs("\r\033[K", stderr);
    }

    bool operator()(qint64 done, qint64 total) {
        if (!m_terminal || m_clock.elapsed() < 1000 || m_clock.elapsed() - m_last < 200)
            return true;
        m_last = m_clock.elapsed();
        m_shown = true;
        const QString text = total > 0
                                 ? QStringLiteral("Чтение: %1 из %2 файлов").arg(done).arg(total)
                                 : QStringLiteral("Чтение архива ...");
        std::fputs(("\r\033[K" + text).toUtf8().constData(), stderr);
        std::fflush(stderr);
        return true;
    }

private:
    bool m_terminal = false;
    bool m_shown = false;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
};

} // namespace

const std::vector<CliOptionSpec>& CliOptionTable() {
    static const std::vector<CliOptionSpec> table{
        {{QStringLiteral("h"), QStringLiteral("help")}, {}, QStringLiteral("print this help"), {}},
        {{QStringLiteral("v"), QStringLiteral("version")},
         {},
         QStringLiteral("print the version"),
         {}},
        {{QStringLiteral("config")},
         QStringLiteral("DIR"),
         QStringLiteral("the settings folder: TAG.INI, *.tpl, CONFIG.INI (default: CONFIG/ beside "
                        "the program when writable, else ~/.config/Vypiska/CONFIG/)"),
         {}},
        {{QStringLiteral("locale")},
         QStringLiteral("NAME"),
         QStringLiteral("how amounts and dates are shown, e.g. ru_RU (default: the user's; "
                        "ru_RU when none is set)"),
         {}},
        {{QStringLiteral("format")},
         QStringLiteral("tsv|json"),
         QStringLiteral("list, check: TSV lines (default) or a JSON array of objects"),
         {QStringLiteral("list"), QStringLiteral("check")}},
        {{QStringLiteral("template")},
         QStringLiteral("NAME|PATH"),
         QStringLiteral("convert: a template of the settings folder by its file name or its "
                        "display name (\"Реестр\"), or a path (default: the first by name)"),
         {QStringLiteral("convert")}},
        {{QStringLiteral("date")},
         QStringLiteral("YYYY-MM-DD[THH:MM[:SS]]"),
         QStringLiteral("convert: the statement's creation date and time; register: the time "
                        "it says it was made (default: now)"),
         {QStringLiteral("convert"), QStringLiteral("register")}},
        {{QStringLiteral("rows")},
         QStringLiteral("N,N,..."),
         QStringLiteral("convert, register: only these documents, numbered from 1 (default: "
                        "all)"),
         {QStringLiteral("convert"), QStringLiteral("register")}},
        {{QStringLiteral("strict")},
         {},
         QStringLiteral(
             "exit with 4 when the run went on past a problem (a file unreadable or left "
             "out, a damaged archive, a skipped TAG.INI line)"),
         {QStringLiteral("list"), QStringLiteral("convert"), QStringLiteral("register")}},
        {{QStringLiteral("o"), QStringLiteral("output")},
         QStringLiteral("FILE"),
         QStringLiteral("convert: the statement to write, - for stdout; register: a .xlsx "
                        "workbook or a .pdf"),
         {QStringLiteral("convert"), QStringLiteral("register")},
         true},
    };
    return table;
}

QString CliUsageText() {
    return Synopsis(QStringLiteral("Usage: "), QStringLiteral("list")) + u'\n' +
           Synopsis(QStringLiteral("  or:  "), QStringLiteral("check")) + u'\n' +
           Synopsis(QStringLiteral("  or:  "), QStringLiteral("convert")) + u'\n' +
           Synopsis(QStringLiteral("  or:  "), QStringLiteral("register")) + u'\n' +
           Synopsis(QStringLiteral("  or:  "), QStringLiteral("templates")) + u'\n' +
           QStringLiteral("  or:  %1 --help | --version\n").arg(Program);
}

QString CliHelpText() {
    const auto paragraph = [](const QString& indent, const QString& text) {
        return WrapWords(indent, text.split(u' ')).join(u'\n');
    };
    QStringList lines{
        CliUsageText(),
        paragraph({}, QStringLiteral("Reads XML payment documents (one .xml file, every *.xml of a "
                                     "folder, or the top level of a .zip) and lists them, or "
                                     "writes them through a template into a Windows-1251 "
                                     "statement for import into 1C.")),
        QString(), QStringLiteral("Options:")};
    // Help texts start in one column; a longer option puts its help on the next line.
    constexpr qsizetype HelpColumn = 24;
    for (const CliOptionSpec& spec : CliOptionTable()) {
        QString left = QStringLiteral("  ") + OptionColumn(spec);
        if (left.size() + 2 > HelpColumn) {
            lines << left;
            left.clear();
        }
        lines << WrapWords(left.leftJustified(HelpColumn), spec.Help.split(u' '));
    }
    lines << QString() << QStringLiteral("Output:")
          << paragraph(
                 QStringLiteral("  "),
                 QStringLiteral(
                     "list prints a line of column captions, then a line per document, "
                     "fields separated by TAB (inside a field \\ is written \\\\, TAB \\t, "
                     "LF \\n, CR \\r). With --format json it prints an array with one object "
                     "per document: the captions as keys, the amount also as a number under "
                     "\"amount\". check prints the problems list: a caption line, then a line "
                     "per finding with its kind, file, field, value and why (as JSON: objects "
                     "with kind, file, field, value, why). convert writes the statement and prints "
                     "the save status (to stderr with -o -). templates lists the templates: "
                     "display name, file type and file. register writes the checked documents as "
                     "a register for people: an Excel workbook or a PDF, by the extension of -o. "
                     "The reading outcome and every problem go to "
                     "stderr."))
          << QString() << QStringLiteral("Exit status:")
          << paragraph(QStringLiteral("  "),
                       QStringLiteral("0 done; 1 the source gave no documents (nothing written); "
                                      "2 a usage or configuration error; 3 the output could not "
                                      "be written (an existing file stays intact), stdout "
                                      "included; 4 with --strict, the run went on past a "
                                      "problem (ACC missing included), and for check, there are "
                                      "findings. SIGINT, SIGTERM or SIGHUP end a run where "
                                      "nothing is half written, by that signal."));
    return lines.join(u'\n') + u'\n';
}

QString CliVersionText() {
    return QStringLiteral("%1 %2.%3.%4")
        .arg(Program)
        .arg(VYPISKA_VERSION_MAJOR)
        .arg(VYPISKA_VERSION_MINOR)
        .arg(VYPISKA_VERSION_PATCH);
}

// Appends the text with what would break a TSV line or drive a terminal (backslash, every C0 and
// C1 control character) or a JSON string (those and quotes) escaped; the rest goes as it is, in
// runs.
void AppendEscaped(QString& out, const QString& text, CliEscape how) {
    // C1 controls too: a terminal may take U+009B for the start of a command. A byte a file name
    // kept from no valid UTF-8 is written as that byte, "\xE9".
    const auto special = [&](qsizetype i) {
        const QChar c = text[i];
        return c == u'\\' || c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F) ||
               (how == CliEscape::Json && c == u'"') || IsKeptByte(text, i);
    };
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!special(i)) continue;
        out += QStringView(text).sliced(from, i - from);
        from = i + 1;
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        default:
            if (how == CliEscape::Json && c == u'"')
                out += QLatin1String("\\\"");
            else if (how == CliEscape::Json)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else // shown as stderr shows it, never obeyed by the terminal
                out += EscapeControls(QString(c));
        }
    }
    out += QStringView(text).sliced(from);
}

void AppendJsonString(QString& out, const QString& text) {
    out += u'"';
    AppendEscaped(out, text, CliEscape::Json);
    out += u'"';
}

bool WriteAll(std::FILE* stream, const QByteArray& bytes) {
    const size_t written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    return std::fflush(stream) == 0 && written == size_t(bytes.size());
}

void PrintLine(std::FILE* stream, const QString& text) {
    // Names come from documents and archives: their control bytes are shown, never obeyed.
    WriteAll(stream, EscapeControls(text).toUtf8() + '\n');
}

void CliError(const QString& text) {
    PrintLine(stderr, Program + QStringLiteral(": ") + text);
}

std::optional<int> ParseCliOptions(const QString& command, const QStringList& args,
                                   CliOptions* options) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    std::vector<const CliOptionSpec*> taken;
    for (const CliOptionSpec& spec : CliOptionTable()) {
        if (!TakenBy(spec, command)) continue;
        parser.addOption(QCommandLineOption(spec.Names, spec.Help, spec.ValueName));
        taken.push_back(&spec);
    }
    if (!parser.parse(QStringList{Program} + args)) {
        if (!parser.unknownOptionNames().isEmpty()) {
            const QString name = parser.unknownOptionNames().front();
            CliError(
                QStringLiteral("unknown option '%1'")
                    .arg((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name));
        } else {
            // The only other failure: the last word is an option that wants a value.
            CliError(QStringLiteral("option '%1' needs a value").arg(args.back()));
        }
        return ExitUsage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(CliHelpText().toUtf8().constData(), stdout);
        return ExitDone;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        PrintLine(stdout, CliVersionText());
        return ExitDone;
    }

    const QStringList sources = parser.positionalArguments();
    if (sources.size() > 1) {
        CliError(QStringLiteral("more than one SOURCE given ('%1' and '%2')")
                     .arg(sources.at(0), sources.at(1)));
        return ExitUsage;
    }
    if (sources.isEmpty() && command != QLatin1String("templates")) {
        CliError(QStringLiteral("no SOURCE given (a file, folder or .zip archive)"));
        return ExitUsage;
    }
    for (const CliOptionSpec* spec : taken) {
        if (spec->Required && parser.value(spec->Names.back()).isEmpty()) {
            CliError(QStringLiteral("%1 %2 is required").arg(LongName(*spec), spec->ValueName));
            return ExitUsage;
        }
    }
    options->Source = sources.value(0);
    options->Locale = DisplayLocale();
    for (const CliOptionSpec* spec : taken) {
        const QString name = spec->Names.back();
        if (!parser.isSet(name)) continue;
        const QString value = spec->ValueName.isEmpty() ? QString() : parser.value(name);
        if (name == QLatin1String("config")) {
            options->ConfigDir = value;
        } else if (name == QLatin1String("locale")) {
            if (!ParseLocale(value, &options->Locale)) {
                CliError(QStringLiteral("unknown locale '%1'").arg(value));
                return ExitUsage;
            }
        } else {
            options->Values.insert(LongName(*spec), value);
        }
    }
    if (command != QLatin1String("templates") && !QFileInfo::exists(options->Source)) {
        CliError(QStringLiteral("Источник '%1' не найден").arg(options->Source));
        return ExitUsage;
    }
    if (options->ConfigDir.isEmpty()) {
        const ConfigLocation location = ResolveConfigDir(QCoreApplication::applicationDirPath());
        options->ConfigProblems = location.Problems;
        options->ConfigDir = location.Dir;
    }
    return std::nullopt;
}

void PrintFindings(const FindingList& findings) {
    QString text;
    for (const Finding& finding : findings)
        text += EscapeControls(FindingLine(finding)) + u'\n';
    WriteAll(stderr, text.toUtf8());
}

bool LoadCliColumns(const CliOptions& options, ColumnMap* columns, FindingList* settings,
                    bool print) {
    FindingList found;
    AddSettingsFindings(found, UserConfigDir(), options.ConfigProblems);
    // What led to a configuration error is said before it, whatever the command.
    const auto fail = [&](const QString& error) {
        PrintFindings(found);
        CliError(error);
        return false;
    };
    if (!QFileInfo(options.ConfigDir).isDir())
        return fail(QStringLiteral("Папка настроек '%1' не найдена").arg(options.ConfigDir));
    AddSettingsFileFindings(found, options.ConfigDir);
    const QString path = QDir(options.ConfigDir).filePath(QStringLiteral("TAG.INI"));
    ColumnMapLoad load = LoadColumnMap(path);
    AddSettingsFindings(found, path, load.Problems);
    if (load.Columns.empty())
        return fail(QStringLiteral("Карта колонок '%1' не задает ни одной колонки").arg(path));
    if (print) PrintFindings(found);
    settings->insert(settings->end(), found.begin(), found.end());
    *columns = std::move(load.Columns);
    return true;
}

ReadingOutcome ReadCliSource(const CliOptions& options, const ColumnMap& columns,
                             const TextCoder& coder, RowUse use, bool print) {
    ReadingOutcome outcome;
    {
        ProgressLine progress;
        outcome = RunReading(options.Source, columns, coder, std::ref(progress), CliCancel(), use);
    }
    EndIfInterrupted();
    PrintLine(stderr, outcome.StatusText);
    if (outcome.Outside > 0) PrintLine(stderr, OutsideText(outcome.Outside));
    if (print) PrintFindings(outcome.Findings);
    return outcome;
}

FindingList CliFindings(const CliOptions& options, const TextCoder& coder, FindingList settings,
                        const Organisation& org, const FindingList& reading,
                        const DocumentTable& table) {
    FindingList findings = std::move(settings);
    for (Finding& finding : ConfigFindings(options.ConfigDir, {}, coder))
        findings.push_back(std::move(finding));
    AddAccountFinding(findings, org.Account);
    findings.insert(findings.end(), reading.begin(), reading.end());
    for (Finding& finding : CheckFindings(table, CheckDocuments(table, false, org), org.Inn))
        findings.push_back(std::move(finding));
    AddDocumentFields(findings, table);
    return findings;
}

QString CliFormat(const CliOptions& options) {
    const QString format = options.Values.value(QStringLiteral("--format"), QStringLiteral("tsv"));
    if (format == QLatin1String("tsv") || format == QLatin1String("json")) return format;
    CliError(QStringLiteral("--format '%1' is not tsv or json").arg(format));
    return {};
}

bool ParseCliRows(const CliOptions& options, std::optional<std::set<int>>* rows) {
    const QString option = QStringLiteral("--rows");
    if (!options.Values.contains(option)) return true;
    std::set<int> numbers;
    for (const QString& piece : options.Values.value(option).split(u',')) {
        bool ok = false;
        const int row = piece.trimmed().toInt(&ok);
        if (!ok || row < 1) {
            CliError(QStringLiteral("--rows '%1' is not a list of row numbers such as 1,3,4")
                         .arg(options.Values.value(option)));
            return false;
        }
        numbers.insert(row);
    }
    *rows = std::move(numbers);
    return true;
}

bool CheckOnlyCliRows(const std::optional<std::set<int>>& rows, DocumentTable& table) {
    if (!rows) return true;
    const int count = int(table.Rows.size());
    if (*rows->rbegin() > count) {
        CliError(QStringLiteral("--rows: row %1 is out of range (the source gave %2 documents)")
                     .arg(*rows->rbegin())
                     .arg(count));
        return false;
    }
    for (int i = 0; i < count; ++i)
        table.Rows[size_t(i)].Checked = rows->count(i + 1) > 0;
    return true;
}

Organisation CliOrganisation(const CliOptions& options) {
    return ReadOrganisation(INIStorage(options.ConfigDir));
}

CliChecks::CliChecks(const DocumentTable& table, const Organisation& org)
    : m_lines(std::async(std::launch::async, [&table, org] {
          QStringList lines{TotalsText(ComputeTotals(table, org))};
          for (const Finding& finding : CheckFindings(table, CheckDocuments(table, true, org)))
              lines << FindingLine(finding);
          return lines;
      })) {}

void CliChecks::Print() {
    for (const QString& line : m_lines.get())
        PrintLine(stderr, line);
}
