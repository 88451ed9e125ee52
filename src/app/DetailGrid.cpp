#include "app/DetailGrid.h"

#include "app/DocumentListModel.h"
#include "shell/FormLayout.h"

#include <QHeaderView>
#include <QStyle>

namespace {
const QColor GridStripeColor(246, 246, 246);
constexpr double GridCaptionWidthTwips = 2000;
// The grid's caption column widens to its longest caption, up to this share of the grid.
constexpr double GridCaptionMaxShare = 0.4;

} // namespace

DetailGrid::DetailGrid(const DocumentListModel& model, QWidget* parent)
    : QTableWidget(parent), m_model(model) {
    setObjectName(QStringLiteral("Grid1"));
}

void DetailGrid::SetUp() {
    setColumnCount(2);
    setRowCount(m_model.columnCount());
    setHorizontalHeaderLabels({QStringLiteral("Реквизит"), QStringLiteral("Значение")});
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->hide();
    setColumnWidth(0, TwipsToPx(GridCaptionWidthTwips));
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section) {
        if (section == 0 && !m_fitting) m_captionSetByUser = true;
    });
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setSectionResizeMode(0, QHeaderView::Interactive);
    verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    setWordWrap(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    QPalette colours = palette();
    colours.setColor(QPalette::AlternateBase, GridStripeColor);
    setPalette(colours);
    setEnabled(false);
}

void DetailGrid::FitCaptionColumn() {
    if (m_captionSetByUser) return;
    int needed = horizontalHeader()->sectionSizeHint(0);
    const QFontMetrics metrics(font());
    const int padding = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8;
    for (const ColumnDef& column : m_model.Table().Columns)
        needed = std::max(needed, metrics.horizontalAdvance(column.Caption) + padding);
    const int most = int(width() * GridCaptionMaxShare);
    const int fitted = std::max(TwipsToPx(GridCaptionWidthTwips), std::min(needed, most));
    if (fitted == columnWidth(0)) return;
    m_fitting = true;
    setColumnWidth(0, fitted);
    m_fitting = false;
}

void DetailGrid::ShowRow(int row) {
    const DocumentTable& table = m_model.Table();
    if (row < 0 || row >= int(table.Rows.size())) {
        clearContents();
        return;
    }
    const DocumentRow& document = table.Rows[std::size_t(row)];
    setUpdatesEnabled(false);
    clearContents();
    setRowCount(int(table.Columns.size()));
    for (int c = 0; c < int(table.Columns.size()); ++c) {
        auto* caption = new QTableWidgetItem(table.Columns[std::size_t(c)].Caption);
        caption->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        setItem(c, 0, caption);
        auto* value = new QTableWidgetItem(document.DisplayText(c));
        value->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        setItem(c, 1, value);
    }
    MarkProblems(row);
    resizeRowsToContents();
    setUpdatesEnabled(true);
    setEnabled(true);
}

void DetailGrid::MarkProblems(int row) {
    const DocumentRow& document = m_model.Table().Rows[std::size_t(row)];
    for (int c = 0; c < rowCount(); ++c) {
        QTableWidgetItem* value = item(c, 1);
        const QString tip = m_model.ProblemTip(document, c);
        if (!value || tip.isEmpty()) continue;
        value->setBackground(DocumentListModel::ProblemColor);
        value->setToolTip(tip);
    }
}
