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

// The file a link leads to, through any chain of links: the statement belongs there, and the
// link stays. A loop or a chain too long to be meant is left as it is, to fail as itself.
QString FinalTarget(const QString& path) {
    QString target = path;
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(target);
        if (!info.isSymLink()) return target;
        target = info.symLinkTarget();
    }
    return path;
}

} // namespace

bool IsReadOnly(const QFileInfo& info) {
#ifdef Q_OS_UNIX
    if (info.ownerId() == ::getuid()) return !(info.permissions() & QFileDevice::WriteOwner);
#endif
    return !info.isWritable();
}

AtomicFileWriter::AtomicFileWriter(const QString& path, ReadOnlyTarget readOnly)
    : m_path(FinalTarget(path)), m_readOnly(readOnly) {}

AtomicFileWriter::~AtomicFileWriter() {
    // A temporary file removes itself; a stream is only closed.
    if (m_mode == Mode::Save && m_file && m_file->isOpen())
        static_cast<QSaveFile*>(m_file.get())->cancelWriting();
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

    switch (KindOf(m_path)) {
    case TargetKind::Regular:
        break;
    case TargetKind::Stream: {
        m_mode = Mode::Stream;
        m_file = std::make_unique<QFile>(m_path);
        if (!m_file->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            SetError(error,
                     QStringLiteral("в него нельзя записать (%1)").arg(m_file->errorString()));
            return false;
        }
        return true;
    }
    case TargetKind::Other:
        SetError(error, QStringLiteral("это не обычный файл (устройство или сокет), записать в "
                                       "него нельзя"));
        return false;
    }

    // A read-only target: refused for settings; a statement is replaced, keeping its permissions.
    m_hadOld = target.exists();
    if (m_hadOld && IsReadOnly(target)) {
        if (m_readOnly == ReadOnlyTarget::Refuse) {
            SetError(error, QStringLiteral("файл только для чтения"));
            return false;
        }
        // QSaveFile refuses it, and lending it the write bit for the moment would race with
        // another writer, which then takes the lent bit for the file's own. A new file is renamed
        // over it instead: a rename asks the folder's permission, not the file's.
        m_mode = Mode::ReadOnly;
        // The "User" flags say what we may do, not what is set; setting them would set owner bits.
        m_permissions = target.permissions() &
                        ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
        m_file = std::make_unique<QTemporaryFile>(folder + QStringLiteral("/.") +
                                                  target.fileName() + QStringLiteral(".XXXXXX"));
    } else {
        auto file = std::make_unique<QSaveFile>(m_path);
        file->setDirectWriteFallback(false);
        m_file = std::move(file);
    }
    if (!m_file->open(QIODevice::WriteOnly)) {
        SetError(error, QStringLiteral("в папку '%1' нельзя записать файл (%2)")
                            .arg(QDir::toNativeSeparators(folder), m_file->errorString()));
        m_file.reset();
        return false;
    }
    return true;
}

bool AtomicFileWriter::Write(const char* data, qint64 size) {
    if (!m_file) return false;
    // Qt reports a short write by its count only, so every chunk is checked.
    constexpr qint64 Chunk = 1 << 16;
    for (qint64 done = 0; !m_failed && done < size;) {
        const qint64 part = std::min(Chunk, size - done);
        m_failed = m_file->write(data + done, part) != part;
        done += part;
    }
    return !m_failed;
}

bool AtomicFileWriter::Commit(QString* error) {
    if (!m_file) return false;
    // Qt's commit would rename even after a failed flush of its buffer: flush here and look.
    const bool written = !m_failed && m_file->flush() && m_file->error() == QFileDevice::NoError;
    switch (m_mode) {
    case Mode::Stream:
        m_file->close();
        if (!written || m_file->error() != QFileDevice::NoError) {
            SetError(error,
                     QStringLiteral("запись в него прервалась (%1)").arg(m_file->errorString()));
            return false;
        }
        return true;
    case Mode::ReadOnly:
        if (!written) {
            SetError(error, WriteFailure(m_hadOld));
            return false;
        }
        return CommitReadOnly(error);
    case Mode::Save:
        break;
    }
    auto* file = static_cast<QSaveFile*>(m_file.get());
    if (!written) {
        SetError(error, WriteFailure(m_hadOld));
        file->cancelWriting();
        return false;
    }
    if (!file->commit()) {
        SetError(
            error,
            QStringLiteral("новый файл не смог заменить прежний (%1)").arg(file->errorString()));
        return false;
    }
    return true;
}

bool AtomicFileWriter::CommitReadOnly(QString* error) {
    auto* file = static_cast<QTemporaryFile*>(m_file.get());
#ifdef Q_OS_UNIX
    if (::fsync(file->handle()) != 0) {
        SetError(error, WriteFailure(m_hadOld));
        return false;
    }
#endif
    file->close();
    std::error_code failed;
    if (!file->setPermissions(m_permissions)) failed = std::make_error_code(std::errc::io_error);
    if (!failed)
        std::filesystem::rename(
            std::filesystem::path(QFile::encodeName(file->fileName()).toStdString()),
            std::filesystem::path(QFile::encodeName(m_path).toStdString()), failed);
    if (failed) {
        SetError(error, QStringLiteral("новый файл не смог заменить прежний (%1)")
                            .arg(QString::fromStdString(failed.message())));
        return false;
    }
    file->setAutoRemove(false); // it is the file now
    return true;
}

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, ReadOnlyTarget readOnly,
                         QString* error) {
    AtomicFileWriter writer(path, readOnly);
    if (!writer.Open(error)) return false;
    writer.Write(bytes);
    return writer.Commit(error);
}
