#include "cli/Cli.h"
#include "cli/CliCommon.h"
#include "cli/CliSafety.h"
#include "reading/ReadingRun.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    ShareAllocationArenas();
    ReadTimeZoneOnce();
    QCoreApplication app(argc, argv);
    PrepareCliRun();
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fputs(CliUsageText().toUtf8().constData(), stderr);
        return ExitUsage;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("list")) return RunList(args);
    if (command == QLatin1String("convert")) return RunConvert(args);
    if (command == QLatin1String("templates")) return RunTemplates(args);
    if (command == QLatin1String("check")) return RunCheck(args);
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
