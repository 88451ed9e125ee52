#pragma once

class INIStorage;
class QWidget;

// The window's place and size from the last session, kept on the screens there are now, and
// maximised again if it was; nothing when none was stored.
void RestoreWindowPlacement(QWidget& window, const INIStorage& settings);
// Stores the window's normal place and size, and whether it is maximised.
void StoreWindowPlacement(const QWidget& window, const INIStorage& settings);
