#include "reading/ReadingRun.h"

#include "reading/DocumentFile.h"
#include "reading/DocumentReader.h"
#include "text/FileNames.h"
#include "text/TextCoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <new>
#include <numeric>
#include <thread>

#ifdef __GLIBC__
#include <malloc.h>
#endif
#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

SourceKind DetectSourceKind(const QString& path, const TextCoder& coder) {
    if (path.isEmpty()) return SourceKind::None;
    if (QFileInfo(path).isDir()) return SourceKind::Folder;
    const QString ext = coder.GetExt(path);
    if (ext.compare(QLatin1String("XML"), Qt::CaseInsensitive) == 0) return SourceKind::Xml;
    if (ext.compare(QLatin1String("ZIP"), Qt::CaseInsensitive) == 0) return SourceKind::Zip;
    return SourceKind::None;
}

QString PluralForm(const QString& word, qint64 n, int kind) {
    // Russian takes the form of the last digit, except that 11 to 14 (also in 111, 1012 ...)
    // take the form of "many".
    const qint64 lastTwo = n % 100;
    const qint64 last = n % 10;
    const bool teen = lastTwo >= 11 && lastTwo <= 19;
    if (!teen && last == 1) return word;
    if (!teen && last >= 2 && last <= 4)
        return word + (kind == 0 ? QStringLiteral("о") : QStringLiteral("а"));
    switch (kind) {
    case 0:
        return word + QStringLiteral("о");
    case 1:
        return word + QStringLiteral("ы");
    default:
        return word + QStringLiteral("ов");
    }
}

QString ReadSuccessText(qint64 count, const QString& path) {
    return QStringLiteral("Успешно ") + PluralForm(QStringLiteral("прочитан"), count, 0) +
           QLatin1Char(' ') + QString::number(count) + QLatin1Char(' ') +
           PluralForm(QStringLiteral("документ"), count, 2) + QStringLiteral(" в '") + path +
           QLatin1Char('\'');
}

namespace {
// "прочитано 12 документов"
QString CountText(const QString& participle, qint64 count, const QString& noun) {
    return PluralForm(participle, count, 0) + QLatin1Char(' ') + QString::number(count) +
           QLatin1Char(' ') + PluralForm(noun, count, 2);
}
} // namespace

QString ReadCancelledText(qint64 count, const QString& path) {
    return QStringLiteral("Чтение остановлено, прочитаны не все документы: ") +
           CountText(QStringLiteral("прочитан"), count, QStringLiteral("документ")) +
           QStringLiteral(" из '") + path + QLatin1Char('\'');
}

QString ReadPartialText(qint64 count, qint64 skipped, const QString& path) {
    return CountText(QStringLiteral("Прочитан"), count, QStringLiteral("документ")) +
           QStringLiteral(", ") +
           CountText(QStringLiteral("пропущен"), skipped, QStringLiteral("файл")) +
           QStringLiteral(" в '") + path + QLatin1Char('\'');
}

QString OutsideText(qint64 count) {
    return QStringLiteral("в подпапках не читались: %1 ")
        .arg(count)
        .append(PluralForm(QStringLiteral("файл"), count, 2));
}

QString NotFoundText(const QString& path) {
    return QStringLiteral("Не найдено совместимых документов в '") + path + QLatin1Char('\'');
}

