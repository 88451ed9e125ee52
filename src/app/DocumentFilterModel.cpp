#include "app/DocumentFilterModel.h"

#include "app/DocumentListModel.h"

#include <QTimer>

DocumentFilterModel::DocumentFilterModel(DocumentListModel& source, QObject* parent)
    : QSortFilterProxyModel(parent), m_source(source) {
    // New rows are learnt again; a sort keeps what is known of the values, and the index follows
    // the rows when the filter next looks at them.
    connect(&source, &QAbstractItemModel::modelAboutToBeReset, this, [this] { m_filter.Forget(); });
    connect(&source, &QAbstractItemModel::layoutAboutToBeChanged, this,
            [this] { m_filter.RowsMoving(m_source.Table()); });
    // New rows are indexed soon after the window has shown them (apart from the pause of their
    // hand-over), not at the first keystroke.
    connect(&source, &QAbstractItemModel::modelReset, this, &DocumentFilterModel::PrepareSoon);
    connect(&source, &QAbstractItemModel::rowsInserted, this, [this] { m_filter.Forget(); });
    // The checks' marks and tints changed: a repaint, or a refilter when a quick filter may go by
    // them. Not the source's change of every cell, which would test each row against the filter.
    connect(&source, &DocumentListModel::ChecksChanged, this, [this] {
        if (IsFiltering()) {
            invalidateFilter();
            emit FilterChanged();
        } else if (rowCount() > 0) {
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                             {Qt::BackgroundRole, Qt::ToolTipRole, Qt::DecorationRole});
        }
    });
    setSourceModel(&source);
    // A check box clicked under "отмеченные" takes its row out at once.
    setDynamicSortFilter(true);
}

void DocumentFilterModel::PrepareSoon() {
    QTimer::singleShot(100, this, [this] { m_filter.Prepare(m_source.Table()); });
}

void DocumentFilterModel::SetSearch(const QString& text) {
    if (!m_filter.SetSearch(text)) return;
    invalidate(); // one layout change: far cheaper than a removal per range of rows
    emit FilterChanged();
}

void DocumentFilterModel::SetQuick(QuickFilter quick) {
    if (!m_filter.SetQuick(quick)) return;
    invalidate(); // one layout change: far cheaper than a removal per range of rows
    emit FilterChanged();
}

std::vector<int> DocumentFilterModel::ShownRows() const {
    std::vector<int> rows;
    rows.reserve(std::size_t(rowCount()));
    for (int r = 0; r < rowCount(); ++r)
        rows.push_back(mapToSource(index(r, 0)).row());
    return rows;
}

qint64 DocumentFilterModel::ShownChecked() const {
    const DocumentTable& table = m_source.Table();
    qint64 checked = 0;
    if (!IsFiltering()) {
        for (const DocumentRow& row : table.Rows)
            checked += row.Checked ? 1 : 0;
    } else {
        for (int r = 0; r < rowCount(); ++r)
            checked += table.Rows[std::size_t(mapToSource(index(r, 0)).row())].Checked ? 1 : 0;
    }
    return checked;
}

QVariant DocumentFilterModel::data(const QModelIndex& index, int role) const {
    QVariant value = QSortFilterProxyModel::data(index, role);
    // Rows at odd places among those shown (the first, the third, ...) are tinted, whatever the
    // filter leaves out; a cell's problem colour stays.
    if (role == Qt::BackgroundRole && !value.isValid() && index.row() % 2 == 0)
        return DocumentListModel::RowStripeColor;
    return value;
}

bool DocumentFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (sourceParent.isValid() || sourceRow < 0) return false;
    if (!m_filter.IsActive()) return true;
    return m_filter.Accepts(m_source.Table(), m_source.Checks(), std::size_t(sourceRow));
}
