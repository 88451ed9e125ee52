#include "reading/TempFolders.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <unistd.h>

#include <cstring>
#else
#include <QDirIterator>
#endif

QString TempFolderRoot() {
    const QString fromEnvironment = qEnvironmentVariable("TMPDIR");
    if (!fromEnvironment.isEmpty() && QFileInfo(fromEnvironment).isDir())
        return QDir::cleanPath(fromEnvironment);
#ifdef Q_OS_UNIX
    return QStringLiteral("/tmp");
#else
    return QDir::tempPath();
#endif
}

QString TempFolderTemplate() {
    return TempFolderRoot() + u'/' + TempFolderPrefix + QStringLiteral("XXXXXX");
}

namespace {
// "vypiska-" and six letters or digits, as mkdtemp makes them.
bool IsTempFolderName(QStringView name) {
    constexpr qsizetype Random = 6;
    if (name.size() != TempFolderPrefix.size() + Random || !name.startsWith(TempFolderPrefix))
        return false;
    return std::all_of(name.end() - Random, name.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
    });
}

// The names in root that may be such folders. Every start looks, and the folder may hold
// thousands of others' entries: each is judged by its name alone, unsorted.
QStringList TempFolderCandidates(const QString& root) {
    QStringList names;
#ifdef Q_OS_UNIX
    const QByteArray prefix = TempFolderPrefix.toLatin1();
    if (DIR* dir = ::opendir(QFile::encodeName(root).constData())) {
        while (const dirent* entry = ::readdir(dir))
            if (std::strncmp(entry->d_name, prefix.constData(), size_t(prefix.size())) == 0)
                names << QFile::decodeName(entry->d_name);
        ::closedir(dir);
    }
#else
    QDirIterator entries(root, {TempFolderPrefix + u'*'}, QDir::Dirs | QDir::Hidden);
    while (entries.hasNext()) {
        entries.next();
        names << entries.fileName();
    }
#endif
    return names;
}
} // namespace

int RemoveStaleTempFolders(const QString& root, qint64 minAgeSeconds) {
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-minAgeSeconds);
    int removed = 0;
    for (const QString& name : TempFolderCandidates(root)) {
        if (!IsTempFolderName(name)) continue;
        const QFileInfo folder(root + u'/' + name);
        if (!folder.isDir() || folder.isSymLink()) continue;
#ifdef Q_OS_UNIX
        if (folder.ownerId() != ::getuid()) continue;
#endif
        if (folder.lastModified().toUTC() > before) continue;
        removed += QDir(folder.filePath()).removeRecursively() ? 1 : 0;
    }
    return removed;
}
