#include "app/WindowDragBand.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

WindowDragBand::WindowDragBand(QWidget* area, std::function<int()> bandBottom)
    : QObject(area), m_area(area), m_bandBottom(std::move(bandBottom)) {
    area->installEventFilter(this);
}

bool WindowDragBand::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_area) return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint pos = mouse->position().toPoint();
        if (mouse->button() != Qt::LeftButton || pos.y() <= 0 || pos.y() >= m_bandBottom())
            return false;
        QWindow* window = m_area->window()->windowHandle();
        if (!(window && window->startSystemMove())) m_start = pos;
        return true;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_start.y() <= 0 || !(mouse->buttons() & Qt::LeftButton)) return false;
        QWidget* top = m_area->window();
        top->move(top->pos() + mouse->position().toPoint() - m_start);
        return true;
    }
    case QEvent::MouseButtonRelease:
        m_start = {};
        return false;
    default:
        return false;
    }
}
