#pragma once

#include <QString>
#include <QStringList>

class QCommandLineParser;
class QCoreApplication;

// What the window's main() does before the window exists.

// The desktop entry, the icon and the AppStream component share this name.
inline const QString DesktopId = QStringLiteral("ru.vypiska.Vypiska");

// Name and version as --version and the desktop see them.
void SetApplicationInfo();

// vypiska [PATH]: --help, --version and one optional source to read at start.
void SetUpGuiCommandLine(QCommandLineParser& parser);

// Whether the arguments ask only for --help or --version, which are answered without a display.
bool AsksForHelpOrVersion(const QStringList& arguments);

// Qt's own Russian texts for its dialogs and buttons ("Отмена", "... уже существует. Заменить?"),
// from the translations Qt was installed with. False when they are not there.
bool InstallQtTranslations(QCoreApplication& app);
