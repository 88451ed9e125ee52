#pragma once

#include "reading/DocumentReader.h"
#include "reading/DocumentFile.h"
#include "reading/KeptThreads.h"
#include "reading/PackedEntry.h"
#include "reading/ReadingRun.h"

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>

bool Stopped(ReadingCancel cancel);

// A file's row, or its name among those left out; whatever was said about it, line by line.
// Nothing of a file that a cancel cut short.
void Take(const QString& path, std::optional<DocumentRow> row, const QString& problem,
          FindingList findings, ReadingOutcome* outcome, ReadingCancel cancel);

// What a row keeps beyond the shared short values: the text of its long ones.
qint64 KeptBytes(const DocumentRow& row);

// What was said about a document: held apart, since most documents have nothing said.
struct JobSaid {
    QString Problem;
    FindingList Findings;
};

// One document to read: a file by its path, or an archive entry's bytes. Kept small: a reading
// holds one for every document until its rows are taken.
struct Job {
    enum class From : quint8 { File, Bytes, Packed };
    QString Path;
    // An archive entry's bytes (let go once read), or its bytes as stored, unpacked by the
    // reader; Size is what they come to either way.
    PackedEntry Stored;
    From Source = From::File;
    bool Damaged = false; // its stored bytes did not unpack
    bool Read = false;
    bool Ready = false;  // read, as seen under the pool's lock
    bool Handed = false; // its row went on early (see HandOver)
    std::optional<DocumentRow> Row;
    std::unique_ptr<JobSaid> Said;

    qint64 Queued() const { return Source == From::File ? 0 : Stored.Size; } // bytes it brings
};

// The jobs in the order added, in blocks that never move: a worker keeps its job's address while
// more are added.
class JobList {
public:
    size_t size() const { return m_size; }
    Job& operator[](size_t i) { return m_blocks[i / BlockSize][i % BlockSize]; }
    void push_back(Job&& job) {
        if (m_size % BlockSize == 0) m_blocks.push_back(std::make_unique<Job[]>(BlockSize));
        (*this)[m_size] = std::move(job);
        ++m_size;
    }

private:
    static constexpr size_t BlockSize = 256;
    std::vector<std::unique_ptr<Job[]>> m_blocks;
    size_t m_size = 0;
};

// Below this many documents the threads would cost more than they save; reading them one by one
// also keeps the progress exact, one call per document.
constexpr qsizetype ParallelFrom = 64;

// A document beyond this is read alone, one at a time: its text takes several times its size
// while it is read.
constexpr qsizetype LargeDocumentBytes = qsizetype(1) << 20;
// Entries waiting for a worker, counted unpacked; the adding thread waits beyond it.
constexpr qint64 MostQueuedBytes = qint64(64) << 20;

// Reads documents on every core, each worker with a reader of its own, while more are still being
// added: an archive's entries are read while the walk goes on. The workers start
// once enough documents are known to pay for them; until then, with readWhileAdding, the adding
// thread reads each document as it comes, so that a cancel keeps what was read. The long text
// the rows keep is bounded by keptBudget: past it, or when memory runs out, reading stops and
// the rows read stay.
class ReadingPool {
public:
    ReadingPool(const ColumnMap& columns, const TextCoder& coder, ReadingCancel cancel, RowUse use,
                bool readWhileAdding = false, qint64 keptBudget = UnzipLimits().MaxKeptTextBytes)
        : m_columns(columns), m_coder(coder), m_cancel(cancel), m_use(use),
          m_workers(std::max(1, QThread::idealThreadCount())), m_readWhileAdding(readWhileAdding),
          m_keptBudget(keptBudget), m_threads(ReadersToHire()) {
        if (!m_threads) m_threads = &m_ownThreads.emplace();
    }
    ~ReadingPool() { Stop(); }

    // Reading stopped short of the end: the budget of long text spent, or the memory.
    bool Full() const { return m_full.load(); }
    bool OutOfMemory() const { return m_outOfMemory.load(); }
    // An entry taken as stored did not unpack: reading stopped, for the whole source to be read
    // again with libarchive, which names the fault in its own words.
    bool Damaged() const { return m_damaged.load(); }
    // Rows handed on so far; a reading again of the same source skips as many.
    size_t RowsHanded() const { return m_rowsHanded; }
    void HandedAlready(size_t rows) { m_skipRows = m_rowsHanded = rows; }
    qint64 KeptBudget() const { return m_keptBudget; }

