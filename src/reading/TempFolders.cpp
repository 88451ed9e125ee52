#include "reading/TempFolders.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#ifdef Q_OS_UNIX
#include <unistd.h>
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

int RemoveStaleTempFolders(const QString& root, qint64 minAgeSeconds) {
    static const QRegularExpression Ours(
        QRegularExpression::anchoredPattern(TempFolderPrefix + QStringLiteral("[A-Za-z0-9]{6}")));
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-minAgeSeconds);
    int removed = 0;
    const QFileInfoList folders =
        QDir(root).entryInfoList({TempFolderPrefix + u'*'}, QDir::Dirs | QDir::Hidden);
    for (const QFileInfo& folder : folders) {
        if (!Ours.match(folder.fileName()).hasMatch() || folder.isSymLink()) continue;
#ifdef Q_OS_UNIX
        if (folder.ownerId() != ::getuid()) continue;
#endif
        if (folder.lastModified().toUTC() > before) continue;
        removed += QDir(folder.filePath()).removeRecursively() ? 1 : 0;
    }
    return removed;
}
