#include "reading/ReadingRun.h"

#include "reading/DocumentReader.h"
#include "text/TextCoder.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#ifdef __GLIBC__
#include <malloc.h>
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

QString ReadCancelledText(qint64 count, const QString& path) {
    return QStringLiteral("Чтение остановлено: ") +
           PluralForm(QStringLiteral("прочитан"), count, 0) + QLatin1Char(' ') +
           QString::number(count) + QLatin1Char(' ') +
           PluralForm(QStringLiteral("документ"), count, 2) + QStringLiteral(" из '") + path +
           QLatin1Char('\'');
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

QStringList DocumentFileNames(const QString& folder) {
    // QDir leaves out hidden files (names starting with a dot) unless asked; matching of the
    // pattern ignores case by default.
    QStringList names =
        QDir(folder).entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Unsorted);
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
    if (row)
        outcome->Rows.push_back(std::move(*row));
    else
        outcome->Skipped << path;
    if (!problem.isEmpty())
        outcome->Problems << problem.split(u'\n');
    else if (!row)
        outcome->Problems << QStringLiteral("Файл '%1' пропущен").arg(path);
}

// One document's row, read by the reader of the thread that runs it; none when it is left out.
// Whatever is to be said about it goes to problem.
using ReadOne = std::function<std::optional<DocumentRow>(
    qsizetype index, const DocumentReader& reader, QString* problem)>;

// Below this many documents the threads would cost more than they save; reading them one by one
// also keeps the progress exact, one call per document.
constexpr qsizetype ParallelFrom = 64;

