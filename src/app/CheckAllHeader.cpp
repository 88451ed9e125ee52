#include "app/CheckAllHeader.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStyleOptionHeader>

CheckAllHeader::CheckAllHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
    setHighlightSections(false);
}

void CheckAllHeader::SetState(Qt::CheckState state) {
    if (m_state == state) return;
    m_state = state;
    viewport()->update();
}

QRect CheckAllHeader::CheckBoxRectIn(const QRect& sectionRect) const {
    QStyleOptionButton option;
    const QRect box = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    return QRect(sectionRect.left() + margin,
                 sectionRect.top() + (sectionRect.height() - box.height()) / 2, box.width(),
                 box.height());
}

QRect CheckAllHeader::CheckBoxRect() const {
    if (count() == 0 || isSectionHidden(0)) return {};
    const QRect section(sectionViewportPosition(0), 0, sectionSize(0), height());
    return CheckBoxRectIn(section);
}

void CheckAllHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (logicalIndex != 0) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    // The section as usual, but its label starts right of the box.
    const QRect box = CheckBoxRectIn(rect);
    QStyleOptionHeader option;
    initStyleOption(&option);
    initStyleOptionForIndex(&option, logicalIndex);
    option.rect = rect;
    painter->save();
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);
    QStyleOptionHeader label = option;
    label.rect = style()->subElementRect(QStyle::SE_HeaderLabel, &option, this);
    label.rect.setLeft(box.right() + 1 +
                       style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this));
    style()->drawControl(QStyle::CE_HeaderLabel, &label, painter, this);
    if (option.sortIndicator != QStyleOptionHeader::None) {
        QStyleOptionHeader arrow = option;
        arrow.rect = style()->subElementRect(QStyle::SE_HeaderArrow, &option, this);
        style()->drawPrimitive(QStyle::PE_IndicatorHeaderArrow, &arrow, painter, this);
    }
    painter->restore();

    QStyleOptionButton check;
    check.rect = box;
    check.state =
        QStyle::State_Enabled | (m_state == Qt::Checked            ? QStyle::State_On
                                 : m_state == Qt::PartiallyChecked ? QStyle::State_NoChange
                                                                   : QStyle::State_Off);
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &check, painter, this);
}

QSize CheckAllHeader::sectionSizeFromContents(int logicalIndex) const {
    QSize size = QHeaderView::sectionSizeFromContents(logicalIndex);
    // Room for the sort arrow whether or not it shows yet: a column fitted before the first sort
    // would otherwise clip its caption once the arrow appears.
    if (!isSortIndicatorShown())
        size.rwidth() +=
            size.height() + style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    if (logicalIndex == 0) {
        QStyleOptionButton option;
        const QRect box = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
        size.rwidth() += box.width() + style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    }
    return size;
}

void CheckAllHeader::mousePressEvent(QMouseEvent* event) {
    m_pressedOnBox =
        event->button() == Qt::LeftButton && CheckBoxRect().contains(event->position().toPoint());
    if (m_pressedOnBox) {
        event->accept();
        return;
    }
    QHeaderView::mousePressEvent(event);
}

void CheckAllHeader::mouseReleaseEvent(QMouseEvent* event) {
    if (m_pressedOnBox) {
        m_pressedOnBox = false;
        if (CheckBoxRect().contains(event->position().toPoint())) {
            SetChecked(m_state != Qt::Checked);
            emit CheckAllToggled(IsChecked());
        }
        event->accept();
        return;
    }
    QHeaderView::mouseReleaseEvent(event);
}
