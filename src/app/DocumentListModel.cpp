#include "app/DocumentListModel.h"
#include "findings/Findings.h"
#include "text/TextCoder.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

#include <memory>
#include <utility>

// The first column's marks: a duplicate's warning, a document already exported, or both side by
// side (either alone would hide the other).
QVariant DocumentListModel::MarkIcon(bool duplicate, bool exported) const {
    if (!duplicate && !exported) return {};
    QStyle* style = QApplication::style();
    // Taken from the style once: every row drawn or measured asks, a year's list 100,000 times.
    if (m_warningIcon.isNull()) {
        m_warningIcon = style->standardIcon(QStyle::SP_MessageBoxWarning);
        m_savedIcon = style->standardIcon(QStyle::SP_DialogSaveButton);
    }
    const QIcon& warning = m_warningIcon;
    const QIcon& saved = m_savedIcon;
    if (!exported) return warning;
    if (!duplicate) return saved;
    // A pixmap, not an icon: the list gives a pixmap the room it needs.
    static const QPixmap both = [&] {
        const int side = style->pixelMetric(QStyle::PM_SmallIconSize);
        QPixmap pair(2 * side + 2, side);
        pair.fill(Qt::transparent);
        QPainter painter(&pair);
        painter.drawPixmap(0, 0, warning.pixmap(side));
        painter.drawPixmap(side + 2, 0, saved.pixmap(side));
        return pair;
    }();
    return both;
}

DocumentListModel::DocumentListModel(DocumentTable& table, const TextCoder& coder, QObject* parent)
    : QAbstractTableModel(parent), m_table(table), m_coder(coder) {
    m_freeing.setMaxThreadCount(1);
}

int DocumentListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_table.Rows.size());
}

int DocumentListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_table.Columns.size());
}

QVariant DocumentListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) {
        return {};
    }
    const DocumentRow& row = m_table.Rows[std::size_t(index.row())];
    if (!m_checks.IsEmpty()) {
        const QVariant checked = CheckData(row, index.column(), role);
        if (checked.isValid()) return checked;
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return row.DisplayText(index.column());
    case Qt::CheckStateRole:
        if (index.column() == 0) return row.Checked ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::TextAlignmentRole:
        if (m_table.Columns[std::size_t(index.column())].IsAmount()) {
            return int(Qt::AlignRight | Qt::AlignVCenter);
        }
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

bool DocumentListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (m_frozen || !index.isValid() || index.column() != 0 || role != Qt::CheckStateRole ||
        index.row() >= rowCount()) {
        return false;
    }
    m_table.Rows[std::size_t(index.row())].Checked = Qt::CheckState(value.toInt()) == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags DocumentListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == 0 && !m_frozen) f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant DocumentListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) return m_table.Columns[std::size_t(section)].Caption;
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

void DocumentListModel::SetColumns(const ColumnMap& columns) {
    beginResetModel();
    m_table.Columns = columns;
    m_table.Rows.clear();
    m_table.LeftOut.clear();
    m_checks = {};
    m_sortColumn = -1;
    m_sortKindKnown = false;
    endResetModel();
}

void DocumentListModel::ClearRows() {
    m_table.LeftOut.clear();
    if (m_table.Rows.empty()) return;
    beginResetModel();
    // A hundred thousand rows take a while to free: a worker lets them go, the list is empty
    // at once. Nothing else refers to them once moved out.
    auto old = std::make_shared<std::pair<std::vector<DocumentRow>, DocumentChecks>>(
        std::exchange(m_table.Rows, {}), std::exchange(m_checks, {}));
    m_freeing.start([old = std::move(old)]() mutable { old.reset(); });
    endResetModel();
}

void DocumentListModel::AppendRows(std::vector<DocumentRow> rows) {
    if (rows.empty()) return;
    const int first = rowCount();
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    m_table.Rows.insert(m_table.Rows.end(), std::make_move_iterator(rows.begin()),
                        std::make_move_iterator(rows.end()));
    endInsertRows();
}

std::function<std::vector<std::size_t>()> DocumentListModel::OrderAfterReading(bool byEntryName) {
    const bool sorted = m_sortColumn >= 0 && m_sortColumn < columnCount();
    if ((!sorted && !byEntryName) || m_table.Rows.empty()) return {};
    if (sorted) KnowSortKind();
    const DocumentTable& table = m_table;
    const int column = sorted ? m_sortColumn : -1;
    const bool amount = sorted && m_table.Columns[std::size_t(column)].IsAmount();
    return [&table, byEntryName, column, kind = m_sortKind, amount, locale = m_coder.Locale(),
            descending = m_sortDescending] {
        std::vector<std::size_t> order;
        if (byEntryName) order = EntryNameOrder(table.Rows);
        if (column >= 0)
            order = SortedOrder(table.Rows, column, kind, amount, locale, descending,
                                std::move(order));
        return order;
    };
}

