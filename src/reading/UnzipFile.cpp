#include "reading/UnzipFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace {

class DiskWriter : public ArchiveVisitor {
public:
    DiskWriter(const QString& archive, const QString& destination, QStringList& problems,
               const std::function<bool()>& keepGoing)
        : m_archive(archive), m_destination(QDir::cleanPath(destination)), m_problems(problems),
          m_keepGoing(keepGoing) {}

    bool Wants(const ArchiveEntry& entry) override;
    bool Data(const char* bytes, qsizetype size) override;
    void Done(bool complete) override;
    bool KeepGoing() override { return !m_keepGoing || m_keepGoing(); }

    // Once the walk is over: how many files the failed write cost.
    void SayLost() const {
        if (m_lost > 0)
            m_problems << QStringLiteral("Распаковка архива '%1' остановлена после ошибки "
                                         "записи; не извлечено файлов: %2")
                              .arg(m_archive)
                              .arg(m_lost);
    }

private:
    bool MakeFolders(const QStringList& parts, qsizetype count);
    void WriteFailed();
    void Remove();

    QString m_archive;
    QString m_destination;
    QStringList& m_problems;
    const std::function<bool()>& m_keepGoing;
    QFile m_out;
    QSet<QString> m_folders; // made or checked already
    QSet<QString> m_written; // files of this archive
    bool m_failed = false;   // a write failed: the disk takes no more
    qint64 m_lost = 0;
};

bool DiskWriter::Wants(const ArchiveEntry& entry) {
    if (m_failed) {
        m_lost += entry.Folder ? 0 : 1;
        return false;
    }
    if (entry.Folder) {
        MakeFolders(entry.Parts, entry.Parts.size());
        return false;
    }
    if (!MakeFolders(entry.Parts, entry.Parts.size() - 1)) return false;
    const QString target = m_destination + QLatin1Char('/') + entry.Parts.join(QLatin1Char('/'));
    if (m_written.contains(target)) {
        m_problems << QStringLiteral("Архив '%1': элемент №%2 '%3' повторяет имя извлеченного "
                                     "раньше, не извлечен")
                          .arg(m_archive)
                          .arg(entry.Position)
                          .arg(entry.Name);
        return false;
    }
    m_out.setFileName(target);
    // NewOnly: an existing file (or a link) at the target is never overwritten.
    if (!m_out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (!QFileInfo(target).exists() && !QFileInfo(target).isSymLink())
            m_problems
                << QStringLiteral("Не удалось создать '%1' (%2)").arg(target, m_out.errorString());
        return false;
    }
    m_written.insert(target);
    return true;
}

bool DiskWriter::Data(const char* bytes, qsizetype size) {
    if (m_out.write(bytes, size) == size) return true;
    WriteFailed();
    return false;
}

void DiskWriter::Done(bool complete) {
    if (!m_out.isOpen()) return; // removed after a failed write
    // Small files sit in the buffer until the close: that is where a full disk shows.
    if (complete && m_out.flush()) {
        m_out.close();
        if (m_out.error() == QFileDevice::NoError) return;
    }
    if (complete)
        WriteFailed();
    else
        Remove(); // damaged or cancelled: no half file is left
}

void DiskWriter::Remove() {
    // QFile::remove() gives up when the close before it fails, as it does on a full disk.
    m_out.close();
    QFile::remove(m_out.fileName());
}

void DiskWriter::WriteFailed() {
    // Qt's own words for a failed write are mostly "Unknown error": the likely causes are named.
    m_problems << QStringLiteral("Не удалось записать '%1' (диск заполнен или файл слишком велик)")
                      .arg(m_out.fileName());
    Remove();
    m_failed = true;
    ++m_lost;
}

bool DiskWriter::MakeFolders(const QStringList& parts, qsizetype count) {
    QString path = m_destination;
    for (qsizetype i = 0; i < count; ++i) {
        path += QLatin1Char('/') + parts.at(i);
        if (m_folders.contains(path)) continue;
        const QFileInfo info(path);
        // A link in place of a folder could lead outside the destination: never follow one.
        if (info.isSymLink() || (info.exists() && !info.isDir()) ||
            (!info.exists() && !QDir().mkdir(path))) {
            m_problems << QStringLiteral("Не удалось создать папку '%1'").arg(path);
            return false;
        }
        m_folders.insert(path);
    }
    return true;
}
} // namespace

QString AddBackslash(const QString& path) {
    if (path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'))) return path;
    return path + QDir::separator();
}

void UnzipFile(const QString& archive, const QString& destination, QStringList* problems,
               const UnzipLimits& limits, const std::function<bool()>& keepGoing) {
    QStringList ignored;
    QStringList& said = problems ? *problems : ignored;
    const QString target = destination.isEmpty() ? archive.left(archive.size() - 4) : destination;
    if (!QDir().mkpath(target)) {
        said << QStringLiteral("Не удалось создать папку '%1'").arg(target);
        return;
    }
    DiskWriter writer(archive, target, said, keepGoing);
    if (WalkArchive(archive, writer, said, limits)) writer.SayLost();
}
