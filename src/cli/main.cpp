#include "cli/Cli.h"
#include "reading/ReadingRun.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace {
const char* const Usage =
    "usage:\n"
    "  vypiska-cli list    [--config DIR] [--locale NAME] SOURCE\n"
    "  vypiska-cli convert [--config DIR] [--locale NAME] [--template NAME|PATH]\n"
    "                      [--date YYYY-MM-DD[THH:MM[:SS]]] [--rows N,N,...] --output FILE "
    "SOURCE\n";
}

int main(int argc, char** argv) {
    ShareAllocationArenas();
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.first() == QLatin1String("--help") ||
        args.first() == QLatin1String("-h")) {
        std::fputs(Usage, args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? ExitUsage : ExitDone;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("list")) return RunList(args);
    if (command == QLatin1String("convert")) return RunConvert(args);
    std::fprintf(stderr, "vypiska-cli: unknown command '%s'\n%s", qUtf8Printable(command), Usage);
    return ExitUsage;
}
