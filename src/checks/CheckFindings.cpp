#include "checks/CheckFindings.h"

#include "checks/DocumentTotals.h"
#include "checks/OrganisationAccount.h"
#include "checks/RequisiteChecks.h"

namespace {
QString Quoted(const QString& text) {
    return u'\'' + text + u'\'';
}
} // namespace

FindingList AccountFindings(const QString& account) {
    FindingList out;
    const QString why = OrganisationAccountProblem(account);
    if (!why.isEmpty())
        out.push_back({FindingKind::OrganisationAccount,
                       QStringLiteral("CONFIG.INI"),
                       QStringLiteral("ACC"),
                       account,
                       why,
                       {}});
    return out;
}

FindingList CheckFindings(const DocumentTable& table, const DocumentChecks& checks) {
    FindingList out;
    const int number = KeyedColumn(table.Columns, u"Номер");
    const auto caption = [&](int column) {
        return column >= 0 && column < int(table.Columns.size())
                   ? table.Columns[std::size_t(column)].Caption
                   : QString();
    };
    for (const DocumentRow& row : table.Rows) {
        const QString name = DocumentName(row.SourcePath);
        const auto cells = checks.Cells.constFind(row.SourcePath);
        if (cells != checks.Cells.cend()) {
            for (const CellProblem& problem : *cells) {
                const FindingKind kind = problem.Kind == CellProblemKind::Amount
                                             ? FindingKind::Amount
                                         : problem.Kind == CellProblemKind::NotOrganisation
                                             ? FindingKind::NotOrganisation
                                             : FindingKind::Requisite;
                out.push_back({kind, name, caption(problem.Column),
                               row.ExportValue(problem.Column).trimmed(), problem.Why,
                               row.SourcePath});
            }
        }
        if (!checks.IsDuplicate(row.SourcePath)) continue;
        constexpr qsizetype Named = 3;
        const QStringList others = checks.DuplicatesOf(row.SourcePath);
        QStringList names;
        for (const QString& other : others.mid(0, Named))
            names << Quoted(DocumentName(other));
        if (others.size() > Named) names << QStringLiteral("ещё %1").arg(others.size() - Named);
        out.push_back({FindingKind::Duplicate, name, caption(number),
                       number < 0 ? QString() : row.ExportValue(number).trimmed(),
                       QStringLiteral("те же номер, дата, сумма и ИНН плательщика, что в ") +
                           names.join(QStringLiteral(", ")),
                       row.SourcePath});
    }
    return out;
}
