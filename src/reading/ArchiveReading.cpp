#include "reading/FolderListing.h"
#include "reading/ReadingPool.h"
#include "reading/ReadingRun.h"

#include <QSet>

#include <numeric>

namespace {
// One walk over an archive for its documents at one level: the top (an empty root) or inside
// the one folder root.
struct ArchiveLevel {
    bool Walked = false;
    QStringList Problems;
    FindingList Findings;
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
            level.Problems, limits, keepGoing, &level.Refused, &level.Findings);
    } catch (const std::bad_alloc&) {
        // Never an end on an allocation: what was read stays.
        const QString why = QStringLiteral("не хватило памяти; чтение остановлено, прочитанное "
                                           "оставлено");
        level.Problems << QStringLiteral("Архив '%1': %2").arg(archive, why);
        level.Findings.push_back(FileFinding(FindingKind::Archive, archive, why));
        level.Walked = true;
    }
    return level;
}

} // namespace

bool ReadZipArchive(const QString& archive, const ColumnMap& columns, const TextCoder& coder,
                    ReadingOutcome* outcome, const ReadingProgress& progress,
                    const UnzipLimits& limits, ReadingCancel cancel, RowUse use,
                    const ReadingRowsReady& ready) {
    // The documents come from libarchive straight into memory and are read on every core while
    // the next ones inflate (by this thread until that pays); the rows then stand in name order,
    // as a folder's do.
    ReadingPool pool(columns, coder, cancel, use, true, limits.MaxKeptTextBytes);
    pool.HandRowsTo(ready);
    QStringList names;
    const auto keepGoing = [&] {
        pool.HandOver();
        return !Stopped(cancel) && (!progress || progress(0, 0));
    };
    ArchiveLevel level = WalkArchiveLevel(archive, {}, pool, names, limits, keepGoing);
    // "Compress this folder" puts everything under one folder: that folder is the top level.
    if (level.Walked && names.isEmpty() && !level.TopLevelFile && level.OnlyFolder &&
        !level.ManyFolders && !level.Deeper.isEmpty()) {
        const QString root = *level.OnlyFolder;
        level = WalkArchiveLevel(archive, root, pool, names, limits, keepGoing);
        const QString why = QStringLiteral("в корне архива документов нет, прочитаны документы "
                                           "его единственной папки '%1'")
                                .arg(root);
        outcome->Problems << QStringLiteral("Архив '%1': %2").arg(archive, why);
        outcome->Findings.push_back(FileFinding(FindingKind::Archive, archive, why));
    }
    outcome->Problems << level.Problems;
    outcome->Findings.insert(outcome->Findings.end(), level.Findings.begin(),
                             level.Findings.end());
    for (const QString& name : std::as_const(level.Refused))
        outcome->Skipped << archive + u'/' + name;
    // Below the level read, as a folder's subfolders: counted, not left out.
    outcome->Outside += level.Deeper.size();

    // A cancel keeps the documents read by then, as for a folder.
    const bool finished = (level.Walked || pool.Full()) && pool.Finish(progress);
    pool.Stop();
    pool.HandOver(true);
    std::vector<size_t> order(size_t(names.size()));
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return NameBefore(names.at(qsizetype(a)), names.at(qsizetype(b)));
    });
    pool.TakeInto(outcome, order);
    SayFull(pool, archive, outcome);
    return finished;
}
