#include "app/DocumentListView.h"

#include "app/CheckAllHeader.h"
#include "app/DocumentFilterModel.h"
#include "app/DocumentListModel.h"
#include "presentation/DocumentFilter.h"
#include "presentation/WidthSample.h"
#include "settings/ListColumns.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>

namespace {
constexpr std::size_t WidthSamples = 200;
// A long purpose of payment is read in the grid, not by widening its column off the screen.
constexpr int WidestFit = 480;
// Lists longer than this are fitted a column at a time (each column reads every row).
constexpr std::size_t FitAtOnceRows = 5000;
} // namespace

DocumentListView::DocumentListView(DocumentFilterModel& shown, QWidget* parent)
    : QTableView(parent), m_shown(shown), m_source(shown.Source()) {
    setObjectName(QStringLiteral("List"));
    m_header = new CheckAllHeader(this);
    setHorizontalHeader(m_header);
    m_fitTimer = new QTimer(this);
    m_fitTimer->setInterval(0);
    connect(m_fitTimer, &QTimer::timeout, this, [this] {
        if (m_source.Table().Rows.empty() || m_fitNext >= int(m_widthSetByUser.size()))
            m_fitTimer->stop();
        else
            FitColumn(m_fitNext++, m_fitSamples);
    });
    setModel(&shown);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    setSortingEnabled(false);
    m_header->setSectionsMovable(true);

    connect(m_header, &QHeaderView::sectionClicked, this, &DocumentListView::OnHeaderClicked);
    m_header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_header, &QWidget::customContextMenuRequested, this,
            &DocumentListView::ShowColumnsMenu);
    connect(m_header, &CheckAllHeader::CheckAllToggled, this,
            [this](bool checked) { m_source.SetRowsChecked(m_shown.ShownRows(), checked); });
    connect(m_header, &QHeaderView::sectionResized, this, [this](int section) {
        if (m_fitting || section < 0) return;
        if (std::size_t(section) >= m_widthSetByUser.size())
            m_widthSetByUser.resize(std::size_t(section) + 1, 0);
        m_widthSetByUser[std::size_t(section)] = 1;
    });
    // The box follows the rows shown: every check, reading and filter.
    connect(&shown, &QAbstractItemModel::modelReset, this, &DocumentListView::UpdateCheckAll);
    connect(&shown, &QAbstractItemModel::layoutChanged, this, &DocumentListView::UpdateCheckAll);
    connect(&shown, &QAbstractItemModel::dataChanged, this, &DocumentListView::UpdateCheckAll);
    connect(&shown, &QAbstractItemModel::rowsInserted, this, &DocumentListView::UpdateCheckAll);
    connect(&shown, &QAbstractItemModel::rowsRemoved, this, &DocumentListView::UpdateCheckAll);
    connect(&m_source, &QAbstractItemModel::modelReset, this, &DocumentListView::ShowSortArrow);
}

std::vector<int> DocumentListView::SelectedRows() const {
    std::vector<int> rows;
    const QModelIndexList selected = selectionModel()->selectedRows();
    rows.reserve(std::size_t(selected.size()));
    for (const QModelIndex& index : selected)
        rows.push_back(m_shown.mapToSource(index).row());
    if (rows.empty() && currentIndex().isValid())
        rows.push_back(m_shown.mapToSource(currentIndex()).row());
    return rows;
}

QString DocumentListView::SelectedText() const {
    QModelIndexList selected = selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<int> rows;
    rows.reserve(size_t(selected.size()));
    for (const QModelIndex& index : std::as_const(selected))
        rows.push_back(m_shown.mapToSource(index).row());
    return ListRowsText(m_source.Table(), rows);
}

