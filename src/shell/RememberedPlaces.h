#pragma once

#include <QList>
#include <QRect>
#include <QString>

#include <optional>

class INIStorage;

// Where the user left things, kept in USER.INI, section User: the main window's place and the
// folders last used. No widget here: the window reads and writes through these.

struct WindowPlacement {
    QRect Normal; // position of the frame, size of the window, when not maximised
    bool Maximized = false;
};

// Nothing when no usable placement is stored (a first start, a value that is not a number).
std::optional<WindowPlacement> ReadWindowPlacement(const INIStorage& settings);
bool WriteWindowPlacement(const INIStorage& settings, const WindowPlacement& placement);

// The stored rectangle moved and, if need be, shrunk (never below minimum) onto the screen it
// mostly lies on; one that lies on no screen any more (a monitor taken away) is centred on the
// first. Screens are their available areas; with none known the rectangle stays as it is.
QRect FitToScreens(const QRect& saved, const QList<QRect>& screens, const QSize& minimum);

enum class LastFolder { Source, Statement };

// The folder last used, when it still exists; otherwise the empty text.
QString ReadLastFolder(const INIStorage& settings, LastFolder which);
// Stores it when it differs from what is stored; false when the write was refused.
bool WriteLastFolder(const INIStorage& settings, LastFolder which, const QString& folder);

// The folder a source lies in: a folder is its own, a file's is the one holding it.
QString SourceFolder(const QString& sourcePath);

// Where the save dialog starts: the folder of the last statement saved, else the source's folder,
// else nothing (the dialog's own default).
QString SaveDialogFolder(const INIStorage& settings, const QString& sourcePath);
