#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Threads that stay, once they have run a task, for the next ones. glibc gives each new thread
// one of the process's malloc arenas in turn: readings on new threads each time would put their
// rows now in one arena, now in another, and the memory freed in the first would stay resident
// beside the rows in the second. A kept thread keeps its arena.
class KeptThreads {
public:
    // At most that many threads: a task waits for one when all are busy.
    explicit KeptThreads(std::size_t most = std::size_t(-1)) : m_most(most) {}
    KeptThreads(const KeptThreads&) = delete;
    KeptThreads& operator=(const KeptThreads&) = delete;
    // Lets the tasks running end, drops those waiting, and ends the threads.
    ~KeptThreads();

    // Runs the task on an idle thread, a new one when none is and there may be more.
    void Run(std::function<void()> task);

private:
    void Serve();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_tasks;
    std::vector<std::thread> m_threads;
    const std::size_t m_most;
    std::size_t m_idle = 0;
    bool m_stop = false;
};

// The threads that the readings started on the calling thread hire their workers from; none (the
// default): each reading starts its workers and ends them.
void HireReadersFrom(KeptThreads* threads);
KeptThreads* ReadersToHire();
