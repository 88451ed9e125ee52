#pragma once

#include "checks/OrganisationSide.h"
#include "export/BuildExportFile.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// What the header and the footer may say about the documents a statement holds.
struct StatementSummary {
    qint64 Count = 0;                   // {Count}: the documents written
    std::optional<qint64> TotalKopecks; // {Total}: none when an amount can't be added exactly
    std::optional<qint64> Incoming;     // {Incoming}: paid to the organisation's account
    std::optional<qint64> Outgoing;     // {Outgoing}: paid from it
    // {FirstDate} and {LastDate}, whole days: the span of the dates the money moved on when the
    // organisation's side is known (MoneyDates::Moved), else of the documents' "Дата".
    std::optional<double> FirstDate;
    std::optional<double> LastDate;
    QStringList Kinds; // {DocumentKind} of the header: the kinds present, in DocumentKinds order
};

// Over the checked rows of the table, the ones the statement writes; org tells {Incoming} and
// {Outgoing}.
StatementSummary SummarizeStatement(const DocumentTable& table, const Organisation& org = {});

struct NamedText {
    QString Name; // a placeholder's name without its braces
    QString Text;
};

// The texts of "Count", "Total", "Incoming", "Outgoing", "FirstDate" and "LastDate", which the
// header and the footer may use. The sums have the template's decimal separator and no grouping,
// as amounts are written; each is empty when an amount of it could not be added exactly (the
// checks name it), Incoming and Outgoing also without a valid organisation's account. The dates
// follow the template's date pattern; with no date among the documents both are the export date.
std::vector<NamedText> StatementPlaceholders(const StatementSummary& summary, double exportDate,
                                             const FormatSettings& formats);
