#include "reading/UnzipFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <archive.h>
#include <archive_entry.h>

#include <memory>
#include <optional>

#if defined(__unix__) || defined(__APPLE__)
#include <clocale>
#include <locale.h>
#define VYPISKA_THREAD_LOCALE 1
#endif

namespace {
#ifdef VYPISKA_THREAD_LOCALE
// libarchive converts entry names into the character set of the C locale. Switching this thread
// alone to UTF-8 for the extraction makes every name arrive as UTF-8, whatever the user's locale,
// without touching other threads.
class Utf8NamesScope {
public:
    Utf8NamesScope() : m_utf8(newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr))) {
        if (m_utf8) m_previous = uselocale(m_utf8);
    }
    ~Utf8NamesScope() {
        if (m_utf8) {
            uselocale(m_previous);
            freelocale(m_utf8);
        }
    }
    Utf8NamesScope(const Utf8NamesScope&) = delete;
    Utf8NamesScope& operator=(const Utf8NamesScope&) = delete;

private:
    locale_t m_utf8;
    locale_t m_previous = locale_t(nullptr);
};
#else
struct Utf8NamesScope {};
#endif

struct ArchiveFree {
    void operator()(archive* a) const { archive_read_free(a); }
};

QString ErrorText(archive* a) {
    const char* text = archive_error_string(a);
    return text ? QString::fromUtf8(text) : QStringLiteral("неизвестная ошибка");
}

// The entry's path as parts inside the destination, or none when it would leave it.
std::optional<QStringList> SafeParts(const QString& name) {
    if (name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1Char('\\')))
        return std::nullopt;
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':') && name.at(0).isLetter())
        return std::nullopt;
    QStringList parts;
    QString slashed = name;
    slashed.replace(QLatin1Char('\\'), QLatin1Char('/'));
    for (const QString& part : slashed.split(QLatin1Char('/'))) {
        if (part.isEmpty() || part == QLatin1String(".")) continue;
        if (part == QLatin1String("..")) return std::nullopt;
        parts << part;
    }
    return parts;
}

class Extraction {
public:
    Extraction(const QString& archivePath, const QString& destination, QStringList& problems,
               const UnzipLimits& limits, const std::function<bool()>& keepGoing)
        : m_archivePath(archivePath), m_destination(QDir::cleanPath(destination)),
          m_problems(problems), m_limits(limits), m_keepGoing(keepGoing),
          m_archiveSize(QFileInfo(archivePath).size()) {}

    void Run();

private:
    enum class Step { Next, Stop };

    Step ExtractEntry(archive* a, archive_entry* entry);
    Step WriteFile(archive* a, const QString& entryName, const QString& target);
    bool MakeFolders(const QStringList& parts, qsizetype count);
    bool Cancelled() const { return m_keepGoing && !m_keepGoing(); }
    void Damaged(const QString& why) {
        m_problems << QStringLiteral("Архив '%1' поврежден: %2").arg(m_archivePath, why);
    }

    QString m_archivePath;
    QString m_destination;
    QStringList& m_problems;
    UnzipLimits m_limits;
    const std::function<bool()>& m_keepGoing;
    qint64 m_archiveSize;
    qint64 m_written = 0;
    QSet<QString> m_folders; // made or checked already
};

void Extraction::Run() {
    {
        QFile probe(m_archivePath);
        if (!probe.open(QIODevice::ReadOnly)) {
            m_problems << QStringLiteral("Не удалось открыть архив '%1': %2")
                              .arg(m_archivePath, probe.errorString());
            return;
        }
    }
    const Utf8NamesScope utf8Names;
    std::unique_ptr<archive, ArchiveFree> a(archive_read_new());
    archive_read_support_format_zip(a.get());
    // Names without the archive's UTF-8 flag were written by archivers on Russian Windows: CP866.
    archive_read_set_format_option(a.get(), "zip", "hdrcharset", "CP866");
    if (archive_read_open_filename(a.get(), QFile::encodeName(m_archivePath).constData(),
                                   64 * 1024) != ARCHIVE_OK) {
        Damaged(ErrorText(a.get()));
        return;
    }
    if (!QDir().mkpath(m_destination)) {
        m_problems << QStringLiteral("Не удалось создать папку '%1'").arg(m_destination);
        return;
    }
    for (;;) {
        archive_entry* entry = nullptr;
        const int r = archive_read_next_header(a.get(), &entry);
        if (r == ARCHIVE_EOF) break;
        if (r < ARCHIVE_WARN) {
            Damaged(ErrorText(a.get()));
            break;
        }
        if (Cancelled() || ExtractEntry(a.get(), entry) == Step::Stop) break;
    }
}

