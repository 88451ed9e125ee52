#include "cli/Cli.h"
#include "cli/CliCommon.h"
#include "cli/CliSafety.h"
#include "reading/ReadingRun.h"

#include <QCoreApplication>
#ifndef VYPISKA_CLI_REGISTER_APART
#include <QGuiApplication>
#endif

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#ifdef __GLIBC__
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

#ifdef VYPISKA_CLI_REGISTER_APART
#include <climits>
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

#ifdef __GLIBC__
// Marks for huge pages the whole pages of memory between from and to.
void HugePages(char* from, char* to) {
    constexpr uintptr_t Huge = uintptr_t(2) << 20;
    char* const first = reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(from) + Huge - 1) &
                                                ~(Huge - 1));
    if (to > first) madvise(first, size_t(to - first), MADV_HUGEPAGE);
}
#endif

// A run touches tens of megabytes of fresh heap, and page by page the faults took a third of a
// listing's time (the more on a virtual machine). The two heaps (the main thread's and one that
// the others share) are grown now, in one large step each, and marked for huge pages: a few
// faults instead of thousands. Each command runs once and ends: nothing is handed back meanwhile.
void GrowHeapsInLargeSteps() {
#ifdef __GLIBC__
    constexpr int Step = 64 << 20;
    mallopt(M_ARENA_MAX, 2); // one heap for every thread would have them wait on its lock
    mallopt(M_MMAP_THRESHOLD, Step / 2); // large blocks from the heaps too, not a mapping each
    mallopt(M_TRIM_THRESHOLD, 2 * Step);
    mallopt(M_TOP_PAD, Step);
    // The first block the main heap cannot hold grows it by the step.
    char* const from = static_cast<char*>(sbrk(0));
    void* volatile probe = std::malloc(1 << 20);
    std::free(probe);
    if (from != reinterpret_cast<char*>(-1)) HugePages(from, static_cast<char*>(sbrk(0)));
    // The other threads' heap is made by the first thread that allocates, and grows a page at a
    // time: a block of its size reserves it at once.
    std::thread([] {
        constexpr size_t Others = size_t(24) << 20;
        char* volatile block = static_cast<char*>(std::malloc(Others));
        if (block) HugePages(block, block + Others);
        std::free(block);
    }).join();
#endif
}

} // namespace

int main(int argc, char** argv) {
    GrowHeapsInLargeSteps();
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
