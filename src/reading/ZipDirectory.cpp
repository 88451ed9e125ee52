#include "reading/ZipDirectory.h"

#include "reading/ArchiveWalk.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>

ArchiveBytes::ArchiveBytes(const ArchiveSource& source) : m_source(source) {
    if (source.Bytes) {
        m_size = source.Bytes->size();
    } else {
        m_file.setFileName(source.Path);
        if (m_file.open(QIODevice::ReadOnly)) m_size = m_file.size();
    }
}

namespace {
constexpr qint64 Window = qint64(256) << 10;
} // namespace

QByteArray ArchiveBytes::Read(qint64 at, qint64 length) {
    // A central directory or an entry of a window's size or more is read straight into its own
    // bytes, not through the window and then copied.
    if (m_source.Bytes || length < Window || at < 0 || at >= m_size)
        return View(at, length).toByteArray();
    QByteArray bytes(qsizetype(std::min(length, m_size - at)), Qt::Uninitialized);
    const qint64 got = m_file.seek(at) ? m_file.read(bytes.data(), bytes.size()) : -1;
    bytes.resize(qsizetype(std::max<qint64>(got, 0)));
    return bytes;
}

QByteArray ArchiveBytes::Shared(qint64 at, qint64 length) {
    const QByteArrayView view = View(at, length);
    if (m_source.Bytes || view.size() != length || view.isEmpty()) return Read(at, length);
    QByteArray::DataPointer& window = m_window.data_ptr();
    window.ref();
    return QByteArray(QByteArray::DataPointer(window.d_ptr(), const_cast<char*>(view.data()),
                                              view.size()));
}

QByteArrayView ArchiveBytes::View(qint64 at, qint64 length) {
    if (at < 0 || length <= 0 || at >= m_size) return {};
    length = std::min(length, m_size - at);
    if (m_source.Bytes) return QByteArrayView(*m_source.Bytes).sliced(at, length);
    if (at < m_windowAt || at + length > m_windowAt + m_window.size()) {
        const qsizetype size = qsizetype(std::min(std::max(length, Window), m_size - at));
        // A window that entries still share stays theirs: the next is a new one.
        if (m_window.isDetached())
            m_window.resize(size);
        else
            m_window = QByteArray(size, Qt::Uninitialized);
        m_windowAt = at;
        const qint64 got = m_file.seek(at) ? m_file.read(m_window.data(), m_window.size()) : -1;
        m_window.resize(qsizetype(std::max<qint64>(got, 0)));
        if (got < length) return QByteArrayView(m_window);
    }
    return QByteArrayView(m_window).sliced(at - m_windowAt, length);
}

namespace {
constexpr qint64 EndRecordSize = 22;
constexpr qint64 LongestComment = 0xFFFF;

quint64 Le(const QByteArray& bytes, qint64 at, int width) {
    if (at < 0 || at + width > bytes.size()) return 0;
    quint64 value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = value << 8 | uchar(bytes[at + i]);
    return value;
}

struct EndRecord {
    qint64 Claimed = -1;
    qint64 DirectoryOffset = 0;
    qint64 DirectorySize = 0;
    qint64 At = 0; // where the end record (or the Zip64 one) starts
};

std::optional<EndRecord> FindEnd(ArchiveBytes& archive) {
    const qint64 from = std::max<qint64>(0, archive.Size() - EndRecordSize - LongestComment);
    const QByteArray tail = archive.Read(from, archive.Size() - from);
    for (qint64 at = tail.lastIndexOf("PK\x05\x06"); at >= 0;
         at = at > 0 ? tail.lastIndexOf("PK\x05\x06", at - 1) : -1) {
        if (at + EndRecordSize > tail.size()) continue;
        EndRecord end;
        end.Claimed = qint64(Le(tail, at + 10, 2));
        end.DirectorySize = qint64(Le(tail, at + 12, 4));
        end.DirectoryOffset = qint64(Le(tail, at + 16, 4));
        end.At = from + at;
        if (end.Claimed == 0xFFFF || end.DirectorySize == 0xFFFFFFFF ||
            end.DirectoryOffset == 0xFFFFFFFF) {
            // Zip64: the locator just before points at the larger end record.
            const QByteArray locator = archive.Read(end.At - 20, 20);
            if (!locator.startsWith("PK\x06\x07")) return end;
            const qint64 at64 = qint64(Le(locator, 8, 8));
            const QByteArray end64 = archive.Read(at64, 56);
            if (!end64.startsWith("PK\x06\x06") || end64.size() < 56) return end;
            end.Claimed = qint64(Le(end64, 32, 8));
            end.DirectorySize = qint64(Le(end64, 40, 8));
            end.DirectoryOffset = qint64(Le(end64, 48, 8));
            end.At = at64;
        }
        return end;
    }
    return std::nullopt;
}

// The local header offset of a record, from its Zip64 field when the record defers to it.
qint64 LocalOffset(const QByteArray& dir, qint64 at, qint64 extraAt, qint64 extraLength) {
    qint64 offset = qint64(Le(dir, at + 42, 4));
    if (offset != 0xFFFFFFFF) return offset;
    for (qint64 field = extraAt; field + 4 <= extraAt + extraLength;) {
        const quint64 id = Le(dir, field, 2), size = Le(dir, field + 2, 2);
        if (id == 1) {
            qint64 pos = field + 4;
            if (Le(dir, at + 24, 4) == 0xFFFFFFFF) pos += 8; // uncompressed size
            if (Le(dir, at + 20, 4) == 0xFFFFFFFF) pos += 8; // compressed size
            return pos + 8 <= field + 4 + qint64(size) ? qint64(Le(dir, pos, 8)) : offset;
        }
        field += 4 + qint64(size);
    }
    return offset;
}
} // namespace

