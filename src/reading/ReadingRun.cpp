#include "reading/ReadingRun.h"

#include "reading/DocumentReader.h"
#include "text/TextCoder.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

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
QStringList DocumentFileNames(const QString& folder) {
    // QDir leaves out hidden files (names starting with a dot) unless asked; matching of the
    // pattern ignores case by default.
    QStringList names =
        QDir(folder).entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Unsorted);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b; // names differing only in case: a stable order
    });
    return names;
}

// A file's row, or its name among those left out; whatever was said about it, line by line.
void Take(const QString& path, std::optional<DocumentRow> row, const QString& problem,
          ReadingOutcome* outcome) {
    if (row)
        outcome->Rows.push_back(std::move(*row));
    else
        outcome->Skipped << path;
    if (!problem.isEmpty())
        outcome->Problems << problem.split(u'\n');
    else if (!row)
        outcome->Problems << QStringLiteral("Файл '%1' пропущен").arg(path);
}

bool ReadFolderWith(const QString& folder, const DocumentReader& reader, const TextCoder& coder,
                    ReadingOutcome* outcome, const ReadingProgress& progress) {
    const QStringList names = DocumentFileNames(folder);
    const QString prefix = coder.RulePath(folder);
    outcome->Rows.reserve(outcome->Rows.size() + size_t(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString path = prefix + names.at(i);
        QString problem;
        std::optional<DocumentRow> row = reader.ReadFile(path, &problem);
        Take(path, std::move(row), problem, outcome);
        if (progress && !progress(i + 1, names.size())) return false;
    }
    return true;
}

bool ReadZipWith(const QString& archive, const DocumentReader& reader, const TextCoder& coder,
                 ReadingOutcome* outcome, const ReadingProgress& progress,
                 const UnzipLimits& limits) {
    QTemporaryDir temp(QDir::tempPath() + QStringLiteral("/vypiska-XXXXXX"));
    if (!temp.isValid()) {
        outcome->Problems << QStringLiteral("Не удалось создать временную папку для '%1': %2")
                                 .arg(archive, temp.errorString());
        return true;
    }
    // The destructor of temp removes the folder with everything extracted, also after a cancel.
    // While unpacking, the number of documents is not known yet: progress gets a total of 0.
    bool cancelled = false;
    UnzipFile(archive, temp.path(), &outcome->Problems, limits, [&] {
        cancelled = cancelled || (progress && !progress(0, 0));
        return !cancelled;
    });
    return !cancelled && ReadFolderWith(temp.path(), reader, coder, outcome, progress);
}
} // namespace

bool ReadFolder(const QString& folder, const ColumnMap& columns, const TextCoder& coder,
                ReadingOutcome* outcome, const ReadingProgress& progress) {
    return ReadFolderWith(folder, DocumentReader(columns, coder), coder, outcome, progress);
}

bool ReadZipArchive(const QString& archive, const ColumnMap& columns, const TextCoder& coder,
                    ReadingOutcome* outcome, const ReadingProgress& progress,
                    const UnzipLimits& limits) {
    return ReadZipWith(archive, DocumentReader(columns, coder), coder, outcome, progress, limits);
}

ReadingOutcome RunReading(const QString& path, const ColumnMap& columns, const TextCoder& coder,
                          const ReadingProgress& progress) {
    ReadingOutcome outcome;
    const DocumentReader reader(columns, coder);
    bool finished = true;
    switch (DetectSourceKind(path, coder)) {
    case SourceKind::Xml: {
        QString problem;
        std::optional<DocumentRow> row = reader.ReadFile(path, &problem);
        Take(path, std::move(row), problem, &outcome);
        finished = !progress || progress(1, 1);
        break;
    }
    case SourceKind::Zip:
        finished = ReadZipWith(path, reader, coder, &outcome, progress, {});
        break;
    case SourceKind::Folder:
        finished = ReadFolderWith(path, reader, coder, &outcome, progress);
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