void DocumentListView::contextMenuEvent(QContextMenuEvent* event) {
    const QModelIndex at = indexAt(event->pos()); // the viewport's own position
    if (at.isValid() && !selectionModel()->isRowSelected(at.row(), {})) setCurrentIndex(at);
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) return;
    const DocumentRow& row = m_source.Table().Rows[size_t(at.isValid() ? m_shown.mapToSource(at).row()
                                                                       : rows.front())];
    const DocumentChecks& checks = m_source.Checks();
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("ListMenu"));
    menu.addAction(QStringLiteral("Отметить"), this,
                   [this, rows] { m_source.SetRowsChecked(rows, true); });
    menu.addAction(QStringLiteral("Снять отметку"), this,
                   [this, rows] { m_source.SetRowsChecked(rows, false); });
    menu.addAction(QStringLiteral("Копировать"), this,
                   [this] { QApplication::clipboard()->setText(SelectedText()); })
        ->setShortcut(QKeySequence::Copy);
    menu.addSeparator();
    const QString path = row.SourcePath;
    menu.addAction(QStringLiteral("Показать замечания"), this,
                   [this, path] { emit FindingsRequested(path); })
        ->setEnabled(checks.Cells.contains(path) || checks.IsDuplicate(path));
    menu.exec(event->globalPos());
}

void DocumentListView::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::Copy) {
        if (selectionModel()->hasSelection()) QApplication::clipboard()->setText(SelectedText());
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Space && !(event->modifiers() & ~Qt::KeypadModifier)) {
        // Checked if any of them was unchecked, else unchecked: one press, one state for all.
        const std::vector<int> rows = SelectedRows();
        const DocumentTable& table = m_source.Table();
        bool anyUnchecked = false;
        for (const int r : rows)
            anyUnchecked = anyUnchecked || !table.Rows[std::size_t(r)].Checked;
        if (!rows.empty()) m_source.SetRowsChecked(rows, anyUnchecked);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void DocumentListView::UpdateCheckAll() {
    const qint64 shown = m_shown.rowCount();
    const qint64 checked = shown == 0 ? 0 : m_shown.ShownChecked();
    m_header->SetState(shown > 0 && checked == shown ? Qt::Checked
                       : checked > 0                 ? Qt::PartiallyChecked
                                                     : Qt::Unchecked);
}

void DocumentListView::ShowColumnsMenu(const QPoint& at) {
    // One line per column in the order shown, checked when shown. The first column carries the
    // check-all box and always stays.
    const ColumnMap& columns = m_source.Table().Columns;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("ListColumnsMenu"));
    for (int place = 0; place < m_header->count(); ++place) {
        const int c = m_header->logicalIndex(place);
        if (c < 0 || std::size_t(c) >= columns.size()) continue;
        const QString caption = columns[std::size_t(c)].Caption;
        QAction* action =
            menu.addAction(caption.isEmpty() ? columns[std::size_t(c)].FieldKey() : caption);
        action->setCheckable(true);
        action->setChecked(!m_header->isSectionHidden(c));
        action->setEnabled(c != 0);
        connect(action, &QAction::toggled, this, [this, c](bool shown) {
            // Hiding and showing resize the section: no width the user set.
            m_fitting = true;
            m_header->setSectionHidden(c, !shown);
            m_fitting = false;
        });
    }
    menu.exec(m_header->mapToGlobal(at));
}

void DocumentListView::OnHeaderClicked(int section) {
    m_source.SortByClick(section);
    ShowSortArrow();
}

void DocumentListView::ShowSortArrow() {
    // The header flips its arrow on every click by itself; show the one sort we keep.
    const int sorted = m_source.SortColumn();
    m_header->setSortIndicatorShown(sorted >= 0);
    if (sorted >= 0)
        m_header->setSortIndicator(sorted, m_source.SortDescending() ? Qt::DescendingOrder
                                                                     : Qt::AscendingOrder);
}

