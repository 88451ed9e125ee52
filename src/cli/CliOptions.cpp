#include "cli/CliCommon.h"

#include "checks/CheckFindings.h"
#include "checks/DocumentChecks.h"
#include "checks/DocumentTotals.h"
#include "checks/OrganisationAccount.h"
#include "cli/Cli.h"
#include "cli/CliSafety.h"
#include "export/TemplateFindings.h"
#include "findings/Findings.h"
#include "settings/ConfigLocation.h"
#include "settings/INIStorage.h"
#include "text/DisplayLocale.h"
#include "text/EscapeControls.h"
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
    if (command == QLatin1String("journal"))
        words << QStringLiteral("[show FILE | forget FILE]");
    else if (command != QLatin1String("templates"))
        words << QStringLiteral("SOURCE");
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
         QStringLiteral("list, check, journal: TSV lines (default) or a JSON array of objects"),
         {QStringLiteral("list"), QStringLiteral("check"), QStringLiteral("journal")}},
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
        {{QStringLiteral("journal")},
         QStringLiteral("PATH|URL"),
         QStringLiteral("convert, journal: the export journal, a SQLite file or "
                        "postgresql://user@host/db (default: [Main] Journal= of CONFIG.INI, else "
                        "journal.sqlite in the settings folder)"),
         {QStringLiteral("convert"), QStringLiteral("journal")}},
        {{QStringLiteral("no-journal")},
         {},
         QStringLiteral("convert: record nothing in the export journal"),
         {QStringLiteral("convert"), QStringLiteral("journal")}},
        {{QStringLiteral("only-new")},
         {},
         QStringLiteral("convert: write only the documents the export journal does not hold "
                        "(exit 2 when the journal cannot tell)"),
         {QStringLiteral("convert")}},
        {{QStringLiteral("since")},
         QStringLiteral("YYYY-MM-DD"),
         QStringLiteral("journal: only the statements written since that day"),
         {QStringLiteral("journal")}},
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
           Synopsis(QStringLiteral("  or:  "), QStringLiteral("journal")) + u'\n' +
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
                     "display name, file type and file. journal lists the statements the export "
                     "journal holds (time, file, documents, template, ACC, INN); journal show FILE "
                     "lists one statement's documents (key, source file), journal forget FILE "
                     "drops its record. register writes the checked documents as "
                     "a register for people: an Excel workbook or a PDF, by the extension of -o. "
                     "The reading outcome and every problem go to "
                     "stderr."))
          << QString() << QStringLiteral("Exit status:")
          << paragraph(QStringLiteral("  "),
                       QStringLiteral("0 done; 1 the source gave no documents (nothing written); "
                                      "2 a usage or configuration error (also convert --only-new "
                                      "while the export journal cannot tell what is new: off, "
                                      "unreadable, unreachable or just begun anew after damage); "
                                      "3 the output could not "
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

qsizetype CliCommandIndex(const QStringList& args) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& word = args.at(i);
        if (word == QLatin1String("--")) return i + 1 < args.size() ? i + 1 : -1;
        if (word.size() < 2 || word.front() != u'-') return i;
        // "--name VALUE" and "-n VALUE" take the next word along; "--name=VALUE" does not.
        const bool isLong = word.startsWith(QLatin1String("--"));
        if (isLong && word.contains(u'=')) continue;
        const QString name = isLong ? word.mid(2) : word.right(1);
        for (const CliOptionSpec& spec : CliOptionTable())
            if (spec.Names.contains(name) && !spec.ValueName.isEmpty() &&
                (isLong || word.size() == 2)) {
                ++i;
                break;
            }
    }
    return -1;
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
    const bool journal = command == QLatin1String("journal");
    if (journal) {
        options->Words = sources;
        if (!sources.isEmpty() &&
            (sources.size() != 2 || (sources.front() != QLatin1String("show") &&
                                     sources.front() != QLatin1String("forget")))) {
            CliError(QStringLiteral("journal takes nothing, show FILE or forget FILE"));
            return ExitUsage;
        }
    } else if (sources.size() > 1) {
        CliError(QStringLiteral("more than one SOURCE given ('%1' and '%2')")
                     .arg(sources.at(0), sources.at(1)));
        return ExitUsage;
    }
    if (sources.isEmpty() && command != QLatin1String("templates") && !journal) {
        CliError(QStringLiteral("no SOURCE given (a file, folder or .zip archive)"));
        return ExitUsage;
    }
    for (const CliOptionSpec* spec : taken) {
        if (spec->Required && parser.value(spec->Names.back()).isEmpty()) {
            CliError(QStringLiteral("%1 %2 is required").arg(LongName(*spec), spec->ValueName));
            return ExitUsage;
        }
    }
    if (!journal) options->Source = sources.value(0);
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
    if (command != QLatin1String("templates") && !journal &&
        !QFileInfo::exists(options->Source)) {
        CliError(QStringLiteral("Источник '%1' не найден").arg(options->Source));
        return ExitUsage;
    }
    if (options->ConfigDir.isEmpty()) {
        const ConfigLocation location = ResolveConfigDir(QCoreApplication::applicationDirPath());
        options->ConfigFindings = location.Findings;
        options->ConfigDir = location.Dir;
    }
    return std::nullopt;
}
