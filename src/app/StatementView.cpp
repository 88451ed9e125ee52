#include "app/StatementView.h"

#include "app/StatementLines.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {
constexpr int Margin = 4; // pixels left of the text
}

StatementView::StatementView(const StatementLines& lines, QWidget* parent)
    : QAbstractScrollArea(parent), m_lines(lines) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    const auto grown = [this] {
        UpdateRanges();
        viewport()->update();
    };
    connect(&lines, &QAbstractItemModel::rowsInserted, this, grown);
    connect(&lines, &QAbstractItemModel::dataChanged, this, grown);
    connect(&lines, &QAbstractItemModel::modelReset, this, [this, grown] {
        m_current = -1;
        grown();
    });
}

int StatementView::LineHeight() const {
    return std::max(1, fontMetrics().height());
}

int StatementView::ShownLines() const {
    return std::max(1, viewport()->height() / LineHeight());
}

void StatementView::UpdateRanges() {
    QScrollBar* down = verticalScrollBar();
    down->setRange(0, std::max(0, m_lines.rowCount() - ShownLines()));
    down->setPageStep(ShownLines());
    QScrollBar* across = horizontalScrollBar();
    const int width = int(std::min<qint64>(
        INT_MAX / 2, m_lines.WidestLine() * qint64(fontMetrics().horizontalAdvance(u'0'))));
    across->setRange(0, std::max(0, width + 2 * Margin - viewport()->width()));
    across->setPageStep(viewport()->width());
    across->setSingleStep(fontMetrics().horizontalAdvance(u'0') * 4);
}

void StatementView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateRanges();
}

void StatementView::SetCurrentLine(int line) {
    m_current = line >= 0 && line < m_lines.rowCount() ? line : -1;
    if (m_current >= 0) {
        const int top = verticalScrollBar()->value();
        if (m_current < top || m_current >= top + ShownLines())
            verticalScrollBar()->setValue(m_current - ShownLines() / 2);
    }
    viewport()->update();
}

void StatementView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const int height = LineHeight();
    const int first = verticalScrollBar()->value();
    const int last = std::min(m_lines.rowCount() - 1, first + ShownLines());
    const int left = Margin - horizontalScrollBar()->value();
    for (int line = first; line <= last; ++line) {
        const QRect row(0, (line - first) * height, viewport()->width(), height);
        const bool current = line == m_current;
        if (current) painter.fillRect(row, palette().brush(QPalette::Highlight));
        painter.setPen(palette().color(current ? QPalette::HighlightedText : QPalette::Text));
        painter.drawText(QRect(left, row.top(), INT_MAX / 4, height),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                         m_lines.Line(line));
    }
}

void StatementView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        if (m_current >= 0) QApplication::clipboard()->setText(m_lines.Line(m_current));
        return;
    }
    const int at = std::max(m_current, verticalScrollBar()->value());
    int to = -2;
    switch (event->key()) {
    case Qt::Key_Up:
        to = at - 1;
        break;
    case Qt::Key_Down:
        to = m_current < 0 ? at : at + 1;
        break;
    case Qt::Key_PageUp:
        to = at - ShownLines();
        break;
    case Qt::Key_PageDown:
        to = at + ShownLines();
        break;
    case Qt::Key_Home:
        to = 0;
        break;
    case Qt::Key_End:
        to = m_lines.rowCount() - 1;
        break;
    default:
        return QAbstractScrollArea::keyPressEvent(event);
    }
    SetCurrentLine(std::clamp(to, 0, m_lines.rowCount() - 1));
}

void StatementView::mousePressEvent(QMouseEvent* event) {
    setFocus();
    SetCurrentLine(verticalScrollBar()->value() + int(event->position().y()) / LineHeight());
}
