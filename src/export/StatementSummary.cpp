#include "export/StatementSummary.h"

#include "checks/DocumentTotals.h"
#include "export/FormatValue.h"
#include "export/MoneyMove.h"
#include "text/DateParse.h"

#include <cmath>

StatementSummary SummarizeStatement(const DocumentTable& table, const Organisation& org) {
    StatementSummary summary;
    const DocumentTotals totals = ComputeTotals(table, org);
    summary.Count = totals.Checked;
    if (totals.Exact()) summary.TotalKopecks = totals.Kopecks;
    summary.Incoming = totals.Incoming;
    summary.Outgoing = totals.Outgoing;

    const int dateColumn = KeyedColumn(table.Columns, u"Дата");
    const int kindColumn = KeyedColumn(table.Columns, u"ВидОплаты");
    const MoneyDates dates(table.Columns, org);
    const auto day = [](const QString& text) -> std::optional<double> {
        const std::optional<double> parsed = ParseDateText(text.trimmed(), StatementLocale());
        if (!parsed || *parsed < 1) return std::nullopt; // a bare time of day is no date
        return std::trunc(*parsed);
    };
    std::vector<bool> kinds(std::size_t(DocumentKinds().size()));
    for (const DocumentRow& row : table.Rows) {
        if (!row.Checked) continue;
        const QString kind =
            DocumentKindOf(kindColumn < 0 ? QString() : row.ExportValue(kindColumn));
        kinds[std::size_t(DocumentKinds().indexOf(kind))] = true;
        std::optional<double> parsed;
        if (dates.Side().Known()) parsed = day(dates.Moved(row));
        if (!parsed && dateColumn >= 0) parsed = day(row.ExportValue(dateColumn));
        if (!parsed) continue;
        if (!summary.FirstDate || *parsed < *summary.FirstDate) summary.FirstDate = parsed;
        if (!summary.LastDate || *parsed > *summary.LastDate) summary.LastDate = parsed;
    }
    for (std::size_t k = 0; k < kinds.size(); ++k)
        if (kinds[k]) summary.Kinds << DocumentKinds()[qsizetype(k)];
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