namespace {
// Ascending without regard to case; names differing only in case in a stable order.
bool NameBefore(QStringView a, QStringView b) {
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

// What the "*.xml" pattern of a folder listing takes: any case, no hidden (dot) files.
bool IsDocumentName(const QString& name) {
    return !name.startsWith(u'.') && name.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive);
}

// The document files of a folder, unsorted: names IsDocumentName takes, of anything but a folder
// and of links whose target exists and is no folder (a pipe or a device, or a link to one, is then
// refused by name when read).
QStringList ListDocumentFiles(const QString& folder) {
#ifdef Q_OS_UNIX
    // The entry's own type tells a regular file without asking the file system again: for a year
    // of documents, a hundred thousand system calls fewer.
    QStringList names;
    DIR* dir = ::opendir(FileNameBytes(folder).constData());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        // Bytes that are no UTF-8 are kept: the name must open the file it came from.
        const QString name = FileNameFromBytes(entry->d_name);
        if (!IsDocumentName(name)) continue;
        // A pipe, a device or a socket named "*.xml" is listed too, to be refused by name when
        // read (never waited on), as a link to one is: nothing is left out without a word.
        bool listed =
            entry->d_type != DT_DIR && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN;
        struct stat st {};
        if ((entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) &&
            ::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            listed = (!S_ISLNK(st.st_mode) && !S_ISDIR(st.st_mode)) ||
                     (S_ISLNK(st.st_mode) && ::fstatat(::dirfd(dir), entry->d_name, &st, 0) == 0 &&
                      !S_ISDIR(st.st_mode));
        }
        if (listed) names << name;
    }
    ::closedir(dir);
    return names;
#else
    // QDir leaves out hidden files (names starting with a dot) unless asked; matching of the
    // pattern ignores case by default.
    return QDir(folder).entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Unsorted);
#endif
}

QStringList DocumentFileNames(const QString& folder) {
    QStringList names = ListDocumentFiles(folder);
    // Case folding in every comparison is most of the cost of listing a large folder. Plain
    // ASCII names, the usual ones, are folded once and compared as bytes, in the same order.
    std::vector<std::pair<QByteArray, QByteArray>> keys; // folded, as written
    keys.reserve(size_t(names.size()));
    for (const QString& name : std::as_const(names)) {
        if (std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() >= 0x80; })) {
            std::sort(names.begin(), names.end(), NameBefore);
            return names;
        }
        const QByteArray written = name.toLatin1();
        keys.emplace_back(written.toLower(), written);
    }
    std::sort(keys.begin(), keys.end());
    for (size_t i = 0; i < keys.size(); ++i)
        names[qsizetype(i)] = QString::fromLatin1(keys[i].second);
    return names;
}

bool Stopped(ReadingCancel cancel) {
    return cancel && cancel->load(std::memory_order_relaxed);
}

// A file's row, or its name among those left out; whatever was said about it, line by line.
// Nothing of a file that a cancel cut short.
void Take(const QString& path, std::optional<DocumentRow> row, const QString& problem,
          ReadingOutcome* outcome, ReadingCancel cancel) {
    if (!row && Stopped(cancel)) return;
    AddFileFindings(outcome->Findings, path, row.has_value(), problem);
    if (row)
        outcome->Rows.push_back(std::move(*row));
    else
        outcome->Skipped << path;
    if (!problem.isEmpty())
        outcome->Problems << problem.split(u'\n');
    else if (!row)
        outcome->Problems << QStringLiteral("Файл '%1' пропущен").arg(path);
}

// One document to read: a file by its path, or an archive entry's bytes.
struct Job {
    QString Path;
    QByteArray Bytes; // an archive entry's, let go once read
    bool FromBytes = false;
    bool Read = false;
    std::optional<DocumentRow> Row;
    QString Problem;
};

// Below this many documents the threads would cost more than they save; reading them one by one
// also keeps the progress exact, one call per document.
constexpr qsizetype ParallelFrom = 64;

// A document beyond this is read alone, one at a time: its text takes several times its size
// while it is read.
constexpr qsizetype LargeDocumentBytes = qsizetype(1) << 20;
// Entries inflated and waiting for a worker; the inflating thread waits beyond it.
constexpr qint64 MostQueuedBytes = qint64(64) << 20;

// What a row keeps beyond the shared short values: the text of its long ones.
qint64 KeptBytes(const DocumentRow& row) {
    constexpr qsizetype Short = 64;
    qint64 kept = 0;
    for (const DocumentCell& cell : row.Cells) {
        if (cell.RawValue.size() > Short) kept += cell.RawValue.size() * 2;
        if (cell.DisplayText.size() > Short && !cell.DisplayText.isSharedWith(cell.RawValue))
            kept += cell.DisplayText.size() * 2;
    }
    return kept;
}

