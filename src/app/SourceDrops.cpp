#include "app/SourceDrops.h"

#include <QDir>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

SourceDrops::SourceDrops(Accepts accepts, QObject* parent)
    : QObject(parent), m_accepts(std::move(accepts)) {}

void SourceDrops::Watch(QWidget* widget) {
    widget->setAcceptDrops(true);
    widget->installEventFilter(this);
}

QString SourceDrops::PathOf(const QMimeData* data) const {
    if (!data || !data->hasUrls() || data->urls().isEmpty()) return {};
    // Only the first dropped item counts.
    const QUrl url = data->urls().front();
    if (!url.isLocalFile()) return {};
    const QString candidate = QDir::toNativeSeparators(url.toLocalFile());
    return m_accepts(candidate) ? candidate : QString();
}

bool SourceDrops::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::DragEnter || type == QEvent::DragMove) {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!PathOf(drag->mimeData()).isEmpty()) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    if (type == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = PathOf(drop->mimeData());
        if (path.isEmpty()) {
            drop->ignore();
        } else {
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            emit Dropped(path);
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}
