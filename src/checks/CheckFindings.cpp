#include "checks/CheckFindings.h"

#include "checks/DocumentTotals.h"
#include "checks/OrganisationAccount.h"
#include "checks/RequisiteChecks.h"

#include <QHash>

#include <algorithm>

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

namespace {
// The document's number, date and amount as its sender wrote them, as the Значение column is:
// the same in the window, the command line and the register, whatever the locale.
struct DocumentColumns {
    explicit DocumentColumns(const ColumnMap& columns)
        : Number(KeyedColumn(columns, u"Номер")), Date(KeyedColumn(columns, u"Дата")),
          Amount(AmountColumn(columns)) {}
    void Fill(Finding& finding, const DocumentRow& row) const {
        const auto text = [&](int column) {
            return column < 0 ? QString() : row.ExportValue(column).trimmed();
        };
        finding.Number = text(Number);
        finding.Date = text(Date);
        finding.Amount = text(Amount);
    }
    int Number, Date, Amount;
};
} // namespace

void AddDocumentFields(FindingList& findings, const DocumentTable& table) {
    QHash<QString, qsizetype> rows;
    const DocumentColumns columns(table.Columns);
    for (Finding& finding : findings) {
        if (finding.SourcePath.isEmpty()) continue;
        if (rows.isEmpty())
            for (size_t r = 0; r < table.Rows.size(); ++r)
                rows.insert(table.Rows[r].SourcePath, qsizetype(r));
        if (const auto row = rows.constFind(finding.SourcePath); row != rows.cend())
            columns.Fill(finding, table.Rows[size_t(*row)]);
    }
}

FindingList CheckFindings(const DocumentTable& table, const DocumentChecks& checks,
                          const QString& organisationInn) {
    FindingList out;
    const int number = KeyedColumn(table.Columns, u"Номер");
    const DocumentColumns columns(table.Columns);
    const auto caption = [&](int column) {
        return column >= 0 && column < int(table.Columns.size())
                   ? table.Columns[std::size_t(column)].Caption
                   : QString();
    };
    // Documents not the organisation's: named one by one only while they are the few.
    qint64 foreign = 0;
    for (const std::vector<CellProblem>& cells : checks.Cells)
        foreign += std::any_of(cells.cbegin(), cells.cend(), [](const CellProblem& problem) {
            return problem.Kind == CellProblemKind::NotOrganisation;
        });
    const qint64 all = qint64(table.Rows.size());
    const bool accountSuspect = foreign * 2 > all;
    if (accountSuspect)
        out.push_back(
            {FindingKind::OrganisationAccount, QStringLiteral("CONFIG.INI"),
             QStringLiteral("ACC"), checks.Account,
             QStringLiteral("Счет организации %1%2 не встречается в %3 из %4 %5: проверьте "
                            "настройки")
                 .arg(checks.Account,
                      organisationInn.isEmpty() ? QString()
                                                : QStringLiteral(" (ИНН %1)").arg(organisationInn))
                 .arg(foreign)
                 .arg(all)
                 // "из 1 документа", "из 21 документа", "из 5 документов"
                 .arg(all % 10 == 1 && all % 100 != 11 ? QStringLiteral("документа")
                                                       : QStringLiteral("документов")),
             {}});
    for (const DocumentRow& row : table.Rows) {
        const QString name = DocumentName(row.SourcePath);
        const size_t first = out.size();
        const auto cells = checks.Cells.constFind(row.SourcePath);
        if (cells != checks.Cells.cend()) {
            for (const CellProblem& problem : *cells) {
                if (accountSuspect && problem.Kind == CellProblemKind::NotOrganisation) continue;
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
        if (checks.IsDuplicate(row.SourcePath)) {
            constexpr qsizetype Named = 3;
            const QStringList others = checks.DuplicatesOf(row.SourcePath);
            QStringList names;
            for (const QString& other : others.mid(0, Named))
                names << Quoted(DocumentName(other));
            if (others.size() > Named)
                names << QStringLiteral("ещё %1").arg(others.size() - Named);
            out.push_back({FindingKind::Duplicate, name, caption(number),
                           number < 0 ? QString() : row.ExportValue(number).trimmed(),
                           QStringLiteral("те же номер, дата, сумма, счета и ИНН плательщика, что в ") +
                               names.join(QStringLiteral(", ")),
                           row.SourcePath});
        }
        for (size_t f = first; f < out.size(); ++f)
            columns.Fill(out[f], row);
    }
    return out;
}
