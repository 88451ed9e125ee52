#include "export/SafeWrite.h"

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

// Whether the file's own permissions forbid writing. The owner's write bit counts even for an
// administrator, who could write anyway: the bit is what the user set.
bool IsReadOnly(const QFileInfo& info) {
#ifdef Q_OS_UNIX
    if (info.ownerId() == ::getuid()) return !(info.permissions() & QFileDevice::WriteOwner);
#endif
    return !info.isWritable();
}

QString WriteFailure(const QSaveFile& file) {
    QString text = QStringLiteral("the write stopped part-way (the disk is full or the file is too "
                                  "large)");
    if (file.error() != QFileDevice::NoError && !file.errorString().isEmpty())
        text += QStringLiteral(": ") + file.errorString();
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

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, ReadOnlyTarget readOnly,
                         QString* error) {
    const QFileInfo target(path);
    if (path.isEmpty()) {
        SetError(error, QStringLiteral("no file name given"));
        return false;
    }
    if (target.isDir()) {
        SetError(error, QStringLiteral("it is a folder, not a file"));
        return false;
    }
    const QString folder = target.absolutePath();
    if (!QFileInfo(folder).isDir()) {
        SetError(
            error,
            QStringLiteral("the folder '%1' does not exist").arg(QDir::toNativeSeparators(folder)));
        return false;
    }

    // A read-only target: refused for settings; for a statement its write bit is lent for the
    // moment of the replacement and the old permissions are given to the new file.
    std::optional<QFileDevice::Permissions> lentFrom;
    if (target.exists() && IsReadOnly(target)) {
        if (readOnly == ReadOnlyTarget::Refuse) {
            SetError(error, QStringLiteral("the file is read-only"));
            return false;
        }
        // The "User" flags say what we may do, not what is set; setting them would set owner bits.
        const QFileDevice::Permissions old =
            target.permissions() &
            ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
        if (!QFile::setPermissions(path, old | QFileDevice::WriteOwner)) {
            SetError(error, QStringLiteral("the file is read-only and its write permission could "
                                           "not be set"));
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
        SetError(error, QStringLiteral("the folder '%1' cannot be written to (%2)")
                            .arg(QDir::toNativeSeparators(folder), file.errorString()));
        giveBack();
        return false;
    }
    if (!WriteAll(file, bytes)) {
        SetError(error, WriteFailure(file));
        file.cancelWriting();
        giveBack();
        return false;
    }
    if (!file.commit()) {
        SetError(error, QStringLiteral("the new file could not replace the old one (%1)")
                            .arg(file.errorString()));
        giveBack();
        return false;
    }
    giveBack();
    return true;
}
