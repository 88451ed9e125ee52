#include "cli/Cli.h"
#include "cli/CliCommon.h"
#include "cli/CliDate.h"
#include "cli/CliSafety.h"

#include "checks/DocumentChecks.h"
#include "findings/Findings.h"
#include "export/RegisterPdf.h"
#include "export/SaveCommand.h"
#include "settings/INIStorage.h"
#include "text/TextCoder.h"

#include <QDateTime>

int RunRegister(const QStringList& args) {
    CliOptions options;
    if (const std::optional<int> exit = ParseCliOptions(QStringLiteral("register"), args, &options))
        return *exit;
    const QString output = options.Values.value(QStringLiteral("--output"));
    const bool xlsx = output.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive);
    const bool pdf = output.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
    if (output == QLatin1String("-")) {
        CliError(QStringLiteral("register: a workbook or a PDF is not written to stdout; name a "
                                "file with -o"));
        return ExitUsage;
    }
    if (!xlsx && !pdf) {
        CliError(QStringLiteral("register: -o '%1' must end in .xlsx or .pdf").arg(output));
        return ExitUsage;
    }
    std::optional<std::set<int>> rows;
    if (!ParseCliRows(options, &rows)) return ExitUsage;
    QDateTime when;
    if (!ParseCliDate(options, &when)) return ExitUsage;

    const TextCoder coder(options.Locale);
    DocumentTable table;
    FindingList configFindings;
    if (!LoadCliColumns(options, &table.Columns, &configFindings)) return ExitUsage;
    qsizetype problems = qsizetype(configFindings.size());
    ReadingOutcome outcome = ReadCliSource(options, table.Columns, coder, RowUse::Statement);
    problems += outcome.Problems.size();
    if (outcome.Rows.empty()) return ExitNoDocuments;
    const Organisation org = CliOrganisation(options);
    table.Rows = std::move(outcome.Rows);
    table.LeftOut = std::move(outcome.Skipped);
    if (!CheckOnlyCliRows(rows, table)) return ExitUsage;
    if (const QString refused = ReplacedSourceText(output, options.Source, table);
        !refused.isEmpty()) {
        CliError(refused);
        return ExitUsage;
    }

    CliChecks checks(table, org);
    // The workbook lists what `check` prints for the source; the PDF marks the documents named.
    const FindingList findings =
        CliFindings(options, coder, std::move(configFindings), org, outcome.Findings, table);
    const INIStorage settings(options.ConfigDir);
    // A printed register reads by date and number; the workbook keeps the source's order, which
    // its filter can change.
    DocumentTable sorted;
    if (pdf) {
        sorted.Columns = table.Columns;
        sorted.Rows = table.Rows;
        SortByDateAndNumber(sorted);
    }
    const ExportResult result =
        WriteRegister(output, xlsx ? RegisterFormat::Xlsx : RegisterFormat::Pdf,
                      pdf ? sorted : table, settings, when, findings);
    if (!result.Ok) {
        CliError(result.Error);
        return ExitWriteFailed;
    }
    PrintLine(stdout, SaveSuccessText(qint64(table.Rows.size()), output));
    // Values the workbook holds otherwise than written, each named.
    for (const QString& problem : std::as_const(result.Problems))
        PrintLine(stderr, problem);
    problems += result.Problems.size();
    checks.Print();
    EndIfInterrupted();
    if (!StdoutReached()) return ExitWriteFailed;
    return options.Values.contains(QStringLiteral("--strict")) && problems > 0 ? ExitHadProblems
                                                                               : ExitDone;
}
