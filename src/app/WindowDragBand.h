#pragma once

#include <QObject>
#include <QPoint>

#include <functional>

class QWidget;

// The bare band at the top of an area moves the window, as its title bar would: a press there
// starts the system's move, or the band follows the mouse where the system has none.
class WindowDragBand : public QObject {
public:
    // bandBottom: the area's y where the band ends (exclusive).
    WindowDragBand(QWidget* area, std::function<int()> bandBottom);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_area;
    std::function<int()> m_bandBottom;
    QPoint m_start; // in the area's coordinates; null when no drag is in progress
};
