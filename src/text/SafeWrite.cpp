#include "text/SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <algorithm>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

void SetError(QString* error, const QString& text) {
    if (error) *error = text;
}

// Qt's own words for a short write are mostly "Unknown error": the likely causes are named.
QString WriteFailure(bool hadOld) {
    QString text = QStringLiteral("запись прервалась на середине (диск заполнен или файл слишком "
                                  "велик)");
    if (hadOld) text += QStringLiteral("; прежний файл не тронут");
    return text;
}

bool WriteAll(QFileDevice& file, const QByteArray& bytes) {
    // Qt reports a short write by its count only, so every chunk is checked.
    constexpr qint64 Chunk = 1 << 16;
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 size = std::min(Chunk, qint64(bytes.size()) - done);
        if (file.write(bytes.constData() + done, size) != size) return false;
        done += size;
    }
    // commit() would rename even after a failed flush of its buffer: flush here and look.
    return file.flush() && file.error() == QFileDevice::NoError;
}

enum class TargetKind { Regular, Stream, Other };

// What the path names, links followed: a new or regular file is replaced; a character device or
// a pipe is a stream the user asked to write into (/dev/null, a FIFO); anything else is refused.
TargetKind KindOf(const QString& path) {
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || S_ISREG(st.st_mode))
        return TargetKind::Regular;
    if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)) return TargetKind::Stream;
    return TargetKind::Other;
#else
    Q_UNUSED(path);
    return TargetKind::Regular;
#endif
}

bool WriteIntoStream(const QString& path, const QByteArray& bytes, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        SetError(error, QStringLiteral("в него нельзя записать (%1)").arg(file.errorString()));
        return false;
    }
    const bool written = WriteAll(file, bytes);
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        SetError(error, QStringLiteral("запись в него прервалась (%1)").arg(file.errorString()));
        return false;
    }
    return true;
}

// A read-only statement. QSaveFile refuses it, and lending it the write bit for the moment would
// race with another writer, which then takes the lent bit for the file's own. A new file with the
// old permissions is renamed over it instead: a rename asks the folder's permission, not the
// file's.
bool ReplaceReadOnly(const QString& path, const QByteArray& bytes,
                     QFileDevice::Permissions permissions, QString* error) {
    const QFileInfo target(path);
    QTemporaryFile file(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                        QStringLiteral(".XXXXXX"));
    if (!file.open()) {
        SetError(error,
                 QStringLiteral("в папку '%1' нельзя записать файл (%2)")
                     .arg(QDir::toNativeSeparators(target.absolutePath()), file.errorString()));
        return false;
    }
    bool ok = WriteAll(file, bytes);
#ifdef Q_OS_UNIX
    ok = ok && ::fsync(file.handle()) == 0;
#endif
    if (!ok) {
        SetError(error, WriteFailure(true));
        return false;
    }
    file.close();
    std::error_code failed;
    if (!file.setPermissions(permissions)) failed = std::make_error_code(std::errc::io_error);
    if (!failed)
        std::filesystem::rename(
            std::filesystem::path(QFile::encodeName(file.fileName()).toStdString()),
            std::filesystem::path(QFile::encodeName(path).toStdString()), failed);
    if (failed) {
        SetError(error, QStringLiteral("новый файл не смог заменить прежний (%1)")
                            .arg(QString::fromStdString(failed.message())));
        return false;
    }
    file.setAutoRemove(false); // it is the statement now
    return true;
}

} // namespace

bool IsReadOnly(const QFileInfo& info) {
#ifdef Q_OS_UNIX
    if (info.ownerId() == ::getuid()) return !(info.permissions() & QFileDevice::WriteOwner);
#endif
    return !info.isWritable();
}

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, ReadOnlyTarget readOnly,
                         QString* error) {
    const QFileInfo target(path);
    if (path.isEmpty()) {
        SetError(error, QStringLiteral("не указано имя файла"));
        return false;
    }
    if (target.isDir()) {
        SetError(error, QStringLiteral("это папка, а не файл"));
        return false;
    }
    const QString folder = target.absolutePath();
    if (!QFileInfo(folder).isDir()) {
        SetError(error,
                 QStringLiteral("папка '%1' не существует").arg(QDir::toNativeSeparators(folder)));
        return false;
    }

    switch (KindOf(path)) {
    case TargetKind::Regular:
        break;
    case TargetKind::Stream:
        return WriteIntoStream(path, bytes, error);
    case TargetKind::Other:
        SetError(error, QStringLiteral("это не обычный файл (устройство или сокет), записать в "
                                       "него нельзя"));
        return false;
    }

    // A read-only target: refused for settings; a statement replaces it keeping its permissions.
    const bool hadOld = target.exists();
    if (hadOld && IsReadOnly(target)) {
        if (readOnly == ReadOnlyTarget::Refuse) {
            SetError(error, QStringLiteral("файл только для чтения"));
            return false;
        }
        // The "User" flags say what we may do, not what is set; setting them would set owner bits.
        return ReplaceReadOnly(
            path, bytes,
            target.permissions() &
                ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser),
            error);
    }

    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        SetError(error, QStringLiteral("в папку '%1' нельзя записать файл (%2)")
                            .arg(QDir::toNativeSeparators(folder), file.errorString()));
        return false;
    }
    if (!WriteAll(file, bytes)) {
        SetError(error, WriteFailure(hadOld));
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        SetError(
            error,
            QStringLiteral("новый файл не смог заменить прежний (%1)").arg(file.errorString()));
        return false;
    }
    return true;
}