void DocumentListModel::ApplyOrder(const std::vector<std::size_t>& order) {
    if (order.size() != m_table.Rows.size()) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> placeOf(order.size());
    for (std::size_t r = 0; r < order.size(); ++r)
        placeOf[order[r]] = int(r);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& i : before)
        after.append(index(placeOf[std::size_t(i.row())], i.column()));
    PutInOrder(m_table.Rows, order);
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void DocumentListModel::SetRowsChecked(const std::vector<int>& rows, bool checked) {
    if (m_frozen) return;
    int first = rowCount(), last = -1;
    for (const int r : rows) {
        if (r < 0 || r >= rowCount()) continue;
        m_table.Rows[std::size_t(r)].Checked = checked;
        first = std::min(first, r);
        last = std::max(last, r);
    }
    if (last >= 0) emit dataChanged(index(first, 0), index(last, 0), {Qt::CheckStateRole});
}

void DocumentListModel::SetSortColumn(int column) {
    if (column < 0 || column >= columnCount()) return;
    m_sortColumn = column;
    m_sortKindKnown = false;
    if (!m_table.Rows.empty()) SortByColumn(column);
}

void DocumentListModel::SetSortDescending(bool descending) {
    if (descending == m_sortDescending || m_frozen) return;
    m_sortDescending = descending;
    if (m_sortColumn >= 0) SortByColumn(m_sortColumn);
}

bool DocumentListModel::SortByClick(int column) {
    if (m_frozen || m_table.Rows.empty() || column < 0 || column >= columnCount()) return false;
    // The sorted column's header again turns the order round; another column starts ascending.
    m_sortDescending = column == m_sortColumn && !m_sortDescending;
    return SortByColumn(column);
}

bool DocumentListModel::SortByColumn(int column) {
    if (m_frozen || m_table.Rows.empty() || column < 0 || column >= columnCount()) return false;
    m_sortColumn = column;
    m_sortKindKnown = false; // taken from the first row when the rows are sorted
    if (m_sortAfterReading) {
        emit SortPending();
        return true;
    }
    KnowSortKind();
    ApplyOrder(SortedOrder(m_table.Rows, m_sortColumn, m_sortKind,
                           m_table.Columns[std::size_t(m_sortColumn)].IsAmount(),
                           m_coder.Locale(), m_sortDescending));
    return true;
}

// The kind is taken from the first row the column is sorted by.
void DocumentListModel::KnowSortKind() {
    if (m_sortKindKnown) return;
    const DocumentRow& first = m_table.Rows.front();
    m_sortKind = SortKindFor({first.DisplayText(m_sortColumn), first.ExportValue(m_sortColumn)},
                             m_table.Columns[std::size_t(m_sortColumn)].IsAmount(),
                             m_coder.Locale());
    m_sortKindKnown = true;
}

void DocumentListModel::SetChecks(DocumentChecks checks) {
    m_checks = std::move(checks);
    emit ChecksChanged();
}

int DocumentListModel::RowOf(const QString& sourcePath) const {
    for (std::size_t r = 0; r < m_table.Rows.size(); ++r)
        if (m_table.Rows[r].SourcePath == sourcePath) return int(r);
    return -1;
}

QString DocumentListModel::ProblemTip(const DocumentRow& row, int column) const {
    const CellProblem* problem = m_checks.CellAt(row.SourcePath, column);
    return problem ? row.DisplayText(column) + u'\n' + problem->Why : QString();
}

QVariant DocumentListModel::CheckData(const DocumentRow& row, int column, int role) const {
    switch (role) {
    case Qt::BackgroundRole:
        if (m_checks.CellAt(row.SourcePath, column)) return ProblemColor;
        break;
    case Qt::ToolTipRole: {
        QString tip = ProblemTip(row, column);
        if (column == 0 && m_checks.IsDuplicate(row.SourcePath)) {
            // One name a line, as many as a screen shows; the problems list names them all.
            QStringList lines;
            for (const QString& other : m_checks.DuplicatesOf(row.SourcePath))
                lines << QLatin1Char('\'') + DocumentName(other) + QLatin1Char('\'');
            if (tip.isEmpty()) tip = row.DisplayText(0);
            const qsizetype above = tip.count(u'\n') + 2;
            tip += QStringLiteral(
                       "\nПовтор: те же номер, дата, сумма, счета и ИНН плательщика, что в\n") +
                   ShortTip(lines, std::max<qsizetype>(2, MostTipLines - above));
        }
        if (column == 0) {
            if (const QString* where = m_checks.Exported.Where(row.SourcePath)) {
                if (tip.isEmpty()) tip = row.DisplayText(0);
                tip += QStringLiteral("\nУже выгружен: выписка ") + *where;
            }
        }
        if (!tip.isEmpty()) return tip;
        break;
    }
    case Qt::DecorationRole:
        if (column == 0) return MarkIcon(m_checks.IsDuplicate(row.SourcePath),
                                         m_checks.Exported.contains(row.SourcePath));
        break;
    default:
        break;
    }
    return {};
}