// Reads documents on every core, each worker with a reader of its own, while more are still being
// added: an archive's entries are read as libarchive inflates the next ones. The workers start
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
          m_keptBudget(keptBudget) {}
    ~ReadingPool() { Stop(); }

    // Reading stopped short of the end: the budget of long text spent, or the memory.
    bool Full() const { return m_full.load(); }
    bool OutOfMemory() const { return m_outOfMemory.load(); }
    qint64 KeptBudget() const { return m_keptBudget; }

    // A file to read or, with its bytes, an archive entry. False once reading has stopped (full
    // or cancelled): nothing more is taken.
    bool Add(const QString& path, const std::optional<QByteArray>& bytes = std::nullopt) {
        Job job;
        job.Path = path;
        job.FromBytes = bytes.has_value();
        if (bytes) job.Bytes = *bytes;
        if (m_readWhileAdding && m_threads.empty() && qsizetype(m_jobs.size()) + 1 < ParallelFrom) {
            ReadOne(OwnReader(), job);
            const std::lock_guard lock(m_mutex);
            m_jobs.push_back(std::move(job));
            ++m_next;
            ++m_done;
            return !m_full;
        }
        const qint64 size = job.Bytes.size();
        // Workers that caught up are woken for a handful at a time, not for every document: a
        // wake-up costs about what reading a small document does.
        constexpr qsizetype WakeFor = 32;
        bool wake = false;
        {
            std::unique_lock lock(m_mutex);
            // Inflating can outrun reading by far (a few huge entries): wait for the workers.
            while (!m_threads.empty() && m_queued > MostQueuedBytes && !m_full &&
                   !Stopped(m_cancel))
                m_room.wait_for(lock, std::chrono::milliseconds(20));
            m_queued += size;
            m_jobs.push_back(std::move(job));
            wake = (m_idle > 0 && qsizetype(m_jobs.size()) - m_next >= WakeFor) ||
                   m_queued > MostQueuedBytes;
        }
        if (wake)
            m_work.notify_all();
        else if (m_threads.empty() && m_workers > 1 && qsizetype(m_jobs.size()) >= ParallelFrom)
            Hire(m_workers - 1); // this thread keeps a core for adding: inflating, as a rule
        return !m_full;
    }

    // Reads every document added and tells progress from this thread. False when cancelled; what
    // was read by then stays.
    bool Finish(const ReadingProgress& progress) {
        const qsizetype count = qsizetype(m_jobs.size());
        if (m_threads.empty()) {
            for (qsizetype i = 0; i < count && !m_full; ++i) {
                if (!m_jobs[size_t(i)].Read) ReadOne(OwnReader(), m_jobs[size_t(i)]);
                if (Stopped(m_cancel) || (progress && !progress(i + 1, count))) return false;
            }
            return true;
        }
        {
            const std::lock_guard lock(m_mutex);
            m_total = count;
        }
        m_work.notify_all();
        Hire(m_workers - int(m_threads.size()));
        // Progress at most every few milliseconds: the window repaints from it, and a call per
        // document would keep it busy for nothing.
        bool cancelled = false;
        for (qsizetype told = 0; told < count && !cancelled && !(m_full && m_busy == 0);) {
            {
                std::unique_lock lock(m_mutex);
                m_progress.wait_for(lock, std::chrono::milliseconds(20), [&] {
                    return m_done == count || (told == 0 && m_done > 0) || (m_full && m_busy == 0);
                });
            }
            // A raised flag stops the workers too: nothing more would come.
            cancelled = Stopped(m_cancel);
            const qsizetype now = m_done;
            if (cancelled || now == told) continue;
            told = now;
            cancelled = progress && !progress(told, count);
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
            if (job.Read) Take(job.Path, std::move(job.Row), job.Problem, outcome, m_cancel);
        }
    }

    // Waits for the workers, stopping them first; for a cancelled walk too.
    void Stop() {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_work.notify_all();
        for (std::thread& thread : m_threads)
            thread.join();
        m_threads.clear();
    }

