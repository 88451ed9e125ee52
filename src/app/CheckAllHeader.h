#pragma once

#include <QHeaderView>

// The list's column header with the check-all box in the first section, partly checked when some
// rows are. A click on the box reports the new state (checked unless all were); a click
// elsewhere on a section stays a header click.
class CheckAllHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit CheckAllHeader(QWidget* parent = nullptr);

    bool IsChecked() const { return m_state == Qt::Checked; }
    Qt::CheckState State() const { return m_state; }
    void SetChecked(bool checked) { SetState(checked ? Qt::Checked : Qt::Unchecked); }
    void SetState(Qt::CheckState state);
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

    Qt::CheckState m_state = Qt::Unchecked;
    bool m_pressedOnBox = false;
};
