#pragma once

// Drives the menus and modal dialogs that the window opens, for the window's tests.
#include <QtWidgets>

#include <functional>

// Runs action on the first menu or modal dialog of type T that opens while trigger runs. A dialog
// that the action leaves open is rejected after a few seconds, so a fault fails instead of hanging.
template <typename T, typename A>
inline bool WithModal(const std::function<void()>& trigger, A action) {
    bool seen = false;
    int ticks = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activePopupWidget();
        if (!modal) modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<T*>(modal); dialog && !seen)
            seen = true, action(dialog);
        else if (auto* open = qobject_cast<QDialog*>(modal); open && seen && ++ticks > 150)
            qWarning("dialog left open"), open->reject();
    });
    poll.start(20);
    trigger();
    return seen;
}

// Fills the name box of a non-native file dialog and accepts it; an empty name cancels.
inline void Choose(QFileDialog* dialog, const QString& path) {
    if (path.isEmpty()) return dialog->reject();
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText(path);
    static_cast<QDialog*>(dialog)->accept();
}
