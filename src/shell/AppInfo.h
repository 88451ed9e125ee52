#pragma once

#include <QFont>
#include <QString>

// What the windows say about the program itself: its name, version and credits.

QString ProductName();
// "Версия: 1.0.1" from the version the program was built with.
QString VersionLine();
// The same for any three numbers, written as plain integers without padding.
QString VersionLine(int major, int minor, int patch);
// Tahoma 9 pt where the system has it, otherwise the desktop's own UI font.
QFont UiFont();
// The About window's information text: the disclaimer, an empty line, the heading and one
// "- " line per library, joined by CR LF, with no line break after the last one.
QString AboutInfoText();