    // A file to read or, with its bytes, an archive entry. False once reading has stopped (full
    // or cancelled): nothing more is taken.
    bool Add(const QString& path, const std::optional<QByteArray>& bytes = std::nullopt) {
        Job job;
        job.Path = path;
        if (bytes) {
            job.Source = Job::From::Bytes;
            job.Stored.Packed = *bytes;
            job.Stored.Size = bytes->size();
        }
        return AddJob(std::move(job));
    }
    bool Add(const QString& path, PackedEntry packed) {
        Job job;
        job.Path = path;
        job.Source = Job::From::Packed;
        job.Stored = std::move(packed);
        return AddJob(std::move(job));
    }

    // Reads every document added and tells progress from this thread. False when cancelled; what
    // was read by then stays.
    bool Finish(const ReadingProgress& progress) {
        const qsizetype count = qsizetype(m_jobs.size());
        if (m_hired == 0) {
            for (qsizetype i = 0; i < count && !Halted(); ++i) {
                if (!m_jobs[size_t(i)].Read) ReadOne(OwnReader(), m_jobs[size_t(i)]);
                m_jobs[size_t(i)].Ready = true;
                if (Stopped(m_cancel) || (progress && !progress(i + 1, count))) return false;
            }
            return true;
        }
        {
            const std::lock_guard lock(m_mutex);
            m_total = count;
        }
        m_work.notify_all();
        Hire(m_workers - m_hired);
        // Progress at most every few milliseconds: the window repaints from it, and a call per
        // document would keep it busy for nothing.
        bool cancelled = false;
        for (qsizetype told = 0; told < count && !cancelled && !(Halted() && m_busy == 0);) {
            {
                std::unique_lock lock(m_mutex);
                m_progress.wait_for(lock, std::chrono::milliseconds(20), [&] {
                    return m_done == count || (told == 0 && m_done > 0) ||
                           (Halted() && m_busy == 0);
                });
            }
            // A raised flag stops the workers too: nothing more would come.
            cancelled = Stopped(m_cancel);
            const qsizetype now = m_done;
            if (cancelled || now == told) continue;
            told = now;
            cancelled = progress && !progress(told, count);
            HandOver();
        }
        Stop();
        return !cancelled;
    }

    // The rows, the files left out and the problems of the documents read, in the given order
    // (all in the order added when none is given), as a reading one by one would give them.
    void TakeInto(ReadingOutcome* outcome, const std::vector<size_t>& order = {}) {
        outcome->Rows.reserve(outcome->Rows.size() + m_jobs.size());
        for (size_t i = 0; i < m_jobs.size(); ++i) {
            Job& job = m_jobs[order.empty() ? i : order[i]];
            if (!job.Read || job.Damaged) continue;
            JobSaid said = job.Said ? std::move(*job.Said) : JobSaid();
            Take(job.Path, std::move(job.Row), said.Problem, std::move(said.Findings), outcome,
                 m_cancel);
            if (job.Handed) outcome->Rows.pop_back(); // its findings stay, the row went on
        }
    }

    // Rows are handed to ready as they are read, in the order added, at most every tenth of a
    // second; called by the thread that adds and finishes.
    void HandRowsTo(ReadingRowsReady ready) {
        m_ready = std::move(ready);
        m_sinceHanded.start();
    }
    // Hands on the rows read in an unbroken run from the last handed; now: whatever the time.
    // The first ones go as soon as there are any.
    void HandOver(bool now = false) {
        constexpr qint64 EveryMs = 100;
        if (!m_ready || (!now && m_handed > 0 && m_sinceHanded.elapsed() < EveryMs)) return;
        m_sinceHanded.restart();
        std::vector<DocumentRow> rows;
        {
            const std::lock_guard lock(m_mutex);
            // Nothing past an entry that did not unpack: the reading again hands on the rest.
            for (; m_handed < m_jobs.size() && m_jobs[m_handed].Ready && !m_jobs[m_handed].Damaged;
                 ++m_handed) {
                Job& job = m_jobs[m_handed];
                if (!job.Row) continue;
                job.Handed = true;
                if (m_skipRows > 0)
                    --m_skipRows;
                else
                    rows.push_back(std::move(*job.Row));
            }
        }
        m_rowsHanded += rows.size();
        if (!rows.empty()) m_ready(std::move(rows));
    }

