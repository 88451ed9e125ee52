#pragma once

#include <QString>
#include <QStringList>

class QCommandLineParser;
class QCoreApplication;

// What the window's main() does before the window exists.

// The desktop entry, the icon and the AppStream component share this name.
inline const QString DesktopId = QStringLiteral("ru.vypiska.Vypiska");

// Freed memory goes back to the system: blocks of 128 KiB and more are mapped on their own, and
// a heap gives back what it has free at its end beyond a megabyte. glibc would otherwise raise
// both bounds after the first big block freed, and a preview's or a register's memory, made on
// another thread, stayed with the window once it was closed.
void ReturnFreedMemory();

// Name and version as --version and the desktop see them.
void SetApplicationInfo();

// vypiska [PATH]: --help, --version and one optional source to read at start.
void SetUpGuiCommandLine(QCommandLineParser& parser);

// Whether the arguments ask only for --help or --version, which are answered without a display.
bool AsksForHelpOrVersion(const QStringList& arguments);

// Qt's own Russian texts for its dialogs and buttons ("Отмена", "... уже существует. Заменить?"),
// from the translations Qt was installed with. False when they are not there.
bool InstallQtTranslations(QCoreApplication& app);
