#pragma once

#include <QIcon>
#include <QPixmap>

// Pictures bundled with the program (resources/vypiska.qrc).

// The application icon "AAA" in all its sizes (16 to 256 pixels).
QIcon AppIcon();
// The logo, 600 x 300 with an alpha channel.
QPixmap LogoPixmap();
// Button icons: the desktop theme's when it has them, else our own drawings.
QIcon OpenFolderIcon();
QIcon SettingsIcon();
