#include "export/StatementSummary.h"

#include "checks/DocumentTotals.h"
#include "export/FormatValue.h"
#include "text/DateParse.h"

#include <cmath>

StatementSummary SummarizeStatement(const DocumentTable& table, const Organisation& org) {
    StatementSummary summary;
    const DocumentTotals totals = ComputeTotals(table, org);
    summary.Count = totals.Checked;
    if (totals.Exact()) summary.TotalKopecks = totals.Kopecks;
    summary.Incoming = totals.Incoming;
    summary.Outgoing = totals.Outgoing;

    int dateColumn = -1;
    for (std::size_t c = 0; c < table.Columns.size() && dateColumn < 0; ++c)
        if (table.Columns[c].FieldKey().compare(u"Дата", Qt::CaseInsensitive) == 0)
            dateColumn = int(c);
    if (dateColumn < 0) return summary;
    for (const DocumentRow& row : table.Rows) {
        if (!row.Checked) continue;
        const std::optional<double> parsed =
            ParseDateText(row.ExportValue(dateColumn).trimmed(), StatementLocale());
        if (!parsed || *parsed < 1) continue; // a bare time of day is no date
        const double day = std::trunc(*parsed);
        if (!summary.FirstDate || day < *summary.FirstDate) summary.FirstDate = day;
        if (!summary.LastDate || day > *summary.LastDate) summary.LastDate = day;
    }
    return summary;
}

std::vector<NamedText> StatementPlaceholders(const StatementSummary& summary, double exportDate,
                                             const FormatSettings& formats) {
    const double today = std::trunc(exportDate);
    const auto sum = [&formats](const std::optional<qint64>& kopecks) {
        return kopecks ? KopecksText(*kopecks, formats.DecimalSeparator) : QString();
    };
    return {
        {QStringLiteral("Count"), QString::number(summary.Count)},
        {QStringLiteral("Total"), sum(summary.TotalKopecks)},
        {QStringLiteral("Incoming"), sum(summary.Incoming)},
        {QStringLiteral("Outgoing"), sum(summary.Outgoing)},
        {QStringLiteral("FirstDate"), FormatValue(summary.FirstDate.value_or(today), formats)},
        {QStringLiteral("LastDate"), FormatValue(summary.LastDate.value_or(today), formats)},
    };
}
