#include "cli/Cli.h"
#include "cli/CliCommon.h"
#include "cli/CliSafety.h"
#include "reading/ReadingRun.h"

#include <QCoreApplication>
#ifndef VYPISKA_CLI_REGISTER_APART
#include <QGuiApplication>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#ifdef VYPISKA_CLI_REGISTER_APART
#include <climits>
#include <cstdlib>
#include <unistd.h>
#endif

namespace {

#ifndef VYPISKA_CLI_REGISTER_APART
QtMessageHandler QtMessages = nullptr;

// A machine without a desktop session has no runtime folder; Qt's note about it is no problem
// of the user's run, and stderr carries only the run's own lines.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))) return;
    QtMessages(type, context, text);
}
#endif

#ifdef VYPISKA_CLI_REGISTER_APART
// The registers paint with QtGui and write workbooks: loading those libraries, and the dozens
// they bring, took half of every other command's start. This program leaves them out and hands a
// register over to its twin beside it, the same program with them in, as the same process.
int RunRegisterApart(char** argv) {
    const char* const twinName = "vypiska-cli-register";
    char self[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    QByteArray twin = twinName;
    if (n > 0) {
        self[n] = 0;
        const char* slash = std::strrchr(self, '/');
        twin = QByteArray(self, slash ? slash - self + 1 : 0) + twinName;
    }
    argv[0] = twin.data();
    ::execv(twin.constData(), argv);
    const int error = errno;
    std::fprintf(stderr, "vypiska-cli: register needs '%s' (%s)\n", twin.constData(),
                 std::strerror(error));
    return ExitUsage;
}
#endif

} // namespace

int main(int argc, char** argv) {
    ShareAllocationArenas();
    ReadTimeZoneOnce();
    // Only the PDF register paints, and it needs fonts: a GUI application on the offscreen
    // platform, chosen before it starts so that a machine without a display works. The other
    // commands keep the lighter core application.
    std::unique_ptr<QCoreApplication> app;
    QStringList given;
    for (int i = 1; i < argc; ++i)
        given << QString::fromLocal8Bit(argv[i]);
    const qsizetype at = CliCommandIndex(given);
#ifdef VYPISKA_CLI_REGISTER_APART
    if (at >= 0 && given.at(at) == QLatin1String("register")) return RunRegisterApart(argv);
    app = std::make_unique<QCoreApplication>(argc, argv);
#else
    if (at >= 0 && given.at(at) == QLatin1String("register")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QtMessages = qInstallMessageHandler(QuietMessages);
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
#endif
    PrepareCliRun();
    QStringList args = app->arguments().mid(1);
    if (args.isEmpty()) {
        std::fputs(CliUsageText().toUtf8().constData(), stderr);
        return ExitUsage;
    }
    // Options may stand before the command; with no command, the first word is taken for one.
    const qsizetype commandAt = CliCommandIndex(args);
    const QString command = args.takeAt(commandAt < 0 ? 0 : commandAt);
    if (command == QLatin1String("list")) return RunList(args);
    if (command == QLatin1String("convert")) return RunConvert(args);
#ifndef VYPISKA_CLI_REGISTER_APART
    if (command == QLatin1String("register")) return RunRegister(args);
#endif
    if (command == QLatin1String("templates")) return RunTemplates(args);
    if (command == QLatin1String("check")) return RunCheck(args);
    if (command == QLatin1String("journal")) return RunJournal(args);
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        std::fputs(CliHelpText().toUtf8().constData(), stdout);
        return ExitDone;
    }
    if (command == QLatin1String("--version") || command == QLatin1String("-v")) {
        PrintLine(stdout, CliVersionText());
        return ExitDone;
    }
    CliError(QStringLiteral("unknown command '%1'").arg(command));
    std::fputs(CliUsageText().toUtf8().constData(), stderr);
    return ExitUsage;
}