void DocumentListView::FitColumns(std::size_t samples) {
    const DocumentTable& table = m_source.Table();
    m_widthSetByUser.resize(table.Columns.size(), 0);
    m_fitSamples = samples;
    m_fitTimer->stop();
    if (table.Rows.size() > FitAtOnceRows) {
        m_fitNext = 0;
        m_fitTimer->start();
        return;
    }
    for (int c = 0; c < int(table.Columns.size()); ++c)
        FitColumn(c, samples);
}

void DocumentListView::FitColumn(int c, std::size_t samples) {
    const DocumentTable& table = m_source.Table();
    if (c >= int(m_widthSetByUser.size()) || m_widthSetByUser[std::size_t(c)]) return;
    m_fitting = true;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    int width = m_header->sectionSizeHint(c);
    // A duplicate's warning icon sits before its text: any sample might be the one marked.
    const bool marked = c == 0 && (!m_source.Checks().DuplicateGroups.empty() ||
                                   !m_source.Checks().Exported.isEmpty());
    for (const std::size_t r : WidthSampleRows(table, c, samples ? samples : WidthSamples)) {
        const QModelIndex index = m_source.index(int(r), c);
        const bool icon = index.data(Qt::DecorationRole).isValid();
        width = std::max(
            width, itemDelegateForIndex(m_shown.index(0, c))->sizeHint(option, index).width() +
                       2 * showGrid() +
                       (marked && !icon ? option.decorationSize.width() + 4 : 0) +
                       // both marks side by side: a second icon's room
                       (c == 0 && !m_source.Checks().DuplicateGroups.empty() &&
                                !m_source.Checks().Exported.isEmpty()
                            ? option.decorationSize.width() + 2
                            : 0));
    }
    setColumnWidth(c, std::min(width, std::max(WidestFit, m_header->sectionSizeHint(c))));
    m_fitting = false;
}

void DocumentListView::RestoreColumns(const INIStorage& settings) {
    const ColumnMap& columns = m_source.Table().Columns;
    const ListColumnsLayout layout = ReadListColumns(settings, columns);
    m_widthSetByUser.assign(columns.size(), 0);
    m_fitting = true;
    for (std::size_t c = 0; c < layout.Columns.size(); ++c) {
        if (layout.Columns[c].Width > 0) {
            setColumnWidth(int(c), layout.Columns[c].Width);
            m_widthSetByUser[c] = 1;
        }
        m_header->setSectionHidden(int(c), c > 0 && layout.Columns[c].Hidden);
    }
    m_fitting = false;
    const std::vector<int> positions = StoredPositions(layout);
    for (int place = 0; place < int(positions.size()); ++place) {
        // The column stored at this place moves there.
        const auto it = std::find(positions.begin(), positions.end(), place);
        const int logical = int(it - positions.begin());
        m_header->moveSection(m_header->visualIndex(logical), place);
    }
    m_source.SetSortDescending(layout.SortDescending);
    for (std::size_t c = 0; c < columns.size(); ++c)
        if (columns[c].FieldKey() == layout.SortKey) m_source.SetSortColumn(int(c));
    ShowSortArrow();
}

bool DocumentListView::StoreColumns(const INIStorage& settings) const {
    const ColumnMap& columns = m_source.Table().Columns;
    ListColumnsLayout layout = ReadListColumns(settings, columns);
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const bool userSet = c < m_widthSetByUser.size() && m_widthSetByUser[c];
        // A width the program fitted is fitted again next time, to the documents then read. A
        // hidden column has none to measure: it keeps what is stored.
        layout.Columns[c].Hidden = m_header->isSectionHidden(int(c));
        if (!layout.Columns[c].Hidden) layout.Columns[c].Width = userSet ? columnWidth(int(c)) : 0;
        layout.Columns[c].Position = m_header->visualIndex(int(c));
    }
    const int sorted = m_source.SortColumn();
    layout.SortKey = sorted >= 0 ? columns[std::size_t(sorted)].FieldKey() : QString();
    layout.SortDescending = sorted >= 0 && m_source.SortDescending();
    return WriteListColumns(settings, columns, layout);
}
