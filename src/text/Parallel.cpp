#include "text/Parallel.h"

#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

bool MakeInOrder(qsizetype count, qsizetype batch, const std::function<BatchMaker()>& newMaker,
                 const std::function<bool(const QByteArray& piece)>& sink) {
    batch = std::max<qsizetype>(batch, 1);
    const qsizetype batches = (count + batch - 1) / batch;
    const auto range = [&](qsizetype b) {
        return std::pair{b * batch, std::min(count, (b + 1) * batch)};
    };
    const int workers = int(std::min<qsizetype>(QThread::idealThreadCount(), batches));
    if (workers <= 1) {
        const BatchMaker make = newMaker();
        QByteArray piece;
        for (qsizetype b = 0; b < batches; ++b) {
            piece.clear();
            const auto [from, to] = range(b);
            make(from, to, piece);
            if (!sink(piece)) return false;
        }
        return true;
    }

    // Batch b waits in slot b % window until the sink has taken it.
    const qsizetype window = 2 * qsizetype(workers);
    std::vector<QByteArray> pieces(static_cast<size_t>(window));
    std::vector<bool> ready(static_cast<size_t>(window), false);
    qsizetype claimed = 0; // batches handed to a worker
    qsizetype taken = 0;   // batches the sink has had
    bool stop = false;
    std::mutex mutex;
    std::condition_variable changed;

    const auto work = [&] {
        const BatchMaker make = newMaker();
        for (;;) {
            qsizetype b = 0;
            {
                std::unique_lock lock(mutex);
                changed.wait(
                    lock, [&] { return stop || claimed >= batches || claimed < taken + window; });
                if (stop || claimed >= batches) return;
                b = claimed++;
            }
            QByteArray piece;
            const auto [from, to] = range(b);
            make(from, to, piece);
            {
                const std::lock_guard lock(mutex);
                pieces[size_t(b % window)] = std::move(piece);
                ready[size_t(b % window)] = true;
            }
            changed.notify_all();
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < workers; ++t)
        threads.emplace_back(work);

    bool all = true;
    for (qsizetype b = 0; b < batches && all; ++b) {
        QByteArray piece;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return bool(ready[size_t(b % window)]); });
            piece = std::move(pieces[size_t(b % window)]);
            ready[size_t(b % window)] = false;
            taken = b + 1;
        }
        changed.notify_all();
        all = sink(piece);
    }
    {
        const std::lock_guard lock(mutex);
        stop = true;
    }
    changed.notify_all();
    for (std::thread& thread : threads)
        thread.join();
    return all;
}

void RunInParts(qsizetype count, qsizetype minPart,
                const std::function<void(qsizetype from, qsizetype to)>& work) {
    const qsizetype parts = std::clamp<qsizetype>(count / std::max<qsizetype>(minPart, 1), 1,
                                                  QThread::idealThreadCount());
    std::vector<std::thread> threads;
    for (qsizetype p = 1; p < parts; ++p)
        threads.emplace_back(work, count * p / parts, count * (p + 1) / parts);
    work(0, count / parts); // this thread takes the first part
    for (std::thread& thread : threads)
        thread.join();
}