private:
    void Hire(int workers) {
        for (int t = 0; t < workers; ++t)
            m_threads.emplace_back([this] { Work(); });
    }

    const DocumentReader& OwnReader() {
        if (!m_own) m_own.emplace(m_columns, m_coder, m_cancel, m_use);
        return *m_own;
    }

    void ReadOne(const DocumentReader& reader, Job& job) {
        try {
            std::optional<QByteArray> bytes;
            if (job.FromBytes)
                bytes = std::exchange(job.Bytes, {});
            else
                bytes = ReadDocumentBytes(job.Path, &job.Problem);
            if (bytes) {
                // A large document's text is many times its bytes while it is read: one at a time.
                std::unique_lock large(m_large, std::defer_lock);
                if (bytes->size() > LargeDocumentBytes) large.lock();
                job.Row = reader.ReadBytes(job.Path, *bytes, &job.Problem);
            }
        } catch (const std::bad_alloc&) {
            // The program never ends on an allocation: the document is named, reading stops.
            job.Row.reset();
            job.Problem =
                QStringLiteral("Файл '%1' пропущен: не хватило памяти; чтение остановлено")
                    .arg(job.Path);
            m_outOfMemory = true;
            m_full = true;
        }
        if (job.Row && (m_kept += KeptBytes(*job.Row)) > m_keptBudget) m_full = true;
        job.Read = true;
    }

    void Work() {
        const DocumentReader reader(m_columns, m_coder, m_cancel, m_use);
        for (;;) {
            Job* job = nullptr;
            {
                std::unique_lock lock(m_mutex);
                ++m_idle;
                m_work.wait(lock, [&] {
                    return m_stop || m_next < qsizetype(m_jobs.size()) || m_total >= 0;
                });
                --m_idle;
                if (m_stop || m_full || Stopped(m_cancel) || m_next >= qsizetype(m_jobs.size()))
                    return;
                job = &m_jobs[size_t(m_next++)]; // a deque's elements stay where they are
                m_queued -= job->Bytes.size();
                ++m_busy;
            }
            m_room.notify_one();
            ReadOne(reader, *job);
            --m_busy;
            if (m_full) {
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
    std::deque<Job> m_jobs;
    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_work;     // the workers wait here for documents
    std::condition_variable m_progress; // the reporter waits here for the workers
    std::condition_variable m_room;     // the adding thread waits here for the queue to shrink
    std::mutex m_large;                 // held while a large document is read
    qint64 m_queued = 0;                // bytes of entries added and not yet handed out
    std::atomic<int> m_busy{0};         // workers reading a document
    std::atomic<qint64> m_kept{0};
    std::atomic<bool> m_full{false};
    std::atomic<bool> m_outOfMemory{false};
    qsizetype m_next = 0; // the next document to hand out
    int m_idle = 0;       // workers waiting for documents
    bool m_stop = false;
    std::atomic<qsizetype> m_total{-1}; // the count once every document is added
    std::atomic<qsizetype> m_done{0};
};

// Said once when the long text of the rows filled its budget and reading stopped.
void SayFull(const ReadingPool& pool, const QString& source, ReadingOutcome* outcome) {
    if (!pool.Full() || pool.OutOfMemory()) return;
    outcome->Problems << QStringLiteral("Документы в '%1' содержат больше %2 МБ длинных "
                                        "значений; чтение остановлено, прочитанное оставлено")
                             .arg(source)
                             .arg(QString::number(double(pool.KeptBudget()) / (1 << 20)));
    AddSourceFinding(outcome->Findings, FindingKind::Unread, source, outcome->Problems.back());
}

bool ReadFolderWith(const QString& folder, const ColumnMap& columns, const TextCoder& coder,
                    ReadingOutcome* outcome, const ReadingProgress& progress, ReadingCancel cancel,
                    RowUse use) {
    const QString prefix = coder.RulePath(folder);
    ReadingPool pool(columns, coder, cancel, use);
    for (const QString& name : DocumentFileNames(folder))
        pool.Add(prefix + name);
    const bool finished = pool.Finish(progress);
    pool.TakeInto(outcome);
    SayFull(pool, folder, outcome);
    // Documents one level down are not read; they are counted, so that none goes unsaid.
    if (finished)
        for (const QString& sub : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks))
            outcome->Outside += ListDocumentFiles(prefix + sub).size();
    return finished;
}

// One walk over an archive for its documents at one level: the top (an empty root) or inside
// the one folder root.
struct ArchiveLevel {
    bool Walked = false;
    QStringList Problems;
    QStringList Refused;
    QStringList Deeper;                // *.xml entries below the level, left out
    bool TopLevelFile = false;         // a file lies at the top
    std::optional<QString> OnlyFolder; // the first part of every deeper entry, when one
    bool ManyFolders = false;
};

ArchiveLevel WalkArchiveLevel(const QString& archive, const QString& root, ReadingPool& pool,
                              QStringList& names, const UnzipLimits& limits,
                              const std::function<bool()>& keepGoing) {
    ArchiveLevel level;
    QSet<QString> seen;
    const qsizetype depth = root.isEmpty() ? 1 : 2;
    try {
        level.Walked = ReadArchiveEntries(
            archive,
            [&](const ArchiveEntry& entry) {
                const QStringList& parts = entry.Parts;
                if (parts.size() == 1) {
                    level.TopLevelFile = true;
                } else if (!level.OnlyFolder) {
                    level.OnlyFolder = parts.front();
                } else if (*level.OnlyFolder != parts.front()) {
                    level.ManyFolders = true;
                }
                if (!IsDocumentName(parts.back()) || (!root.isEmpty() && parts.front() != root))
                    return false;
                if (parts.size() > depth) level.Deeper << entry.Name;
                return parts.size() == depth;
            },
            [&](const ArchiveEntry& entry, const QByteArray& bytes) {
                const QString& name = entry.Parts.back();
                QString path = archive + u'/' + entry.Parts.join(u'/');
                // A later entry of a name already met is known by its place too, so that every
                // row keeps a key of its own.
                const qsizetype before = seen.size();
                seen.insert(name);
                if (seen.size() == before) path += u'#' + QString::number(entry.Position);
                names << name;
                return pool.Add(path, bytes) && keepGoing();
            },
            level.Problems, limits, keepGoing, &level.Refused);
    } catch (const std::bad_alloc&) {
        // Never an end on an allocation: what was read stays.
        level.Problems << QStringLiteral("Архив '%1': не хватило памяти; чтение остановлено, "
                                         "прочитанное оставлено")
                              .arg(archive);
        level.Walked = true;
    }
    return level;
}

bool ReadZipWith(const QString& archive, const ColumnMap& columns, const TextCoder& coder,
                 ReadingOutcome* outcome, const ReadingProgress& progress,
                 const UnzipLimits& limits, ReadingCancel cancel, RowUse use) {
    // The documents come from libarchive straight into memory and are read on every core while
    // the next ones inflate (by this thread until that pays); the rows then stand in name order,
    // as a folder's do.
    ReadingPool pool(columns, coder, cancel, use, true, limits.MaxKeptTextBytes);
    QStringList names;
    const qsizetype said = outcome->Problems.size();
    const auto keepGoing = [&] { return !Stopped(cancel) && (!progress || progress(0, 0)); };
    ArchiveLevel level = WalkArchiveLevel(archive, {}, pool, names, limits, keepGoing);
    // "Compress this folder" puts everything under one folder: that folder is the top level.
    if (level.Walked && names.isEmpty() && !level.TopLevelFile && level.OnlyFolder &&
        !level.ManyFolders && !level.Deeper.isEmpty()) {
        const QString root = *level.OnlyFolder;
        level = WalkArchiveLevel(archive, root, pool, names, limits, keepGoing);
        outcome->Problems << QStringLiteral("Архив '%1': в корне архива документов нет, прочитаны "
                                            "документы его единственной папки '%2'")
                                 .arg(archive, root);
    }
    outcome->Problems << level.Problems;
    for (const QString& name : std::as_const(level.Refused))
        outcome->Skipped << archive + u'/' + name;
    // Below the level read, as a folder's subfolders: counted, not left out.
    outcome->Outside += level.Deeper.size();
    AddArchiveFindings(outcome->Findings, archive, outcome->Problems.mid(said), level.Refused);

    // A cancel keeps the documents read by then, as for a folder.
    const bool finished = (level.Walked || pool.Full()) && pool.Finish(progress);
    pool.Stop();
    std::vector<size_t> order(size_t(names.size()));
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return NameBefore(names.at(qsizetype(a)), names.at(qsizetype(b)));
    });
    pool.TakeInto(outcome, order);
    SayFull(pool, archive, outcome);
    return finished;
}
} // namespace