    // Waits for the workers, stopping them first; for a cancelled walk too.
    void Stop() {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_work.notify_all();
        std::unique_lock lock(m_mutex);
        m_ended.wait(lock, [this] { return m_working == 0; });
    }

private:
    bool Halted() const { return m_full.load() || m_damaged.load(); }

    bool AddJob(Job job) {
        if (m_readWhileAdding && m_hired == 0 && qsizetype(m_jobs.size()) + 1 < ParallelFrom) {
            ReadOne(OwnReader(), job);
            job.Ready = true;
            const std::lock_guard lock(m_mutex);
            m_jobs.push_back(std::move(job));
            ++m_next;
            ++m_done;
            return !Halted();
        }
        const qint64 size = job.Queued();
        const bool packed = job.Source == Job::From::Packed;
        // Workers that caught up are woken for a handful at a time, not for every document: a
        // wake-up costs about what reading a small document does.
        constexpr qsizetype WakeFor = 32;
        // Entries handed on as stored cost the walk little: when this many wait, this thread
        // reads one itself rather than run ahead, its core busy and their bytes not piling up.
        constexpr qsizetype HelpFrom = 64;
        bool wake = false;
        bool help = false;
        {
            std::unique_lock lock(m_mutex);
            // Inflating can outrun reading by far (a few huge entries): wait for the workers.
            while (m_hired > 0 && m_queued > MostQueuedBytes && !Halted() &&
                   !Stopped(m_cancel))
                m_room.wait_for(lock, std::chrono::milliseconds(20));
            m_queued += size;
            m_jobs.push_back(std::move(job));
            wake = (m_idle > 0 && qsizetype(m_jobs.size()) - m_next >= WakeFor) ||
                   m_queued > MostQueuedBytes;
            help = packed && m_hired > 0 && qsizetype(m_jobs.size()) - m_next > HelpFrom;
        }
        if (wake)
            m_work.notify_all();
        else if (m_hired == 0 && m_workers > 1 && qsizetype(m_jobs.size()) >= ParallelFrom)
            Hire(m_workers - 1); // this thread keeps a core for adding (and helping, see help)
        if (help) ReadNext();
        return !Halted();
    }

    // The next waiting document, read by the adding thread.
    void ReadNext() {
        Job* job = nullptr;
        {
            const std::lock_guard lock(m_mutex);
            if (m_stop || Halted() || Stopped(m_cancel) || m_next >= qsizetype(m_jobs.size()))
                return;
            job = &m_jobs[size_t(m_next++)];
            m_queued -= job->Queued();
            ++m_busy;
        }
        ReadOne(OwnReader(), *job);
        --m_busy;
        {
            const std::lock_guard lock(m_mutex);
            job->Ready = true;
        }
        ++m_done;
    }

    void Hire(int workers) {
        for (int t = 0; t < workers; ++t) {
            {
                const std::lock_guard lock(m_mutex);
                ++m_working;
            }
            ++m_hired;
            m_threads->Run([this] {
                Work();
                const std::lock_guard lock(m_mutex);
                if (--m_working == 0) m_ended.notify_all(); // the pool may go once unlocked
            });
        }
    }

    const DocumentReader& OwnReader() {
        if (!m_own) m_own.emplace(m_columns, m_coder, m_cancel, m_use);
        return *m_own;
    }

