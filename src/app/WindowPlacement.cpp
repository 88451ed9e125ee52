#include "app/WindowPlacement.h"

#include "shell/RememberedPlaces.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void RestoreWindowPlacement(QWidget& window, const INIStorage& settings) {
    const std::optional<WindowPlacement> placement = ReadWindowPlacement(settings);
    if (!placement) return;
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    const QRect rect = FitToScreens(placement->Normal, screens, window.minimumSize());
    window.move(rect.topLeft());
    window.resize(rect.size());
    if (placement->Maximized) window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

void StoreWindowPlacement(const QWidget& window, const INIStorage& settings) {
    const bool maximized = window.isMaximized();
    const QRect normal = maximized || window.isFullScreen() ? window.normalGeometry()
                                                            : QRect(window.pos(), window.size());
    if (normal.isValid()) WriteWindowPlacement(settings, {normal, maximized});
}
