#include "export/SourceGuard.h"

#include "reading/DocumentTable.h"
#include "text/FileNames.h"

#include <QDir>
#include <QFileInfo>

#include <optional>
#include <utility>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {
#ifdef Q_OS_UNIX
using FileId = std::pair<dev_t, ino_t>;
// The file the path leads to, links followed; none when there is none.
std::optional<FileId> IdOf(const QString& path) {
    struct stat st {};
    if (path.isEmpty() || ::stat(FileNameBytes(path).constData(), &st) != 0) return std::nullopt;
    return FileId{st.st_dev, st.st_ino};
}
#endif
} // namespace

QString ReplacedSourceText(const QString& target, const QString& source,
                           const DocumentTable& documents) {
    const auto refused = [](const QString& path) {
        return QStringLiteral("Выписка не может заменить исходный файл '%1'")
            .arg(QDir::toNativeSeparators(path));
    };
#ifdef Q_OS_UNIX
    // A new file replaces nothing; only an existing one needs looking at.
    const std::optional<FileId> written = IdOf(target);
    if (!written) return {};
    if (IdOf(source) == written) return refused(source);
    // An archive's entries have no file of their own: their paths lead nowhere.
    for (const DocumentRow& row : documents.Rows)
        if (IdOf(row.SourcePath) == written) return refused(row.SourcePath);
    // A file left out is often the one that needs the user's attention: its original counts most.
    for (const QString& path : documents.LeftOut)
        if (IdOf(path) == written) return refused(path);
    return {};
#else
    const auto same = [](const QString& a, const QString& b) {
        return !a.isEmpty() && !b.isEmpty() &&
               QFileInfo(a).canonicalFilePath().compare(QFileInfo(b).canonicalFilePath(),
                                                        Qt::CaseInsensitive) == 0;
    };
    if (!QFileInfo::exists(target)) return {};
    if (same(target, source)) return refused(source);
    for (const DocumentRow& row : documents.Rows)
        if (same(target, row.SourcePath)) return refused(row.SourcePath);
    for (const QString& path : documents.LeftOut)
        if (same(target, path)) return refused(path);
    return {};
#endif
}
