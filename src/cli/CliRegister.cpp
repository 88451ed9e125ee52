#include "cli/Cli.h"
#include "cli/CliCommon.h"
#include "cli/CliDate.h"
#include "cli/CliSafety.h"

#include "checks/DocumentChecks.h"
#include "findings/Findings.h"
#include "export/RegisterPdf.h"
#include "export/SaveNames.h"
#include "settings/INIStorage.h"
#include "text/TextCoder.h"

#include <QDateTime>

int RunRegister(const QStringList& args) {
    CliRun run;
    if (const std::optional<int> exit = run.Parse(QStringLiteral("register"), args)) return *exit;
    const CliOptions& options = run.Options;
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

    if (const std::optional<int> exit = run.Read(RowUse::Statement)) return *exit;
    if (const std::optional<int> exit = run.TakeForOutput(rows, output)) return *exit;
    const DocumentTable& table = run.Table;
    const Organisation org = CliOrganisation(options);

    CliChecks checks(table, org);
    // The workbook lists what `check` prints for the source; the PDF marks the documents named.
    const FindingList findings =
        CliFindings(options, run.Coder, std::move(run.Settings), org, run.Reading, table);
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
    run.Problems += result.Problems.size();
    checks.Print();
    EndIfInterrupted();
    if (!StdoutReached()) return ExitWriteFailed;
    return run.End();
}
