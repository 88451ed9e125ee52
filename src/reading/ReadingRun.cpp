#include "reading/ReadingRun.h"

#include "reading/DocumentReader.h"
#include "reading/FolderListing.h"
#include "reading/ReadingPool.h"
#include "text/TextCoder.h"

#include <QDir>
#include <QFileInfo>

#include <new>

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

bool ReadDocumentFile(const QString& path, const ColumnMap& columns, const TextCoder& coder,
                      ReadingOutcome* outcome, const ReadingProgress& progress,
                      ReadingCancel cancel, RowUse use) {
    QString problem;
    FindingList findings;
    std::optional<DocumentRow> row =
        DocumentReader(columns, coder, cancel, use).ReadFile(path, &problem, &findings);
    Take(path, std::move(row), problem, std::move(findings), outcome, cancel);
    return !Stopped(cancel) && (!progress || progress(1, 1));
}

bool ReadFolder(const QString& folder, const ColumnMap& columns, const TextCoder& coder,
                ReadingOutcome* outcome, const ReadingProgress& progress, ReadingCancel cancel,
                RowUse use, const ReadingRowsReady& ready) {
    const QString prefix = coder.RulePath(folder);
    ReadingPool pool(columns, coder, cancel, use);
    pool.HandRowsTo(ready);
    for (const QString& name : DocumentFileNames(folder))
        pool.Add(prefix + name);
    const bool finished = pool.Finish(progress);
    pool.HandOver(true);
    pool.TakeInto(outcome);
    SayFull(pool, folder, outcome);
    // Documents one level down are not read; they are counted, so that none goes unsaid.
    if (finished)
        for (const QString& sub : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks))
            outcome->Outside += ListDocumentFiles(prefix + sub).size();
    return finished;
}

namespace {
bool ReadSource(const QString& path, const ColumnMap& columns, const TextCoder& coder,
                const ReadingProgress& progress, ReadingCancel cancel, RowUse use,
                const ReadingRowsReady& ready, ReadingOutcome* outcome) {
    switch (DetectSourceKind(path, coder)) {
    case SourceKind::Xml:
        return ReadDocumentFile(path, columns, coder, outcome, progress, cancel, use);
    case SourceKind::Zip:
        return ReadZipArchive(path, columns, coder, outcome, progress, {}, cancel, use, ready);
    case SourceKind::Folder:
        return ReadFolder(path, columns, coder, outcome, progress, cancel, use, ready);
    case SourceKind::None:
        break;
    }
    return true;
}
} // namespace

ReadingOutcome RunReading(const QString& path, const ColumnMap& columns, const TextCoder& coder,
                          const ReadingProgress& progress, ReadingCancel cancel, RowUse use,
                          const ReadingRowsReady& ready) {
    ReadingOutcome outcome;
    bool finished = true;
    try {
        finished = ReadSource(path, columns, coder, progress, cancel, use, ready, &outcome);
    } catch (const std::bad_alloc&) {
        // Never an end on an allocation: say so, keep what was read.
        outcome.Problems << QStringLiteral("Не хватило памяти, чтобы прочитать '%1'; чтение "
                                           "остановлено, прочитанное оставлено")
                                .arg(path);
        outcome.Findings.push_back(FileFinding(
            FindingKind::Unread, path,
            QStringLiteral("Не хватило памяти, чтобы прочитать; чтение остановлено, прочитанное "
                           "оставлено")));
    }
    outcome.Cancelled = !finished;
    outcome.Source = path;
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
