#pragma once

#include <QObject>

#include <functional>

class QMimeData;
class QWidget;

// Files dropped from a file manager on the widgets it watches (the source box, the list): the
// first dropped item, when it is a local path the window takes, is reported; anything else is
// refused while it is still dragged.
class SourceDrops : public QObject {
    Q_OBJECT
public:
    using Accepts = std::function<bool(const QString& path)>;
    SourceDrops(Accepts accepts, QObject* parent = nullptr);

    void Watch(QWidget* widget);
    // The path a drop of this data gives, or the empty text when it is refused.
    QString PathOf(const QMimeData* data) const;

signals:
    void Dropped(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Accepts m_accepts;
};
