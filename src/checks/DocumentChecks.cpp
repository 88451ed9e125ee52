#include "checks/DocumentChecks.h"

#include "checks/DocumentKey.h"
#include "checks/DocumentTotals.h"
#include "checks/OrganisationAccount.h"
#include "checks/RequisiteChecks.h"
#include "text/Parallel.h"

#include <QFileInfo>

#include <array>
#include <utility>

namespace {

const QString PayerAccountKey = QStringLiteral("ПлательщикСчет");

struct PreparedColumn {
    RequisiteField Field;
    int SideBic = -1;     // the БИК column of the same side, for accounts
    int SideAccount = -1; // the account column of the same side, for correspondent accounts
};

std::vector<PreparedColumn> PrepareColumns(const ColumnMap& columns) {
    std::vector<PreparedColumn> prepared(columns.size());
    for (std::size_t c = 0; c < columns.size(); ++c)
        prepared[c].Field = RequisiteFieldOf(columns[c].FieldKey());
    for (PreparedColumn& column : prepared) {
        if (column.Field.Kind != RequisiteKind::Account &&
            column.Field.Kind != RequisiteKind::CorrAccount)
            continue;
        for (std::size_t b = 0; b < prepared.size(); ++b) {
            if (prepared[b].Field.Side.compare(column.Field.Side, Qt::CaseInsensitive) != 0)
                continue;
            if (prepared[b].Field.Kind == RequisiteKind::Bic && column.SideBic < 0)
                column.SideBic = int(b);
            if (prepared[b].Field.Kind == RequisiteKind::Account && column.SideAccount < 0)
                column.SideAccount = int(b);
        }
    }
    return prepared;
}

QString RequisiteProblem(const PreparedColumn& column, const DocumentRow& row, int c) {
    if (column.Field.Kind == RequisiteKind::None) return {};
    const QStringView value = RequisiteText(row.ExportValue(c));
    switch (column.Field.Kind) {
    case RequisiteKind::Inn:
        return InnProblem(value);
    case RequisiteKind::Kpp:
        return KppProblem(value);
    case RequisiteKind::Bic:
        return BicProblem(value);
    case RequisiteKind::Date:
        return DateProblem(value);
    case RequisiteKind::Account:
    case RequisiteKind::CorrAccount: {
        const QString& bic = column.SideBic < 0 ? QString() : row.ExportValue(column.SideBic);
        const bool correspondent = column.Field.Kind == RequisiteKind::CorrAccount;
        QString why = AccountProblem(value, RequisiteText(bic), correspondent);
        if (why.isEmpty() && correspondent && column.SideAccount >= 0)
            why = TreasuryCorrAccountProblem(RequisiteText(row.ExportValue(column.SideAccount)),
                                             value);
        return why;
    }
    case RequisiteKind::None:
        break;
    }
    return {};
}

// The last problem found in each column, by where the texts it was found from lie: the next
// document mostly shares the same texts (a reader keeps one copy of a recurring value), and the
// rows stay as they are while they are checked, so a place holds one text all along.
class LastProblems {
public:
    explicit LastProblems(const std::vector<PreparedColumn>& columns)
        : m_columns(columns), m_last(columns.size()) {}

    const QString& Of(const DocumentRow& row, int c) {
        const PreparedColumn& column = m_columns[size_t(c)];
        Last& last = m_last[size_t(c)];
        const Places places{PlaceOf(row, c), PlaceOf(row, column.SideBic),
                            PlaceOf(row, column.SideAccount)};
        if (!last.Known || last.From != places) {
            last.Why = column.Field.Kind == RequisiteKind::Date ? DateWhy(row.ExportValue(c))
                                                                : RequisiteProblem(column, row, c);
            last.From = places;
            last.Known = true;
        }
        return last.Why;
    }

private:
    QString DateWhy(const QString& date) {
        return Remembered(m_dates, date,
                          [](const QString& text) { return DateProblem(RequisiteText(text)); });
    }

