#pragma once

#include "export/BuildExportFile.h"

#include <QString>

#include <optional>
#include <vector>

// What the header and the footer may say about the documents a statement holds.
struct StatementSummary {
    qint64 Count = 0;                   // {Count}: the documents written
    std::optional<qint64> TotalKopecks; // {Total}: none when an amount can't be added exactly
    std::optional<double> FirstDate;    // {FirstDate}: the earliest "Дата", whole days
    std::optional<double> LastDate;     // {LastDate}: the latest one
};

// Over the checked rows of the table, the ones the statement writes.
StatementSummary SummarizeStatement(const DocumentTable& table);

struct NamedText {
    QString Name; // a placeholder's name without its braces
    QString Text;
};

// The texts of "Count", "Total", "FirstDate" and "LastDate", which the header and the footer may
// use. Total is the sum with the template's decimal separator and no grouping, as amounts are
// written; it is empty when an amount could not be added exactly (the checks name it). The dates
// follow the template's date pattern; with no date among the documents both are the export date.
std::vector<NamedText> StatementPlaceholders(const StatementSummary& summary, double exportDate,
                                             const FormatSettings& formats);