Extraction::Step Extraction::ExtractEntry(archive* a, archive_entry* entry) {
    const char* utf8 = archive_entry_pathname_utf8(entry);
    if (!utf8) utf8 = archive_entry_pathname(entry);
    const QString name = QString::fromUtf8(utf8 ? utf8 : "");
    const mode_t type = archive_entry_filetype(entry);
    if (type == AE_IFLNK || archive_entry_symlink(entry) || archive_entry_hardlink(entry)) {
        m_problems << QStringLiteral("Элемент архива '%1' — ссылка, не извлечен").arg(name);
        return Step::Next;
    }
    if (type != AE_IFREG && type != AE_IFDIR) return Step::Next;
    const std::optional<QStringList> parts = SafeParts(name);
    if (!parts) {
        m_problems
            << QStringLiteral("Элемент архива '%1' ведет за пределы папки, не извлечен").arg(name);
        return Step::Next;
    }
    if (parts->isEmpty()) return Step::Next;
    // A folder or file whose name has fewer than two characters is left out with its contents.
    for (const QString& part : *parts) {
        if (part.size() < 2) return Step::Next;
    }
    if (type == AE_IFDIR) {
        MakeFolders(*parts, parts->size());
        return Step::Next;
    }
    if (!MakeFolders(*parts, parts->size() - 1)) return Step::Next;
    return WriteFile(a, name, m_destination + QLatin1Char('/') + parts->join(QLatin1Char('/')));
}

bool Extraction::MakeFolders(const QStringList& parts, qsizetype count) {
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

Extraction::Step Extraction::WriteFile(archive* a, const QString& entryName,
                                       const QString& target) {
    QFile out(target);
    // NewOnly: an existing file (or a link) at the target is never overwritten.
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (!QFileInfo(target).exists() && !QFileInfo(target).isSymLink())
            m_problems
                << QStringLiteral("Не удалось создать '%1': %2").arg(target, out.errorString());
        return Step::Next;
    }
    char buffer[64 * 1024];
    for (;;) {
        const la_ssize_t n = archive_read_data(a, buffer, sizeof buffer);
        if (n == 0) return Step::Next;
        if (n < 0) {
            Damaged(QStringLiteral("элемент '%1': %2").arg(entryName, ErrorText(a)));
            out.remove();
            return n == ARCHIVE_FATAL ? Step::Stop : Step::Next;
        }
        m_written += n;
        if (Cancelled()) {
            out.remove();
            return Step::Stop;
        }
        if (m_written > m_limits.MaxTotalBytes) {
            m_problems << QStringLiteral("Архив '%1' распаковывается больше чем в %2 байт; "
                                         "распаковка остановлена")
                              .arg(m_archivePath)
                              .arg(m_limits.MaxTotalBytes);
            out.remove();
            return Step::Stop;
        }
        if (m_written >= m_limits.RatioCheckBytes &&
            double(m_written) > m_limits.MaxRatio * double(qMax<qint64>(m_archiveSize, 1))) {
            m_problems << QStringLiteral("Архив '%1' распаковывается в объем, более чем в %2 раз "
                                         "больший его размера; распаковка остановлена")
                              .arg(m_archivePath)
                              .arg(m_limits.MaxRatio);
            out.remove();
            return Step::Stop;
        }
        if (out.write(buffer, n) != n) {
            m_problems << QStringLiteral("Не удалось записать '%1': %2; распаковка остановлена")
                              .arg(target, out.errorString());
            out.remove();
            return Step::Stop;
        }
    }
}
} // namespace

QString AddBackslash(const QString& path) {
    if (path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'))) return path;
    return path + QDir::separator();
}

void UnzipFile(const QString& archive, const QString& destination, QStringList* problems,
               const UnzipLimits& limits, const std::function<bool()>& keepGoing) {
    QStringList ignored;
    const QString target = destination.isEmpty() ? archive.left(archive.size() - 4) : destination;
    Extraction(archive, target, problems ? *problems : ignored, limits, keepGoing).Run();
}