ZipDirectory ReadZipDirectory(const ArchiveSource& source, bool withRecords) {
    ZipDirectory directory;
    ArchiveBytes archive(source);
    const std::optional<EndRecord> end = FindEnd(archive);
    if (!end) return directory;
    directory.Claimed = end->Claimed;
    if (!withRecords || end->DirectorySize <= 0) return directory;
    // Data put before the archive (a self-extracting one) shifts every offset: the directory
    // then ends where the end record begins.
    QByteArray dir = archive.Read(end->DirectoryOffset, end->DirectorySize);
    if (!dir.startsWith("PK\x01\x02"))
        dir = archive.Read(end->At - end->DirectorySize, end->DirectorySize);
    // Sized once: a vector doubling its way to a hundred thousand records held half as much again.
    constexpr qint64 SmallestRecord = 46;
    directory.Records.reserve(
        size_t(std::clamp<qint64>(end->Claimed, 0, dir.size() / SmallestRecord)));
    for (qint64 at = 0; at + 46 <= dir.size() && dir.mid(at, 4) == "PK\x01\x02";) {
        const qint64 nameLength = qint64(Le(dir, at + 28, 2));
        const qint64 extraLength = qint64(Le(dir, at + 30, 2));
        const qint64 commentLength = qint64(Le(dir, at + 32, 2));
        const qint64 next = at + 46 + nameLength + extraLength + commentLength;
        if (next > dir.size()) break;
        ZipDirectoryRecord record;
        // A name in plain ASCII reads the same in every character set and is never looked up:
        // a hundred thousand of them are not kept.
        const QByteArrayView name = QByteArrayView(dir).sliced(at + 46, nameLength);
        if (std::any_of(name.begin(), name.end(), [](char c) { return uchar(c) >= 0x80; }))
            record.Name = name.toByteArray();
        record.Flags = quint16(Le(dir, at + 8, 2));
        record.Utf8Flag = record.Flags & 0x0800;
        record.Method = quint16(Le(dir, at + 10, 2));
        record.Crc = quint32(Le(dir, at + 16, 4));
        if (const quint64 packed = Le(dir, at + 20, 4); packed != 0xFFFFFFFF)
            record.PackedSize = qint64(packed);
        if (const quint64 size = Le(dir, at + 24, 4); size != 0xFFFFFFFF)
            record.Size = qint64(size);
        record.LocalOffset = LocalOffset(dir, at, at + 46 + nameLength, extraLength);
        directory.Records.push_back(std::move(record));
        at = next;
    }
    // libarchive hands out the entries in the order of their local headers; archivers mostly
    // write the records in that order already.
    const auto before = [](const ZipDirectoryRecord& a, const ZipDirectoryRecord& b) {
        return a.LocalOffset < b.LocalOffset;
    };
    if (!std::is_sorted(directory.Records.begin(), directory.Records.end(), before))
        std::stable_sort(directory.Records.begin(), directory.Records.end(), before);
    return directory;
}

QString DecodeCp866(const QByteArray& bytes) {
    static constexpr char16_t Upper[128] = {
        0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A,
        0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425,
        0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430,
        0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
        0x043C, 0x043D, 0x043E, 0x043F, 0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562,
        0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534,
        0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560,
        0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
        0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x0440, 0x0441, 0x0442,
        0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D,
        0x044E, 0x044F, 0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E, 0x00B0,
        0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0};
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes)
        text += uchar(c) < 0x80 ? QChar(uchar(c)) : QChar(Upper[uchar(c) - 0x80]);
    return text;
}
