#include "reading/FolderListing.h"
#include "reading/ReadingPool.h"
#include "reading/ReadingRun.h"

#include <QSet>

#include <algorithm>
#include <iterator>
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
                              const std::function<bool()>& keepGoing, bool packed) {
    ArchiveLevel level;
    QSet<QString> seen;
    const qsizetype depth = root.isEmpty() ? 1 : 2;
    // A later entry of a name already met is known by its place too, so that every row keeps a
    // key of its own.
    const auto pathOf = [&](const ArchiveEntry& entry) {
        const QString& name = entry.Parts.back();
        // Made at its size: a hundred thousand paths are kept, one per row.
        QString path;
        qsizetype length = archive.size();
        for (const QString& part : entry.Parts)
            length += 1 + part.size();
        path.reserve(length);
        path += archive;
        for (const QString& part : entry.Parts) {
            path += u'/';
            path += part;
        }
        const qsizetype before = seen.size();
        seen.insert(name);
        if (seen.size() == before) path += u'#' + QString::number(entry.Position);
        names << name;
        return path;
    };
    const ArchivePackedTake takePacked = [&](const ArchiveEntry& entry, PackedEntry stored) {
        return pool.Add(pathOf(entry), std::move(stored)) && keepGoing();
    };
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
                return pool.Add(pathOf(entry), bytes) && keepGoing();
            },
            level.Problems, limits, keepGoing, &level.Refused, &level.Findings,
            packed ? takePacked : ArchivePackedTake());
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

// One reading of the archive. With packed, the walk hands on plain entries as stored and the
// readers unpack them; an entry that does not unpack stops the reading (damaged is set).
bool ReadZipOnce(const QString& archive, const ColumnMap& columns, const TextCoder& coder,
                 ReadingOutcome* outcome, const ReadingProgress& progress,
                 const UnzipLimits& limits, ReadingCancel cancel, RowUse use,
                 const ReadingRowsReady& ready, bool packed, size_t* handed, bool* damaged) {
    // The documents come straight into memory and are read on every core while the walk goes
    // on (by this thread until that pays); the rows then stand in name order, as a folder's do.
    ReadingPool pool(columns, coder, cancel, use, true, limits.MaxKeptTextBytes);
    pool.HandRowsTo(ready);
    pool.HandedAlready(*handed);
    QStringList names;
    const auto keepGoing = [&] {
        pool.HandOver();
        return !Stopped(cancel) && (!progress || progress(0, 0));
    };
    ArchiveLevel level = WalkArchiveLevel(archive, {}, pool, names, limits, keepGoing, packed);
    // "Compress this folder" puts everything under one folder: that folder is the top level.
    if (level.Walked && names.isEmpty() && !level.TopLevelFile && level.OnlyFolder &&
        !level.ManyFolders && !level.Deeper.isEmpty()) {
        const QString root = *level.OnlyFolder;
        level = WalkArchiveLevel(archive, root, pool, names, limits, keepGoing, packed);
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
    *handed = pool.RowsHanded();
    if ((*damaged = pool.Damaged())) return finished;
    std::vector<size_t> order(size_t(names.size()));
    std::iota(order.begin(), order.end(), size_t(0));
    const auto before = [&](size_t a, size_t b) {
        return NameBefore(names.at(qsizetype(a)), names.at(qsizetype(b)));
    };
    // Archivers mostly store a folder in name order already: one look instead of a sort.
    if (!std::is_sorted(order.begin(), order.end(), before))
        std::stable_sort(order.begin(), order.end(), before);
    pool.TakeInto(outcome, order);
    SayFull(pool, archive, outcome);
    return finished;
}

// Adds what a reading found to what others did.
void AddOutcome(ReadingOutcome from, ReadingOutcome* to) {
    if (to->Rows.empty())
        to->Rows = std::move(from.Rows);
    else
        std::move(from.Rows.begin(), from.Rows.end(), std::back_inserter(to->Rows));
    to->Problems << from.Problems;
    to->Skipped << from.Skipped;
    std::move(from.Findings.begin(), from.Findings.end(), std::back_inserter(to->Findings));
    to->Outside += from.Outside;
}
} // namespace

bool ReadZipArchive(const QString& archive, const ColumnMap& columns, const TextCoder& coder,
                    ReadingOutcome* outcome, const ReadingProgress& progress,
                    const UnzipLimits& limits, ReadingCancel cancel, RowUse use,
                    const ReadingRowsReady& ready) {
    // Readers unpack the entries on every core. An entry that does not unpack as its archive
    // says is rare (a damaged archive): the archive is then read again, libarchive unpacking, so
    // that every problem is said in its words and in its place; the rows handed on stay.
    size_t handed = 0;
    bool damaged = false;
    ReadingOutcome first;
    const bool finished = ReadZipOnce(archive, columns, coder, &first, progress, limits, cancel,
                                      use, ready, true, &handed, &damaged);
    if (damaged && !Stopped(cancel))
        return ReadZipOnce(archive, columns, coder, outcome, progress, limits, cancel, use, ready,
                           false, &handed, &damaged);
    AddOutcome(std::move(first), outcome);
    return finished;
}
