#include "cli/Cli.h"
#include "cli/CliCommon.h"
#include "cli/CliSafety.h"

#include "checks/DocumentChecks.h"
#include "text/TextCoder.h"

#include <cerrno>
#include <cstdio>

namespace {

// The keys of check's JSON objects, in the order of the list's columns.
const QStringList& JsonFindingKeys() {
    static const QStringList keys{QStringLiteral("kind"), QStringLiteral("file"),
                                  QStringLiteral("field"), QStringLiteral("value"),
                                  QStringLiteral("why"), QStringLiteral("number"),
                                  QStringLiteral("date"), QStringLiteral("amount")};
    return keys;
}

QByteArray FindingsTsv(const FindingList& findings) {
    const int count = int(FindingCaptions().size());
    QString out;
    AppendTsvLine(out, count, [](int c) { return FindingCaptions().at(c); });
    for (const Finding& finding : findings)
        AppendTsvLine(out, count, [&](int c) { return FindingField(finding, c); });
    return out.toUtf8();
}

QByteArray FindingsJson(const FindingList& findings) {
    QString out = QStringLiteral("[");
    for (std::size_t i = 0; i < findings.size(); ++i) {
        out += i ? QStringLiteral(",\n{") : QStringLiteral("\n{");
        for (int c = 0; c < int(JsonFindingKeys().size()); ++c) {
            if (c) out += u',';
            AppendJsonString(out, JsonFindingKeys().at(c));
            out += u':';
            AppendJsonString(out, FindingField(findings[i], c));
        }
        out += u'}';
    }
    out += findings.empty() ? QStringLiteral("]\n") : QStringLiteral("\n]\n");
    return out.toUtf8();
}

} // namespace

int RunCheck(const QStringList& args) {
    CliOptions options;
    if (const std::optional<int> exit = ParseCliOptions(QStringLiteral("check"), args, &options))
        return *exit;
    const QString format = CliFormat(options);
    if (format.isEmpty()) return ExitUsage;
    // The same rows, in the same order, as the window's problems list: the settings, what the
    // reading said, what the checks found.
    ColumnMap columns;
    FindingList settings;
    if (!LoadCliColumns(options, &columns, &settings, false)) return ExitUsage;
    const TextCoder coder(options.Locale);
    ReadingOutcome outcome = ReadCliSource(options, columns, coder, RowUse::List, false);
    const DocumentTable table{columns, std::move(outcome.Rows)};
    const FindingList findings =
        CliFindings(options, coder, std::move(settings), CliOrganisation(options),
                    outcome.Findings, table);

    // A failed write still goes through StdoutReached, with its reason: that says why.
    errno = 0;
    const bool written = WriteAll(stdout, format == QLatin1String("json") ? FindingsJson(findings)
                                                                          : FindingsTsv(findings));
    if (!StdoutReached(written ? 0 : errno) || !written) return ExitWriteFailed;
    if (table.Rows.empty()) return ExitNoDocuments;
    return findings.empty() ? ExitDone : ExitHadProblems;
}