// Reads documents 0..count-1 on every core, each worker with a reader of its own, and adds the
// rows, the files left out and the problems to the outcome in document order, as a reading one
// by one would. Progress is told from the calling thread; a cancel keeps what was read by then.
// Returns false when cancelled.
bool ReadDocuments(qsizetype count, const std::function<QString(qsizetype)>& pathOf,
                   const ColumnMap& columns, const TextCoder& coder, const ReadOne& readOne,
                   ReadingOutcome* outcome, const ReadingProgress& progress, ReadingCancel cancel,
                   RowUse use) {
    const int workers = std::max(1, QThread::idealThreadCount());
    outcome->Rows.reserve(outcome->Rows.size() + size_t(count));
    if (count < ParallelFrom || workers == 1) {
        const DocumentReader reader(columns, coder, cancel, use);
        for (qsizetype i = 0; i < count; ++i) {
            QString problem;
            std::optional<DocumentRow> row = readOne(i, reader, &problem);
            Take(pathOf(i), std::move(row), problem, outcome, cancel);
            if (Stopped(cancel) || (progress && !progress(i + 1, count))) return false;
        }
        return true;
    }

    struct Result {
        bool Read = false;
        std::optional<DocumentRow> Row;
        QString Problem;
    };
    std::vector<Result> results(static_cast<size_t>(count));
    std::atomic<qsizetype> next{0};
    std::atomic<qsizetype> done{0};
    std::atomic_bool stop{false};
    std::mutex mutex;
    std::condition_variable changed;
    auto work = [&] {
        const DocumentReader reader(columns, coder, cancel, use);
        for (qsizetype i = next++; i < count && !stop && !Stopped(cancel); i = next++) {
            Result& result = results[size_t(i)];
            result.Row = readOne(i, reader, &result.Problem);
            result.Read = true;
            // The reporter looks in every few milliseconds by itself; waking it for every
            // document would cost a system call each. It is woken for the first document, so
            // that a cancel asked for at the start is seen at once, and for the last.
            const qsizetype now = ++done;
            if (now == 1 || now == count) changed.notify_one();
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < workers; ++t)
        threads.emplace_back(work);
    // Progress at most every few milliseconds: the window repaints from it, and a call per
    // document would keep it busy for nothing.
    bool cancelled = false;
    for (qsizetype told = 0; told < count && !cancelled;) {
        {
            std::unique_lock lock(mutex);
            changed.wait_for(lock, std::chrono::milliseconds(20),
                             [&] { return done == count || (told == 0 && done > 0); });
        }
        // A raised flag stops the workers too: nothing more would come.
        cancelled = Stopped(cancel);
        const qsizetype now = done;
        if (cancelled || now == told) continue;
        told = now;
        cancelled = progress && !progress(told, count);
    }
    stop = true;
    for (std::thread& thread : threads)
        thread.join();

    for (qsizetype i = 0; i < count; ++i) {
        Result& result = results[size_t(i)];
        if (result.Read) Take(pathOf(i), std::move(result.Row), result.Problem, outcome, cancel);
    }
    return !cancelled;
}

bool ReadFolderWith(const QString& folder, const ColumnMap& columns, const TextCoder& coder,
                    ReadingOutcome* outcome, const ReadingProgress& progress, ReadingCancel cancel,
                    RowUse use) {
    const QStringList names = DocumentFileNames(folder);
    const QString prefix = coder.RulePath(folder);
    const auto pathOf = [&](qsizetype i) { return prefix + names.at(i); };
    return ReadDocuments(
        names.size(), pathOf, columns, coder,
        [&](qsizetype i, const DocumentReader& reader, QString* problem) {
            return reader.ReadFile(pathOf(i), problem);
        },
        outcome, progress, cancel, use);
}

bool ReadZipWith(const QString& archive, const ColumnMap& columns, const TextCoder& coder,
                 ReadingOutcome* outcome, const ReadingProgress& progress,
                 const UnzipLimits& limits, ReadingCancel cancel, RowUse use) {
    // The top-level documents come from libarchive straight into memory, then are read like a
    // folder's files: in name order, on every core, each entry's bytes let go once read.
    struct Entry {
        QString Name;
        qint64 Position;
        QByteArray Bytes;
    };
    std::vector<Entry> entries;
    QStringList refused;
    const auto keepGoing = [&] { return !Stopped(cancel) && (!progress || progress(0, 0)); };
    const bool walked = ReadArchiveEntries(
        archive,
        [](const ArchiveEntry& entry) {
            return entry.Parts.size() == 1 && IsDocumentName(entry.Parts.front());
        },
        [&](const ArchiveEntry& entry, const QByteArray& bytes) {
            entries.push_back({entry.Parts.front(), entry.Position, bytes});
            return keepGoing();
        },
        outcome->Problems, limits, keepGoing, &refused);
    for (const QString& name : std::as_const(refused))
        outcome->Skipped << archive + u'/' + name;
    if (!walked) return false;

    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return NameBefore(a.Name, b.Name); });
    // Entries of one name now stand together in archive order: the later ones are known by
    // their place too, so that every row keeps a key of its own.
    QStringList paths;
    paths.reserve(qsizetype(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
        paths << archive + u'/' + entries[i].Name;
        if (i > 0 && entries[i].Name == entries[i - 1].Name)
            paths.back() += u'#' + QString::number(entries[i].Position);
    }
    return ReadDocuments(
        paths.size(), [&](qsizetype i) { return paths.at(i); }, columns, coder,
        [&](qsizetype i, const DocumentReader& reader, QString* problem) {
            const QByteArray bytes = std::exchange(entries[size_t(i)].Bytes, {});
            return reader.ReadBytes(paths.at(i), bytes, problem);
        },
        outcome, progress, cancel, use);
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

ReadingOutcome RunReading(const QString& path, const ColumnMap& columns, const TextCoder& coder,
                          const ReadingProgress& progress, ReadingCancel cancel, RowUse use) {
    ReadingOutcome outcome;
    bool finished = true;
    switch (DetectSourceKind(path, coder)) {
    case SourceKind::Xml: {
        QString problem;
        std::optional<DocumentRow> row =
            DocumentReader(columns, coder, cancel, use).ReadFile(path, &problem);
        Take(path, std::move(row), problem, &outcome, cancel);
        finished = !Stopped(cancel) && (!progress || progress(1, 1));
        break;
    }
    case SourceKind::Zip:
        finished = ReadZipWith(path, columns, coder, &outcome, progress, {}, cancel, use);
        break;
    case SourceKind::Folder:
        finished = ReadFolderWith(path, columns, coder, &outcome, progress, cancel, use);
        break;
    case SourceKind::None:
        break;
    }
    outcome.Cancelled = !finished;
    if (outcome.Cancelled) {
        // The user stopped it: say so, with what was read, even when that is nothing.
        outcome.StatusText = ReadCancelledText(qint64(outcome.Rows.size()), path);
        outcome.StatusColor = outcome.Rows.empty() ? StatusColorFailure : StatusColorSuccess;
        return outcome;
    }
    if (!outcome.Rows.empty()) {
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
