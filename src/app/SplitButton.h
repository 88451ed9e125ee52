#pragma once

#include <QToolButton>

// A button with a menu beside its arrow ("Открыть", "Сохранить как ..."). The menu opens from the
// keyboard too (Alt+Down, the menu key) and always right-aligned just below the button.
class SplitButton : public QToolButton {
    Q_OBJECT
public:
    explicit SplitButton(QWidget* parent = nullptr);
    void SetMenu(QMenu* menu);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
