#pragma once

#include <QHeaderView>

// The list's column header with the check-all box in the first section. A click on the box
// toggles it and reports the new state; a click elsewhere on a section stays a header click.
class CheckAllHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit CheckAllHeader(QWidget* parent = nullptr);

    bool IsChecked() const { return m_checked; }
    void SetChecked(bool checked);
    // The box's rectangle in the header's coordinates (empty when there is no first section).
    QRect CheckBoxRect() const;

signals:
    void CheckAllToggled(bool checked);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    QSize sectionSizeFromContents(int logicalIndex) const override;

private:
    QRect CheckBoxRectIn(const QRect& sectionRect) const;

    bool m_checked = false;
    bool m_pressedOnBox = false;
};
