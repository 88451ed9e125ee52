#include "app/Form1.h"
#include "reading/ReadingRun.h"
#include "settings/INIStorage.h"
#include "shell/AppInfo.h"
#include "text/TextCoder.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[]) {
    ShareAllocationArenas();
    QApplication app(argc, argv);
    app.setFont(UiFont());

    // The shared objects live here, for as long as the window does.
    const QString configDir = QDir(QCoreApplication::applicationDirPath()).filePath("CONFIG") + "/";
    TextCoder coder;
    INIStorage settings(configDir);
    Form1 window(coder, settings, configDir);
    window.show();
    return app.exec();
}
