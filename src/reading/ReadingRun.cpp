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

bool ReadFolder(const QString& folder, const ColumnMap& columns, const TextCoder& coder,
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

namespace {
bool ReadSource(const QString& path, const ColumnMap& columns, const TextCoder& coder,
                const ReadingProgress& progress, ReadingCancel cancel, RowUse use,
                ReadingOutcome* outcome) {
    switch (DetectSourceKind(path, coder)) {
    case SourceKind::Xml: {
        QString problem;
        FindingList findings;
        std::optional<DocumentRow> row =
            DocumentReader(columns, coder, cancel, use).ReadFile(path, &problem, &findings);
        Take(path, std::move(row), problem, std::move(findings), outcome, cancel);
        return !Stopped(cancel) && (!progress || progress(1, 1));
    }
    case SourceKind::Zip:
        return ReadZipArchive(path, columns, coder, outcome, progress, {}, cancel, use);
    case SourceKind::Folder:
        return ReadFolder(path, columns, coder, outcome, progress, cancel, use);
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
        outcome.Findings.push_back(FileFinding(
            FindingKind::Unread, path,
            QStringLiteral("Не хватило памяти, чтобы прочитать; чтение остановлено, прочитанное "
                           "оставлено")));
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
