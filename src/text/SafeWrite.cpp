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

} // namespace

bool IsReadOnly(const QFileInfo& info) {
#ifdef Q_OS_UNIX
    if (info.ownerId() == ::getuid()) return !(info.permissions() & QFileDevice::WriteOwner);
#endif
    return !info.isWritable();
}

AtomicFileWriter::AtomicFileWriter(const QString& path, ReadOnlyTarget readOnly)
    : m_path(path), m_readOnly(readOnly), m_file(path) {
    m_file.setDirectWriteFallback(false);
}

AtomicFileWriter::~AtomicFileWriter() {
    if (m_file.isOpen()) {
        m_file.cancelWriting();
        GiveBack();
    }
}

void AtomicFileWriter::GiveBack() {
    if (m_lentFrom) QFile::setPermissions(m_path, *m_lentFrom);
    m_lentFrom.reset();
}

bool AtomicFileWriter::Open(QString* error) {
    const QFileInfo target(m_path);
    if (m_path.isEmpty()) {
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
    m_hadOld = target.exists();
    if (m_hadOld && IsReadOnly(target)) {
        if (m_readOnly == ReadOnlyTarget::Refuse) {
            SetError(error, QStringLiteral("файл только для чтения"));
            return false;
        }
        // The "User" flags say what we may do, not what is set; setting them would set owner bits.
        const QFileDevice::Permissions old =
            target.permissions() &
            ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
        if (!QFile::setPermissions(m_path, old | QFileDevice::WriteOwner)) {
            SetError(error, QStringLiteral("файл только для чтения, и снять этот запрет не "
                                           "удалось"));
            return false;
        }
        m_lentFrom = old;
    }

    if (!m_file.open(QIODevice::WriteOnly)) {
        SetError(error, QStringLiteral("в папку '%1' нельзя записать файл (%2)")
                            .arg(QDir::toNativeSeparators(folder), m_file.errorString()));
        GiveBack();
        return false;
    }
    return true;
}

bool AtomicFileWriter::Write(const char* data, qint64 size) {
    // Qt reports a short write by its count only, so every chunk is checked.
    constexpr qint64 Chunk = 1 << 16;
    for (qint64 done = 0; !m_failed && done < size;) {
        const qint64 part = std::min(Chunk, size - done);
        m_failed = m_file.write(data + done, part) != part;
        done += part;
    }
    return !m_failed;
}

bool AtomicFileWriter::Commit(QString* error) {
    // commit() would rename even after a failed flush of its buffer: flush here and look.
    if (m_failed || !m_file.flush() || m_file.error() != QFileDevice::NoError) {
        SetError(error, WriteFailure(m_hadOld));
        m_file.cancelWriting();
        GiveBack();
        return false;
    }
    if (!m_file.commit()) {
        SetError(
            error,
            QStringLiteral("новый файл не смог заменить прежний (%1)").arg(m_file.errorString()));
        GiveBack();
        return false;
    }
    GiveBack();
    return true;
}

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, ReadOnlyTarget readOnly,
                         QString* error) {
    AtomicFileWriter writer(path, readOnly);
    if (!writer.Open(error)) return false;
    writer.Write(bytes);
    return writer.Commit(error);
}