bool ReadFolder(const QString& folder, const ColumnMap& columns, const TextCoder& coder,
                ReadingOutcome* outcome, const ReadingProgress& progress, ReadingCancel cancel,
                RowUse use) {
    return ReadFolderWith(folder, columns, coder, outcome, progress, cancel, use);
}

bool ReadZipArchive(const QString& archive, const ColumnMap& columns, const TextCoder& coder,
                    ReadingOutcome* outcome, const ReadingProgress& progress,
                    const UnzipLimits& limits, ReadingCancel cancel, RowUse use) {
    return ReadZipWith(archive, columns, coder, outcome, progress, limits, cancel, use);
}

namespace {
bool ReadSource(const QString& path, const ColumnMap& columns, const TextCoder& coder,
                const ReadingProgress& progress, ReadingCancel cancel, RowUse use,
                ReadingOutcome* outcome) {
    switch (DetectSourceKind(path, coder)) {
    case SourceKind::Xml: {
        QString problem;
        std::optional<DocumentRow> row =
            DocumentReader(columns, coder, cancel, use).ReadFile(path, &problem);
        Take(path, std::move(row), problem, outcome, cancel);
        return !Stopped(cancel) && (!progress || progress(1, 1));
    }
    case SourceKind::Zip:
        return ReadZipWith(path, columns, coder, outcome, progress, {}, cancel, use);
    case SourceKind::Folder:
        return ReadFolderWith(path, columns, coder, outcome, progress, cancel, use);
    case SourceKind::None:
        break;
    }
    return true;
}
} // namespace

