#include "reading/KeptThreads.h"

namespace {
thread_local KeptThreads* readersToHire = nullptr;
} // namespace

KeptThreads::~KeptThreads() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

void KeptThreads::Run(std::function<void()> task) {
    {
        const std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
        if (m_tasks.size() > m_idle && m_threads.size() < m_most) {
            m_threads.emplace_back([this] { Serve(); });
            return; // it finds the task when it starts
        }
    }
    m_wake.notify_one();
}

void KeptThreads::Serve() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        ++m_idle;
        m_wake.wait(lock, [this] { return m_stop || !m_tasks.empty(); });
        --m_idle;
        if (m_stop) return;
        std::function<void()> task = std::move(m_tasks.front());
        m_tasks.pop_front();
        lock.unlock();
        task();
        task = nullptr; // what it holds goes before the next waits
        lock.lock();
    }
}

void HireReadersFrom(KeptThreads* threads) {
    readersToHire = threads;
}

KeptThreads* ReadersToHire() {
    return readersToHire;
}
