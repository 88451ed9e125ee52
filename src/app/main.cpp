#include "app/Form1.h"
#include "findings/Findings.h"
#include "reading/ReadingRun.h"
#include "reading/TempFolders.h"
#include "settings/ConfigLocation.h"
#include "settings/INIStorage.h"
#include "shell/AppInfo.h"
#include "shell/AppStartup.h"
#include "text/DisplayLocale.h"
#include "text/TextCoder.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QUrl>

int main(int argc, char* argv[]) {
    ShareAllocationArenas();
    ReturnFreedMemory();
    ReadTimeZoneOnce();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (AsksForHelpOrVersion(arguments)) {
        // Answered on the terminal, with no display needed (man pages are made from these).
        QCoreApplication app(argc, argv);
        SetApplicationInfo();
        QCommandLineParser parser;
        SetUpGuiCommandLine(parser);
        parser.process(app);
        return 0;
    }

    QApplication app(argc, argv);
    SetApplicationInfo();
    QGuiApplication::setDesktopFileName(DesktopId);
    QCommandLineParser parser;
    SetUpGuiCommandLine(parser);
    parser.process(app);
    InstallQtTranslations(app);
    const QLocale locale = DisplayLocale();
    QLocale::setDefault(locale);
    app.setFont(UiFont());
    RemoveStaleTempFolders(); // payment documents an earlier, killed run may have left

    // The shared objects live here, for as long as the window does.
    const ConfigLocation config = ResolveConfigDir(QCoreApplication::applicationDirPath());
    TextCoder coder(locale);
    INIStorage settings(config.Dir);
    Form1 window(coder, settings, config.Dir);
    window.AddFindings(config.Findings);
    window.show();
    if (!parser.positionalArguments().isEmpty()) {
        // A file manager may hand over a file:// address instead of a path.
        const QString given = parser.positionalArguments().front();
        const QUrl url(given);
        window.OpenSource(url.isLocalFile() ? url.toLocalFile()
                                            : QDir::current().absoluteFilePath(given));
    }
    return app.exec();
}
