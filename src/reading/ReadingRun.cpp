#include "reading/ReadingRun.h"

#include "reading/DocumentReader.h"
#include "text/TextCoder.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

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
    std::sort(names.begin(), names.end(), NameBefore);
    return names;
}

bool Stopped(ReadingCancel cancel) {
    return cancel && cancel->load(std::memory_order_relaxed);
}

// Whatever was said about a file, line by line; a file left out is named among the skipped.
void Note(const QString& path, bool listed, const QString& problem, ReadingOutcome* outcome) {
    if (!listed) outcome->Skipped << path;
    if (!problem.isEmpty())
        outcome->Problems << problem.split(u'\n');
    else if (!listed)
        outcome->Problems << QStringLiteral("Файл '%1' пропущен").arg(path);
}

// A file's row, or its name among those left out; nothing when a cancel cut the file short.
void Take(const QString& path, std::optional<DocumentRow> row, const QString& problem,
          ReadingOutcome* outcome, ReadingCancel cancel) {
    if (!row && Stopped(cancel)) return;
    Note(path, row.has_value(), problem, outcome);
    if (row) outcome->Rows.push_back(std::move(*row));
}

bool ReadFolderWith(const QString& folder, const DocumentReader& reader, const TextCoder& coder,
                    ReadingOutcome* outcome, const ReadingProgress& progress,
                    ReadingCancel cancel) {
    const QStringList names = DocumentFileNames(folder);
    const QString prefix = coder.RulePath(folder);
    outcome->Rows.reserve(outcome->Rows.size() + size_t(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString path = prefix + names.at(i);
        QString problem;
        std::optional<DocumentRow> row = reader.ReadFile(path, &problem);
        Take(path, std::move(row), problem, outcome, cancel);
        if (Stopped(cancel) || (progress && !progress(i + 1, names.size()))) return false;
    }
    return true;
}

bool ReadZipWith(const QString& archive, const DocumentReader& reader, ReadingOutcome* outcome,
                 const ReadingProgress& progress, const UnzipLimits& limits, ReadingCancel cancel) {
    // Rows are parsed as their entries arrive and put in the folder's order at the end.
    struct Found {
        qsizetype NameSize; // the entry's name ends the row's SourcePath
        qint64 Position;    // in the archive
        DocumentRow Row;
    };
    const qsizetype prefix = archive.size() + 1;
    auto name = [prefix](const Found& f) {
        return QStringView(f.Row.SourcePath).mid(prefix, f.NameSize);
    };
    std::vector<Found> found;
    QStringList skipped; // entries the walk left out
    qint64 done = 0;
    auto keepGoing = [&] { return !Stopped(cancel) && (!progress || progress(done, 0)); };
    auto topLevelDocument = [](const ArchiveEntry& entry) {
        return entry.Parts.size() == 1 && IsDocumentName(entry.Parts.front());
    };
    const bool finished = ReadArchiveEntries(
        archive, topLevelDocument,
        [&](const ArchiveEntry& entry, const QByteArray& bytes) {
            const QString& entryName = entry.Parts.front();
            const QString path = archive + u'/' + entryName;
            QString problem;
            std::optional<DocumentRow> row = reader.ReadBytes(path, bytes, &problem);
            if (row || !Stopped(cancel)) Note(path, row.has_value(), problem, outcome);
            if (row) found.push_back({entryName.size(), entry.Position, std::move(*row)});
            ++done;
            return keepGoing();
        },
        outcome->Problems, limits, keepGoing, &skipped);
    for (const QString& name : std::as_const(skipped))
        outcome->Skipped << archive + u'/' + name;
    std::stable_sort(found.begin(), found.end(),
                     [&](const Found& a, const Found& b) { return NameBefore(name(a), name(b)); });
    // Entries of one name now stand together, in archive order: the later ones get their
    // position, so that every row keeps a key of its own.
    for (size_t i = 1; i < found.size(); ++i)
        if (name(found[i]) == name(found[i - 1]))
            found[i].Row.SourcePath += u'#' + QString::number(found[i].Position);
    outcome->Rows.reserve(outcome->Rows.size() + found.size());
    for (Found& f : found)
        outcome->Rows.push_back(std::move(f.Row));
    return finished;
}
} // namespace

bool ReadFolder(const QString& folder, const ColumnMap& columns, const TextCoder& coder,
                ReadingOutcome* outcome, const ReadingProgress& progress, ReadingCancel cancel) {
    return ReadFolderWith(folder, DocumentReader(columns, coder, cancel), coder, outcome, progress,
                          cancel);
}

bool ReadZipArchive(const QString& archive, const ColumnMap& columns, const TextCoder& coder,
                    ReadingOutcome* outcome, const ReadingProgress& progress,
                    const UnzipLimits& limits, ReadingCancel cancel) {
    return ReadZipWith(archive, DocumentReader(columns, coder, cancel), outcome, progress, limits,
                       cancel);
}

ReadingOutcome RunReading(const QString& path, const ColumnMap& columns, const TextCoder& coder,
                          const ReadingProgress& progress, ReadingCancel cancel) {
    ReadingOutcome outcome;
    const DocumentReader reader(columns, coder, cancel);
    bool finished = true;
    switch (DetectSourceKind(path, coder)) {
    case SourceKind::Xml: {
        QString problem;
        std::optional<DocumentRow> row = reader.ReadFile(path, &problem);
        Take(path, std::move(row), problem, &outcome, cancel);
        finished = !Stopped(cancel) && (!progress || progress(1, 1));
        break;
    }
    case SourceKind::Zip:
        finished = ReadZipWith(path, reader, &outcome, progress, {}, cancel);
        break;
    case SourceKind::Folder:
        finished = ReadFolderWith(path, reader, coder, &outcome, progress, cancel);
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
