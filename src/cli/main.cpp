#include "cli/Cli.h"
#include "cli/CliCommon.h"
#include "cli/CliSafety.h"
#include "reading/ReadingRun.h"

#include <QCoreApplication>
#ifndef VYPISKA_CLI_REGISTER_APART
#include <QGuiApplication>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

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

// Under AddressSanitizer the heap is the sanitizer's, not glibc's.
#if defined(__SANITIZE_ADDRESS__)
#define VYPISKA_SANITIZED_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VYPISKA_SANITIZED_ALLOCATOR 1
#endif
#endif

#if defined(__GLIBC__) && !defined(VYPISKA_SANITIZED_ALLOCATOR)
constexpr uintptr_t HugePage = uintptr_t(2) << 20;

uintptr_t Address(const void* p) {
    return reinterpret_cast<uintptr_t>(p);
}
uintptr_t HugePageAfter(uintptr_t at) {
    return (at + HugePage - 1) & ~(HugePage - 1);
}

// Marks for huge pages the memory between from and to (the system takes only whole huge pages
// that nothing has touched yet).
void HugePages(uintptr_t from, uintptr_t to) {
    from &= ~(uintptr_t(4096) - 1);
    if (to > from) madvise(reinterpret_cast<void*>(from), size_t(to - from), MADV_HUGEPAGE);
}

// A heap's huge page that is partly in use already is taken 4 kB at a time. A block that the
// heap's next blocks would take from there, up to the next huge page, is held instead: the
// address space only, never touched.
void SkipToHugePage(uintptr_t heapTop, uintptr_t from) {
    static std::vector<void*> held;
    constexpr uintptr_t Headers = 64;
    const uintptr_t next = HugePageAfter(std::max(heapTop, from));
    if (next > heapTop + Headers) held.push_back(std::malloc(size_t(next - heapTop - Headers)));
}
#endif

// A run touches tens of megabytes of fresh heap, and page by page the faults took a quarter to a
// third of a listing's time (on a virtual machine). The two heaps (the main thread's and one that
// the others share) are grown now, in one large step each, and marked for huge pages: a few
// faults instead of thousands. Each command runs once and ends: nothing is handed back meanwhile.
void GrowHeapsInLargeSteps() {
#if defined(__GLIBC__) && !defined(VYPISKA_SANITIZED_ALLOCATOR)
    constexpr int Step = 64 << 20;
    mallopt(M_MMAP_THRESHOLD, Step / 2); // large blocks from the heaps too, not a mapping each
    mallopt(M_TRIM_THRESHOLD, 2 * Step);
    mallopt(M_TOP_PAD, Step);
    // The first block the main heap cannot hold grows it by the step; one just past its free top
    // (keepcost) touches nothing of the growth.
    const uintptr_t from = Address(sbrk(0));
    void* volatile probe = std::malloc(mallinfo2().keepcost + 256);
    std::free(probe);
    const uintptr_t to = Address(sbrk(0));
    if (from != Address(reinterpret_cast<void*>(-1)) && to > from) {
        HugePages(from, to);
        SkipToHugePage(to - mallinfo2().keepcost, from);
    }
    // The other threads' heap is made by the first thread that allocates, all of it at once for
    // the pad above: glibc places such a heap on a boundary of its size (64 MB) and its first
    // block just after its header. Where that does not hold, it is left as it is.
    const auto markOthers = [] {
        constexpr uintptr_t HeapSize = uintptr_t(64) << 20;
        char* const first = static_cast<char*>(std::malloc(16));
        const uintptr_t heap = Address(first) & ~(HeapSize - 1);
        if (first && Address(first) - heap < 4096) {
            HugePages(HugePageAfter(Address(first)), heap + HeapSize);
            SkipToHugePage(Address(first) + 16, Address(first));
        }
        std::free(first);
    };
    try {
        std::thread(markOthers).join();
    } catch (const std::system_error&) {
        // No thread to be had now: the heap is then made as glibc makes it.
    }
#endif
}

} // namespace

int main(int argc, char** argv) {
    ShareAllocationArenas(); // one heap for every thread would have them wait on its lock
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