ReadingOutcome RunReading(const QString& path, const ColumnMap& columns, const TextCoder& coder,
                          const ReadingProgress& progress, ReadingCancel cancel, RowUse use) {
    ReadingOutcome outcome;
    bool finished = true;
    try {
        finished = ReadSource(path, columns, coder, progress, cancel, use, &outcome);
    } catch (const std::bad_alloc&) {
        // Never an end on an allocation: say so, keep what was read.
        outcome.Problems << QStringLiteral("Не хватило памяти, чтобы прочитать '%1'; чтение "
                                           "остановлено, прочитанное оставлено")
                                .arg(path);
        AddSourceFinding(outcome.Findings, FindingKind::Unread, path, outcome.Problems.back());
    }
    outcome.Cancelled = !finished;

    if (outcome.Cancelled) {
        // The user stopped it: say so, with what was read, even when that is nothing.
        outcome.StatusText = ReadCancelledText(qint64(outcome.Rows.size()), path);
        outcome.StatusColor = outcome.Rows.empty() ? StatusColorFailure : StatusColorIncomplete;
        return outcome;
    }
    if (!outcome.Rows.empty() && !outcome.Skipped.isEmpty()) {
        // A file left out must not pass for a whole reading.
        outcome.StatusText =
            ReadPartialText(qint64(outcome.Rows.size()), outcome.Skipped.size(), path);
        outcome.StatusColor = StatusColorIncomplete;
    } else if (!outcome.Rows.empty()) {
        outcome.StatusText = ReadSuccessText(qint64(outcome.Rows.size()), path);
        outcome.StatusColor = StatusColorSuccess;
    } else {
        outcome.StatusText = NotFoundText(path);
        outcome.StatusColor = StatusColorFailure;
    }
    return outcome;
}

void ShareAllocationArenas() {
#ifdef __GLIBC__
    // The main thread's arena and one for all the others.
    mallopt(M_ARENA_MAX, 2);
#endif
}

void ReadTimeZoneOnce() {
#ifdef __GLIBC__
    const char* const systemZone = "/etc/localtime";
    if (!qEnvironmentVariableIsSet("TZ") && QFileInfo::exists(QString::fromLatin1(systemZone)))
        qputenv("TZ", QByteArray(":") + systemZone);
#endif
}
