#pragma once

#include <QDialog>
#include <QPoint>

class QLabel;
class QPushButton;

// The About window: logo, product name, version, a disclaimer and the libraries we build on.
// Dragging the logo moves the window.
class FormAbout : public QDialog {
    Q_OBJECT
public:
    explicit FormAbout(const QPixmap& logo, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_logo = nullptr;
    QPoint m_dragStartGlobal;
    QPoint m_windowAtDragStart;
};
