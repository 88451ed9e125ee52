#include "text/SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <optional>

#ifdef Q_OS_UNIX
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

bool WriteAll(QSaveFile& file, const QByteArray& bytes) {
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

    // A read-only target: refused for settings; for a statement its write bit is lent for the
    // moment of the replacement and the old permissions are given to the new file.
    const bool hadOld = target.exists();
    std::optional<QFileDevice::Permissions> lentFrom;
    if (hadOld && IsReadOnly(target)) {
        if (readOnly == ReadOnlyTarget::Refuse) {
            SetError(error, QStringLiteral("файл только для чтения"));
            return false;
        }
        // The "User" flags say what we may do, not what is set; setting them would set owner bits.
        const QFileDevice::Permissions old =
            target.permissions() &
            ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
        if (!QFile::setPermissions(path, old | QFileDevice::WriteOwner)) {
            SetError(error, QStringLiteral("файл только для чтения, и снять этот запрет не "
                                           "удалось"));
            return false;
        }
        lentFrom = old;
    }
    auto giveBack = [&] {
        if (lentFrom) QFile::setPermissions(path, *lentFrom);
    };

    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        SetError(error, QStringLiteral("в папку '%1' нельзя записать файл (%2)")
                            .arg(QDir::toNativeSeparators(folder), file.errorString()));
        giveBack();
        return false;
    }
    if (!WriteAll(file, bytes)) {
        SetError(error, WriteFailure(hadOld));
        file.cancelWriting();
        giveBack();
        return false;
    }
    if (!file.commit()) {
        SetError(
            error,
            QStringLiteral("новый файл не смог заменить прежний (%1)").arg(file.errorString()));
        giveBack();
        return false;
    }
    giveBack();
    return true;
}
