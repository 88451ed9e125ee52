#include "app/RegisterPageView.h"

#include "export/RegisterPdf.h"
#include "export/RegisterPdfLayout.h"

#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace {
constexpr int Gap = 12; // pixels around and between the pages
// The page's margins, as the register's page sets them, in the layout's units.
constexpr double Mm = RegisterPdfLayout::Dpi / 25.4;
constexpr double Left = 12 * Mm, Top = 10 * Mm, Right = 10 * Mm, Bottom = 10 * Mm;
} // namespace

RegisterPageView::RegisterPageView(const RegisterPdfLayout& layout, QWidget* parent)
    : QAbstractScrollArea(parent), m_layout(layout) {
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(40);
}

int RegisterPageView::PageCount() const {
    return int(m_layout.Pages.size());
}

QSizeF RegisterPageView::PageSize() const {
    return {m_layout.Width + Left + Right, m_layout.Height + Top + Bottom};
}

void RegisterPageView::FitToWidth() {
    m_fit = Fit::Width;
    UpdateScale();
}

void RegisterPageView::FitPage() {
    m_fit = Fit::Page;
    UpdateScale();
}

void RegisterPageView::Zoom(double factor) {
    m_fit = Fit::None;
    m_scale = std::clamp(m_scale * factor, 0.01, 1.0);
    UpdateScale();
}

void RegisterPageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScale();
}

void RegisterPageView::UpdateScale() {
    const QSizeF page = PageSize();
    const double width = std::max(1, viewport()->width() - 2 * Gap);
    const double height = std::max(1, viewport()->height() - 2 * Gap);
    const double top = verticalScrollBar()->maximum() > 0
                           ? double(verticalScrollBar()->value()) / verticalScrollBar()->maximum()
                           : 0;
    if (m_fit == Fit::Width) m_scale = width / page.width();
    if (m_fit == Fit::Page) m_scale = std::min(width / page.width(), height / page.height());
    const int pageHeight = int(std::ceil(page.height() * m_scale)) + Gap;
    const qint64 all = qint64(pageHeight) * PageCount() + Gap;
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setRange(
        0, int(std::min<qint64>(INT_MAX, std::max<qint64>(0, all - viewport()->height()))));
    verticalScrollBar()->setValue(int(top * verticalScrollBar()->maximum()));
    const int pageWidth = int(page.width() * m_scale) + 2 * Gap;
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, pageWidth - viewport()->width()));
    viewport()->update();
}

void RegisterPageView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QSizeF page = PageSize();
    const int pageHeight = int(std::ceil(page.height() * m_scale)) + Gap;
    const int scrolled = verticalScrollBar()->value();
    const int left =
        Gap - horizontalScrollBar()->value() +
        std::max(0, (viewport()->width() - 2 * Gap - int(std::ceil(page.width() * m_scale))) / 2);
    const int first = std::max(0, (scrolled - Gap) / pageHeight);
    const double fontScale = viewport()->logicalDpiY() / RegisterPdfLayout::Dpi;
    for (int p = first; p < PageCount(); ++p) {
        const int top = Gap + p * pageHeight - scrolled;
        if (top > viewport()->height()) break;
        const QRectF sheet(left, top, page.width() * m_scale, page.height() * m_scale);
        painter.fillRect(sheet, Qt::white);
        painter.save();
        painter.translate(sheet.topLeft());
        painter.scale(m_scale, m_scale);
        painter.translate(Left, Top);
        PaintRegisterPage(painter, m_layout, p, fontScale);
        painter.restore();
    }
}
