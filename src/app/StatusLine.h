#pragma once

#include <QLabel>
#include <QWidget>

class QToolButton;

// The status line's own part: the status text, whole in its tooltip and cut in the middle of its
// path when the line is short of room; a notice beside it (why a save failed, ...); and the count
// of findings, which opens the problems list.
class StatusLine : public QWidget {
    Q_OBJECT
public:
    explicit StatusLine(const QString& text, QWidget* parent = nullptr);

    // Colour as a QColor; an invalid one keeps the colour the text has.
    void ShowText(const QString& text, const QColor& colour);
    // A message that is not a finding; empty hides it.
    void ShowNotice(const QString& text);
    // "Замечаний: 1 234"; hidden for none.
    void ShowFindingCount(int count);

signals:
    void FindingsRequested();

private:
    QLabel* m_text = nullptr;
    QLabel* m_notice = nullptr;
    QToolButton* m_count = nullptr;
};

// A label that keeps its whole text and paints it cut to its width (ElideStatusText).
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
