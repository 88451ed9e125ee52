#include "cli/CliSafety.h"

#include "cli/CliCommon.h"
#include "reading/TempFolders.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace {
std::atomic<bool> Stop{false};
volatile std::sig_atomic_t Caught = 0;

static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void OnStopSignal(int signal) {
    Caught = signal;
    Stop.store(true);
}
} // namespace

void PrepareCliRun() {
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
#if defined(Q_OS_UNIX)
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND; // the second signal takes its default course
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
#else
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
#endif
    RemoveStaleTempFolders();
}

ReadingCancel CliCancel() {
    return &Stop;
}

void EndIfInterrupted() {
    const int signal = Caught;
    if (signal == 0) return;
#ifdef Q_OS_UNIX
    CliError(QStringLiteral("Прервано сигналом %1 (%2)")
                 .arg(signal)
                 .arg(QString::fromLocal8Bit(strsignal(signal))));
#else
    CliError(QStringLiteral("Прервано сигналом %1").arg(signal));
#endif
    std::fflush(nullptr);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

bool StdoutReached(int earlier) {
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    const int error = !flushed && errno ? errno : earlier;
    if (flushed && !std::ferror(stdout)) return true;
    // A failed write before the flush leaves its mark but not always its reason.
    const QString why =
        error ? QString::fromLocal8Bit(std::strerror(error)) : QStringLiteral("запись не удалась");
    CliError(QStringLiteral("Не удалось вывести результат в стандартный вывод (%1)").arg(why));
    return false;
}
