#include "reading/ArchiveWalk.h"

#include "reading/DocumentFile.h"
#include "reading/ZipDirectory.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <memory>
#include <vector>

#if defined(__unix__) || defined(__APPLE__)
#include <clocale>
#include <locale.h>
#define VYPISKA_THREAD_LOCALE 1
#endif

namespace {
#ifdef VYPISKA_THREAD_LOCALE
// libarchive converts entry names into the character set of the C locale. Switching this thread
// alone to UTF-8 for the walk makes every name arrive as UTF-8, whatever the user's locale,
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

// libarchive's own words, as the detail that follows a Russian sentence. Some of them end in a
// line break: one problem stays one line.
QString Detail(archive* a) {
    const char* text = archive_error_string(a);
    const QString words = QString::fromUtf8(text ? text : "").simplified();
    return words.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(words);
}

bool IsAscii(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// The entry's path as parts inside the archive's root, or none when it would leave it.
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

class Walk {
public:
    Walk(const ArchiveSource& source, ArchiveVisitor& visitor, QStringList& problems,
         const UnzipLimits& limits, FindingList* findings)
        : m_source(source), m_visitor(visitor), m_problems(problems), m_limits(limits),
          m_findings(findings ? findings : &m_ownFindings) {}

    bool Run();

private:
    enum class Step { Next, Stop, Cancel };
    enum class Pass { Done, Stopped, Cancelled, NotOpened, FirstHeaderFailed };

    // One reading of the archive; streaming reads the entries by their local headers alone.
    Pass Read(bool streaming, QString* firstFailure);
    bool Open(archive* a, bool streaming);
    Step Entry(archive* a, archive_entry* entry);
    Step ReadData(archive* a, const ArchiveEntry& entry);
    bool WithinBounds(qint64 read) const {
        return read <= m_limits.MaxTotalBytes &&
               !(read >= m_limits.RatioCheckBytes &&
                 double(read) > m_limits.MaxRatio * double(qMax<qint64>(m_archiveSize, 1)));
    }
    std::optional<QString> EntryName(archive_entry* entry);
    QString StoredName(const QString& name);
    const ZipDirectory& Directory();
    void LearnNames();
    // Each problem is a sentence naming the archive and a finding of it, or, for an entry left
    // out, of that entry.
    void Tell(const QString& line, const QString& why) {
        m_problems << line;
        m_findings->push_back(FileFinding(FindingKind::Archive, m_source.Path, why));
    }
    void NotAZip(const QString& detail) {
        const QString why = QStringLiteral("поврежден или это не архив ZIP%1").arg(detail);
        Tell(QStringLiteral("Архив '%1' ").arg(m_source.Path) + why, why);
    }
    void Say(const QString& text) {
        Tell(QStringLiteral("Архив '%1': %2").arg(m_source.Path, text), text);
    }
    void Refuse(const QString& name, const QString& text) {
        m_problems << QStringLiteral("Архив '%1': %2").arg(m_source.Path, text);
        m_findings->push_back({FindingKind::Skipped, name, {}, {}, text, {}});
        m_visitor.Refused(name);
    }

    const ArchiveSource& m_source;
    ArchiveVisitor& m_visitor;
    QStringList& m_problems;
    UnzipLimits m_limits;
    FindingList m_ownFindings;
    FindingList* m_findings;
    qint64 m_archiveSize = 0;
    qint64 m_read = 0;                        // bytes of wanted entries, for the bounds
    qint64 m_entries = 0;                     // headers seen
    QString m_lastName;                       // of the last entry whose header was whole
    std::optional<ZipDirectory> m_directory;  // read once, when a name or m_packed needs it
    bool m_namesLearnt = false;
    std::optional<PackedEntries> m_packed;    // for a visitor that takes entries as stored
    std::vector<QByteArray> m_falseUtf8Names; // flagged UTF-8 and not, in entry order
    size_t m_nameless = 0;                    // of them, used so far
    // Names Info-ZIP wrote in UTF-8 without the flag, by what libarchive makes of them (CP866).
    QHash<QString, QString> m_unflaggedUtf8;
};

bool Walk::Open(archive* a, bool streaming) {
    if (streaming)
        archive_read_support_format_zip_streamable(a);
    else
        archive_read_support_format_zip(a);
    // Names without the archive's UTF-8 flag were written by archivers on Russian Windows: CP866.
    archive_read_set_format_option(a, "zip", "hdrcharset", "CP866");
    int opened;
    if (m_source.Bytes) {
        m_archiveSize = m_source.Bytes->size();
        opened = archive_read_open_memory(a, m_source.Bytes->constData(),
                                          size_t(m_source.Bytes->size()));
    } else {
        // A pipe or a device named .zip would be waited on, or read for ever.
        if (QFileInfo::exists(m_source.Path) && !QFileInfo(m_source.Path).isFile()) {
            Tell(NotRegularFileText(m_source.Path), NotRegularFileWhy());
            return false;
        }
        QFile probe(m_source.Path);
        if (!probe.open(QIODevice::ReadOnly)) {
            Tell(QStringLiteral("Не удалось открыть архив '%1' (%2)")
                     .arg(m_source.Path, probe.errorString()),
                 QStringLiteral("Не удалось открыть архив (%1)").arg(probe.errorString()));
            return false;
        }
        m_archiveSize = probe.size();
        opened =
            archive_read_open_filename(a, QFile::encodeName(m_source.Path).constData(), 64 * 1024);
    }
    if (opened != ARCHIVE_OK) {
        NotAZip(Detail(a));
        return false;
    }
    return true;
}

bool Walk::Run() {
    const Utf8NamesScope utf8Names;
    QString failure;
    const Pass pass = Read(false, &failure);
    if (pass == Pass::Cancelled) return false;
    if (pass == Pass::NotOpened || pass == Pass::Stopped) return true;
    const qint64 claimed =
        m_directory ? m_directory->Claimed : ReadZipDirectory(m_source, false).Claimed;
    const bool directoryFailed = pass == Pass::FirstHeaderFailed && claimed >= 0;
    if (directoryFailed || (pass == Pass::Done && m_entries == 0 && claimed > 0)) {
        // libarchive trusts the central directory whole: one bad record there would lose every
        // entry, though each still has its own local header.
        QStringList said;
        FindingList found;
        std::swap(said, m_problems);
        std::swap(found, *m_findings);
        const Pass again = Read(true, &failure);
        std::swap(said, m_problems);
        std::swap(found, *m_findings);
        if (again == Pass::NotOpened || again == Pass::FirstHeaderFailed) {
            NotAZip(failure);
            return true;
        }
        Say(QStringLiteral("оглавление архива повреждено (в нем указано элементов: %1), элементы "
                           "прочитаны по их собственным заголовкам")
                .arg(claimed));
        m_problems << said;
        m_findings->insert(m_findings->end(), found.begin(), found.end());
        return again != Pass::Cancelled;
    }
    if (pass == Pass::FirstHeaderFailed) {
        NotAZip(failure);
    } else if (claimed > m_entries) {
        Say(QStringLiteral("архив поврежден: в его оглавлении указано элементов: %1, прочитано: %2")
                .arg(claimed)
                .arg(m_entries));
    }
    return true;
}

Walk::Pass Walk::Read(bool streaming, QString* firstFailure) {
    m_entries = 0;
    m_read = 0;
    m_lastName.clear();
    m_nameless = 0;
    std::unique_ptr<archive, ArchiveFree> a(archive_read_new());
    if (!Open(a.get(), streaming)) return Pass::NotOpened;
    // Read by their local headers alone, entries have no record to be checked against.
    m_packed.reset();
    if (!streaming && m_visitor.TakesPacked()) m_packed.emplace(m_source, Directory().Records);
    for (;;) {
        if (!m_visitor.KeepGoing()) return Pass::Cancelled;
        archive_entry* entry = nullptr;
        const int r = archive_read_next_header(a.get(), &entry);
        if (r == ARCHIVE_EOF) return Pass::Done;
        if (r < ARCHIVE_WARN) {
            if (m_entries == 0) {
                *firstFailure = Detail(a.get());
                return Pass::FirstHeaderFailed;
            }
            Say(QStringLiteral("архив поврежден после элемента '%1', остальные элементы не "
                               "прочитаны%2")
                    .arg(m_lastName, Detail(a.get())));
            return Pass::Stopped;
        }
        if (++m_entries > m_limits.MaxEntries) {
            Say(QStringLiteral("в архиве больше %1 элементов, прочитаны только первые %1")
                    .arg(m_limits.MaxEntries));
            return Pass::Stopped;
        }
        const Step step = Entry(a.get(), entry);
        if (step == Step::Cancel) return Pass::Cancelled;
        if (step == Step::Stop) return Pass::Stopped;
    }
}

const ZipDirectory& Walk::Directory() {
    if (!m_directory) m_directory = ReadZipDirectory(m_source, true);
    return *m_directory;
}

void Walk::LearnNames() {
    if (std::exchange(m_namesLearnt, true)) return;
    for (const ZipDirectoryRecord& record : Directory().Records) {
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString decoded = utf8(record.Name);
        if (record.Utf8Flag && utf8.hasError())
            m_falseUtf8Names.push_back(record.Name);
        else if (!record.Utf8Flag && !utf8.hasError() && !IsAscii(decoded))
            m_unflaggedUtf8.insert(DecodeCp866(record.Name), decoded);
    }
}

QString Walk::StoredName(const QString& name) {
    // Info-ZIP's zip writes UTF-8 names without the flag, and libarchive reads them as CP866. A
    // name that is valid UTF-8 and not plain ASCII is hardly ever meant as CP866.
    if (IsAscii(name)) return name;
    LearnNames();
    return m_unflaggedUtf8.value(name, name);
}

std::optional<QString> Walk::EntryName(archive_entry* entry) {
    // A name in plain ASCII is the same in every character set: no conversion to UTF-8 needed.
    if (const char* name = archive_entry_pathname(entry)) {
        const QLatin1StringView plain(name);
        if (std::all_of(plain.begin(), plain.end(), [](char c) { return uchar(c) < 0x80; }))
            return QString(plain);
    }
    if (const char* utf8 = archive_entry_pathname_utf8(entry))
        return StoredName(QString::fromUtf8(utf8));
    if (const char* name = archive_entry_pathname(entry))
        return StoredName(QString::fromUtf8(name));
    // A name flagged UTF-8 that is not: libarchive gives none. The k-th such entry is the k-th
    // record of the central directory with the flag and a name that is not UTF-8; its bytes are
    // decoded here, each bad sequence as U+FFFD.
    LearnNames();
    if (m_nameless >= m_falseUtf8Names.size()) return std::nullopt;
    return QString::fromUtf8(m_falseUtf8Names.at(m_nameless++));
}

Walk::Step Walk::Entry(archive* a, archive_entry* header) {
    const qint64 dataAt = archive_filter_bytes(a, -1); // libarchive stands where the data starts
    const std::optional<QString> name = EntryName(header);
    if (!name) {
        Refuse(QStringLiteral("№%1").arg(m_entries),
               QStringLiteral("имя элемента №%1 не удалось прочитать, элемент пропущен%2")
                   .arg(m_entries)
                   .arg(Detail(a)));
        return Step::Next;
    }
    m_lastName = *name;
    const mode_t type = archive_entry_filetype(header);
    if (type == AE_IFLNK || archive_entry_symlink(header) || archive_entry_hardlink(header)) {
        Refuse(*name, QStringLiteral("элемент '%1' — ссылка, пропущен").arg(*name));
        return Step::Next;
    }
    if (type != AE_IFREG && type != AE_IFDIR) {
        Refuse(*name, QStringLiteral("элемент '%1' — не файл и не папка, пропущен").arg(*name));
        return Step::Next;
    }
    std::optional<QStringList> parts = SafeParts(*name);
    if (!parts) {
        Refuse(*name, QStringLiteral("элемент '%1' ведет за пределы папки, пропущен").arg(*name));
        return Step::Next;
    }
    if (parts->isEmpty()) return Step::Next;
    // A folder or file whose name has fewer than two characters is left out with its contents.
    for (const QString& part : std::as_const(*parts))
        if (part.size() < 2) return Step::Next;

    ArchiveEntry entry;
    entry.Name = *name;
    entry.Parts = std::move(*parts);
    entry.Position = m_entries;
    entry.Size = archive_entry_size_is_set(header) ? archive_entry_size(header) : -1;
    entry.Folder = type == AE_IFDIR;
    if (!m_visitor.Wants(entry) || entry.Folder) return Step::Next;
    // A plain entry goes on as stored when the bounds hold for all of it; near them, and for
    // anything else, libarchive unpacks it here and the bounds are kept block by block.
    if (m_packed && entry.Size >= 0 && WithinBounds(m_read + entry.Size)) {
        if (std::optional<PackedEntry> packed = m_packed->At(dataAt, entry.Size)) {
            m_read += entry.Size;
            if (!m_visitor.KeepGoing()) {
                m_visitor.Done(false);
                return Step::Cancel;
            }
            m_visitor.Packed(std::move(*packed));
            return Step::Next;
        }
    }
    return ReadData(a, entry);
}

Walk::Step Walk::ReadData(archive* a, const ArchiveEntry& entry) {
    char buffer[64 * 1024];
    for (;;) {
        const la_ssize_t n = archive_read_data(a, buffer, sizeof buffer);
        if (n == 0) {
            m_visitor.Done(true);
            return Step::Next;
        }
        if (n < 0) {
            // The next header tells whether the rest of the archive can still be read.
            Refuse(entry.Name,
                   QStringLiteral("элемент '%1' поврежден и пропущен%2").arg(entry.Name, Detail(a)));
            m_visitor.Done(false);
            return Step::Next;
        }
        m_read += n;
        if (!WithinBounds(m_read)) {
            Say(m_read > m_limits.MaxTotalBytes
                    ? QStringLiteral("архив распаковывается больше чем в %1 байт; чтение "
                                     "остановлено")
                          .arg(m_limits.MaxTotalBytes)
                    : QStringLiteral("архив распаковывается в объем, более чем в %1 раз больший "
                                     "его размера; чтение остановлено")
                          .arg(m_limits.MaxRatio));
            m_visitor.Done(false);
            return Step::Stop;
        }
        if (!m_visitor.KeepGoing()) {
            m_visitor.Done(false);
            return Step::Cancel;
        }
        if (!m_visitor.Data(buffer, n)) {
            m_visitor.Done(false);
            return Step::Next; // the next header skips the rest of the entry
        }
    }
}

// Reads each wanted file whole into memory.
class MemoryReader : public ArchiveVisitor {
public:
    MemoryReader(const ArchiveSource& source, const ArchiveEntryFilter& wanted,
                 const ArchiveEntryTake& take, QStringList& problems,
                 const std::function<bool()>& keepGoing, QStringList* refused,
                 FindingList* findings, const ArchivePackedTake& takePacked)
        : m_source(source), m_wanted(wanted), m_take(take), m_takePacked(takePacked),
          m_problems(problems), m_keepGoing(keepGoing), m_refused(refused), m_findings(findings) {}

    bool Wants(const ArchiveEntry& entry) override {
        if (entry.Folder || (m_wanted && !m_wanted(entry))) return false;
        m_entry = entry;
        m_bytes.clear();
        if (entry.Size > LargestDocumentBytes) {
            TooLarge();
            return false;
        }
        // The stated size only sizes the buffer; the bound is kept by what arrives.
        m_bytes.reserve(qsizetype(qMax<qint64>(entry.Size, 0)));
        return true;
    }
    bool Data(const char* bytes, qsizetype size) override {
        if (m_bytes.size() + size > LargestDocumentBytes) {
            TooLarge();
            return false;
        }
        m_bytes.append(bytes, size);
        return true;
    }
    void Done(bool complete) override {
        if (complete && m_take && !m_take(m_entry, m_bytes)) m_cancelled = true;
        m_bytes = QByteArray();
    }
    bool TakesPacked() const override { return bool(m_takePacked); }
    void Packed(PackedEntry entry) override {
        if (!m_takePacked(m_entry, std::move(entry))) m_cancelled = true;
    }
    bool KeepGoing() override { return !m_cancelled && (!m_keepGoing || m_keepGoing()); }
    void Refused(const QString& name) override {
        if (m_refused) *m_refused << name;
    }

private:
    void TooLarge() {
        const QString entry = QStringLiteral("элемент '%1'").arg(m_entry.Name);
        m_problems << TooLargeDocumentText(QStringLiteral("Архив '%1': ").arg(m_source.Path) + entry);
        if (m_findings)
            m_findings->push_back(
                {FindingKind::Skipped, m_entry.Name, {}, {}, entry + u' ' + TooLargeDocumentWhy(), {}});
        Refused(m_entry.Name);
    }

    const ArchiveSource& m_source;
    const ArchiveEntryFilter& m_wanted;
    const ArchiveEntryTake& m_take;
    const ArchivePackedTake& m_takePacked;
    QStringList& m_problems;
    const std::function<bool()>& m_keepGoing;
    QStringList* m_refused;
    FindingList* m_findings;
    ArchiveEntry m_entry;
    QByteArray m_bytes;
    bool m_cancelled = false;
};
} // namespace

bool WalkArchive(const ArchiveSource& source, ArchiveVisitor& visitor, QStringList& problems,
                 const UnzipLimits& limits, FindingList* findings) {
    return Walk(source, visitor, problems, limits, findings).Run();
}

bool ReadArchiveEntries(const ArchiveSource& source, const ArchiveEntryFilter& wanted,
                        const ArchiveEntryTake& take, QStringList& problems,
                        const UnzipLimits& limits, const std::function<bool()>& keepGoing,
                        QStringList* refused, FindingList* findings,
                        const ArchivePackedTake& takePacked) {
    MemoryReader reader(source, wanted, take, problems, keepGoing, refused, findings, takePacked);
    return WalkArchive(source, reader, problems, limits, findings);
}
