#include "app/SplitButton.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

SplitButton::SplitButton(QWidget* parent) : QToolButton(parent) {
    setPopupMode(QToolButton::MenuButtonPopup);
}

void SplitButton::SetMenu(QMenu* menu) {
    setMenu(menu);
    menu->installEventFilter(this);
}

void SplitButton::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Down && event->modifiers() == Qt::AltModifier) ||
        event->key() == Qt::Key_Menu) {
        if (isEnabled()) showMenu();
        return;
    }
    QToolButton::keyPressEvent(event);
}

void SplitButton::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Keyboard) {
        if (isEnabled()) showMenu();
        return;
    }
    QToolButton::contextMenuEvent(event);
}

bool SplitButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched == menu() && event->type() == QEvent::Show) {
        const QPoint corner = mapToGlobal(QPoint(width(), height()));
        menu()->move(corner.x() - menu()->sizeHint().width(), corner.y());
    }
    return QToolButton::eventFilter(watched, event);
}