    using Place = std::pair<const QChar*, qsizetype>;
    using Places = std::array<Place, 3>;
    static Place PlaceOf(const DocumentRow& row, int c) {
        if (c < 0) return {};
        const QString& text = row.ExportValue(c);
        return {text.constData(), text.size()};
    }
    struct Last {
        bool Known = false;
        Places From;
        QString Why;
    };
    const std::vector<PreparedColumn>& m_columns;
    std::vector<Last> m_last;
    QHash<QString, QString> m_dates;
};

} // namespace

const CellProblem* DocumentChecks::CellAt(const QString& sourcePath, int column) const {
    const auto found = Cells.constFind(sourcePath);
    if (found == Cells.cend()) return nullptr;
    for (const CellProblem& problem : *found)
        if (problem.Column == column) return &problem;
    return nullptr;
}

QStringList DocumentChecks::DuplicatesOf(const QString& sourcePath) const {
    const auto found = DuplicateGroupOf.constFind(sourcePath);
    if (found == DuplicateGroupOf.cend()) return {};
    QStringList others = DuplicateGroups[std::size_t(*found)];
    others.removeOne(sourcePath);
    return others;
}

DocumentChecks CheckDocuments(const DocumentTable& table, bool checkedOnly,
                              const Organisation& org) {
    DocumentChecks checks;
    const std::vector<PreparedColumn> columns = PrepareColumns(table.Columns);
    const int amount = AmountColumn(table.Columns);
    const int payerAccount = KeyedColumn(table.Columns, PayerAccountKey);
    const OrganisationSide side(table.Columns, org);
    const QString notOwnWhy =
        QStringLiteral("документ не относится к счету организации %1").arg(org.Account);
    if (side.Known()) checks.Account = org.Account;
    const DocumentKeys keys(table.Columns);

    // What each document shows, found on every core; then gathered in table order.
    struct Findings {
        bool Looked = false;
        std::vector<CellProblem> Problems;
        QString Key; // for duplicates; empty when it can't have any
    };
    std::vector<Findings> found(table.Rows.size());
    constexpr qsizetype RowsPerPart = 2048;
    RunInParts(qsizetype(found.size()), RowsPerPart, [&](qsizetype from, qsizetype to) {
        QHash<QString, QString> dates; // date text -> the day it stands for
        LastProblems last(columns);
        for (qsizetype r = from; r < to; ++r) {
            const DocumentRow& row = table.Rows[size_t(r)];
            if (checkedOnly && !row.Checked) continue;
            Findings& findings = found[size_t(r)];
            findings.Looked = true;
            for (std::size_t c = 0; c < columns.size(); ++c) {
                if (columns[c].Field.Kind == RequisiteKind::None) continue;
                const QString& why = last.Of(row, int(c));
                if (!why.isEmpty()) findings.Problems.push_back({int(c), why});
            }
            if (side.Known() && side.Direction(row) == MoneyDirection::Other)
                findings.Problems.push_back(
                    {payerAccount, notOwnWhy, CellProblemKind::NotOrganisation});
            QString amountWhy;
            if (amount >= 0 && !PaymentKopecks(row.ExportValue(amount), &amountWhy))
                findings.Problems.push_back({amount, amountWhy, CellProblemKind::Amount});
            findings.Key = keys.Key(row, &dates);
        }
    });

    QHash<QString, QStringList> byKey; // duplicate key -> source paths, in table order
    QStringList keyOrder;
    for (std::size_t r = 0; r < found.size(); ++r) {
        Findings& findings = found[r];
        if (!findings.Looked) continue;
        const QString& path = table.Rows[r].SourcePath;
        if (!findings.Problems.empty()) checks.Cells.insert(path, std::move(findings.Problems));
        if (findings.Key.isEmpty()) continue;
        QStringList& paths = byKey[findings.Key];
        if (paths.isEmpty()) keyOrder.append(findings.Key);
        paths.append(path);
    }
    for (const QString& key : std::as_const(keyOrder)) {
        QStringList& paths = byKey[key];
        if (paths.size() < 2) continue;
        const int group = int(checks.DuplicateGroups.size());
        for (const QString& path : std::as_const(paths))
            checks.DuplicateGroupOf.insert(path, group);
        checks.DuplicateGroups.push_back(std::move(paths));
    }
    return checks;
}
