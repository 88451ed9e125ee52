#include "cli/CliCommon.h"

#include "checks/CheckFindings.h"
#include "checks/DocumentChecks.h"
#include "checks/DocumentTotals.h"
#include "checks/OrganisationAccount.h"
#include "cli/Cli.h"
#include "cli/CliSafety.h"
#include "export/SourceGuard.h"
#include "export/TemplateFindings.h"
#include "findings/Findings.h"
#include "presentation/ReadingStatus.h"
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

// Loads ConfigDir/TAG.INI; the settings folder's problems and the map's go to settings as
// findings, printed to stderr with print. Returns false (after one error line) when the folder
// does not exist or the map gives no columns: a configuration error.
bool LoadCliColumns(const CliOptions& options, ColumnMap* columns, FindingList* settings,
                    bool print) {
    FindingList found = options.ConfigFindings;
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
    found.insert(found.end(), load.Findings.begin(), load.Findings.end());
    if (load.Columns.empty())
        return fail(QStringLiteral("Карта колонок '%1' не задает ни одной колонки").arg(path));
    if (print) PrintFindings(found);
    settings->insert(settings->end(), found.begin(), found.end());
    *columns = std::move(load.Columns);
    return true;
}

// Reads SOURCE as the window does and prints the outcome text, then (with print) each finding,
// to stderr.
ReadingOutcome ReadCliSource(const CliOptions& options, const ColumnMap& columns,
                             const TextCoder& coder, RowUse use, bool print) {
    ReadingOutcome outcome;
    {
        ProgressLine progress;
        outcome = RunReading(options.Source, columns, coder, std::ref(progress), CliCancel(), use);
    }
    EndIfInterrupted();
    PrintLine(stderr, ReadingStatusOf(outcome).Text);
    if (outcome.Outside > 0) PrintLine(stderr, OutsideText(outcome.Outside));
    if (print) PrintFindings(outcome.Findings);
    return outcome;
}

} // namespace

CliRun::~CliRun() {
    // The process ends right after its run: the system takes the rows back at once, where
    // freeing them cell by cell took a few percent of a listing. They stay reachable, so that a
    // leak checker has nothing to say.
    static auto* const left = new std::vector<std::vector<DocumentRow>>;
    left->push_back(std::move(Table.Rows));
}

std::optional<int> CliRun::Parse(const QString& command, const QStringList& args) {
    if (const std::optional<int> exit = ParseCliOptions(command, args, &Options)) return exit;
    Coder = TextCoder(Options.Locale);
    return std::nullopt;
}

std::optional<int> CliRun::Read(RowUse use, bool print) {
    if (!LoadCliColumns(Options, &Table.Columns, &Settings, print)) return ExitUsage;
    Problems += qsizetype(Settings.size());
    ReadingOutcome outcome = ReadCliSource(Options, Table.Columns, Coder, use, print);
    Problems += outcome.Problems.size();
    Table.Rows = std::move(outcome.Rows);
    Table.LeftOut = std::move(outcome.Skipped);
    Reading = std::move(outcome.Findings);
    return std::nullopt;
}

std::optional<int> CliRun::TakeForOutput(const std::optional<std::set<int>>& rows,
                                         const QString& target) {
    if (Table.Rows.empty()) return ExitNoDocuments;
    if (!CheckOnlyCliRows(rows, Table)) return ExitUsage;
    if (target.isEmpty()) return std::nullopt;
    if (const QString refused = ReplacedSourceText(target, Options.Source, Table);
        !refused.isEmpty()) {
        CliError(refused);
        return ExitUsage;
    }
    return std::nullopt;
}

int CliRun::End() const {
    return Options.Values.contains(QStringLiteral("--strict")) && Problems > 0 ? ExitHadProblems
                                                                               : ExitDone;
}

FindingList CliFindings(const CliOptions& options, const TextCoder& coder, FindingList settings,
                        const Organisation& org, const FindingList& reading,
                        const DocumentTable& table) {
    for (Finding& finding : SettingsFolderFindings(options.ConfigDir, coder))
        settings.push_back(std::move(finding));
    FindingList findings =
        ProblemsList(std::move(settings), AccountFindings(org.Account), reading,
                     CheckFindings(table, CheckDocuments(table, false, org), org.Inn));
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