    void ReadOne(const DocumentReader& reader, Job& job) {
        QString problem;
        FindingList findings;
        try {
            std::optional<QByteArray> bytes;
            if (job.Source == Job::From::Packed) {
                bytes = Unpack(job.Stored);
                job.Stored.Packed = QByteArray();
                if (!bytes) {
                    job.Damaged = m_damaged = true;
                    job.Read = true;
                    return;
                }
            } else if (job.Source == Job::From::Bytes) {
                bytes = std::exchange(job.Stored.Packed, {});
            } else {
                bytes = ReadDocumentBytes(job.Path, &problem, &findings);
            }
            if (bytes) {
                // A large document's text is many times its bytes while it is read: one at a time.
                std::unique_lock large(m_large, std::defer_lock);
                if (bytes->size() > LargeDocumentBytes) large.lock();
                job.Row = reader.ReadBytes(job.Path, *bytes, &problem, &findings);
            }
        } catch (const std::bad_alloc&) {
            // The program never ends on an allocation: the document is named, reading stops.
            job.Row.reset();
            const QString why = QStringLiteral("не хватило памяти; чтение остановлено");
            problem = QStringLiteral("Файл '%1' пропущен: %2").arg(job.Path, why);
            findings = {FileFinding(FindingKind::Skipped, job.Path, why)};
            m_outOfMemory = true;
            m_full = true;
        }
        if (!problem.isEmpty() || !findings.empty())
            job.Said.reset(new JobSaid{std::move(problem), std::move(findings)});
        if (job.Row && (m_kept += KeptBytes(*job.Row)) > m_keptBudget) m_full = true;
        job.Read = true;
    }

    void Work() {
        const DocumentReader reader(m_columns, m_coder, m_cancel, m_use);
        Job* job = nullptr;
        for (;;) {
            {
                std::unique_lock lock(m_mutex);
                if (job) job->Ready = true;
                job = nullptr;
                ++m_idle;
                m_work.wait(lock, [&] {
                    return m_stop || m_next < qsizetype(m_jobs.size()) || m_total >= 0;
                });
                --m_idle;
                if (m_stop || Halted() || Stopped(m_cancel) || m_next >= qsizetype(m_jobs.size()))
                    return;
                job = &m_jobs[size_t(m_next++)]; // a job stays where it is
                m_queued -= job->Queued();
                ++m_busy;
            }
            m_room.notify_one();
            ReadOne(reader, *job);
            --m_busy;
            if (Halted()) {
                { const std::lock_guard lock(m_mutex); }
                m_progress.notify_one();
            }
            // The reporter looks in every few milliseconds by itself; waking it for every
            // document would cost a system call each. It is woken for the first document, so
            // that a cancel asked for at the start is seen at once, and for the last.
            const qsizetype now = ++m_done;
            if (now == 1 || now == m_total) {
                { const std::lock_guard lock(m_mutex); } // the reporter waits, or sees it done
                m_progress.notify_one();
            }
        }
    }

    const ColumnMap& m_columns;
    const TextCoder& m_coder;
    const ReadingCancel m_cancel;
    const RowUse m_use;
    const int m_workers;
    const bool m_readWhileAdding;
    const qint64 m_keptBudget;
    std::optional<DocumentReader> m_own; // of the thread that adds and finishes
    JobList m_jobs;
    std::optional<KeptThreads> m_ownThreads; // when the readings hire from none kept
    KeptThreads* m_threads;
    int m_hired = 0;   // workers hired, on the adding thread's side
    int m_working = 0; // workers hired and not yet ended, under the lock
    std::mutex m_mutex;
    std::condition_variable m_work;     // the workers wait here for documents
    std::condition_variable m_progress; // the reporter waits here for the workers
    std::condition_variable m_room;     // the adding thread waits here for the queue to shrink
    std::condition_variable m_ended;    // Stop waits here for the workers to end
    std::mutex m_large;                 // held while a large document is read
    qint64 m_queued = 0;                // bytes of entries added and not yet handed out
    std::atomic<int> m_busy{0};         // workers reading a document
    std::atomic<qint64> m_kept{0};
    std::atomic<bool> m_full{false};
    std::atomic<bool> m_outOfMemory{false};
    std::atomic<bool> m_damaged{false};
    qsizetype m_next = 0; // the next document to hand out
    int m_idle = 0;       // workers waiting for documents
    bool m_stop = false;
    std::atomic<qsizetype> m_total{-1}; // the count once every document is added
    std::atomic<qsizetype> m_done{0};
    ReadingRowsReady m_ready;
    QElapsedTimer m_sinceHanded;
    size_t m_handed = 0; // the jobs whose rows went on (or had none)
    size_t m_rowsHanded = 0;
    size_t m_skipRows = 0; // rows a reading before this one handed on
};

// Said once when the long text of the rows filled its budget and reading stopped.
void SayFull(const ReadingPool& pool, const QString& source, ReadingOutcome* outcome);
