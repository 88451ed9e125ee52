#include "shell/AppStartup.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#ifdef __GLIBC__
#include <malloc.h>
#endif

void ReturnFreedMemory() {
#ifdef __GLIBC__
    // Setting either bound also stops glibc from moving them.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 1024 * 1024);
#endif
}

void SetApplicationInfo() {
    QCoreApplication::setApplicationName(QStringLiteral("vypiska"));
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                                .arg(VYPISKA_VERSION_MAJOR)
                                                .arg(VYPISKA_VERSION_MINOR)
                                                .arg(VYPISKA_VERSION_PATCH));
}

void SetUpGuiCommandLine(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Reads XML payment documents (one .xml file, every *.xml of a folder, or\n"
                       "the top level of a .zip), lists them and writes the checked ones into a\n"
                       "Windows-1251 statement for import into 1C. vypiska-cli does the same\n"
                       "without a window."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("PATH"),
        QStringLiteral("a .xml file, a folder or a .zip archive to read at start"),
        QStringLiteral("[PATH]"));
}

bool AsksForHelpOrVersion(const QStringList& arguments) {
    for (const QString& word : arguments.mid(1)) {
        if (word == QLatin1String("--")) return false;
        for (const char* option : {"-h", "--help", "--help-all", "-v", "--version"})
            if (word == QLatin1String(option)) return true;
    }
    return false;
}

bool InstallQtTranslations(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ru"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
