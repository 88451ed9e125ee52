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
    CliRun run;
    if (const std::optional<int> exit = run.Parse(QStringLiteral("check"), args)) return *exit;
    const QString format = CliFormat(run.Options);
    if (format.isEmpty()) return ExitUsage;
    // The same rows, in the same order, as the window's problems list: the settings, what the
    // reading said, what the checks found.
    if (const std::optional<int> exit = run.Read(RowUse::List, false)) return *exit;
    const DocumentTable& table = run.Table;
    const FindingList findings =
        CliFindings(run.Options, run.Coder, std::move(run.Settings),
                    CliOrganisation(run.Options), run.Reading, table);

    // A failed write still goes through StdoutReached, with its reason: that says why.
    errno = 0;
    const bool written = WriteAll(stdout, format == QLatin1String("json") ? FindingsJson(findings)
                                                                          : FindingsTsv(findings));
    if (!StdoutReached(written ? 0 : errno) || !written) return ExitWriteFailed;
    if (table.Rows.empty()) return ExitNoDocuments;
    return findings.empty() ? ExitDone : ExitHadProblems;
}
