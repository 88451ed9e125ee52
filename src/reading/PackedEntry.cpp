#include "reading/PackedEntry.h"

#include <libdeflate.h>

#include <algorithm>
#include <memory>

namespace {
constexpr qint64 LocalHeaderSize = 30;

quint32 Le(QByteArrayView bytes, qsizetype at, int width) {
    quint32 value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = value << 8 | uchar(bytes[at + i]);
    return value;
}

struct DecompressorFree {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};
} // namespace

std::optional<QByteArray> Unpack(const PackedEntry& entry) {
    QByteArray bytes;
    if (!entry.Deflated) {
        if (entry.Packed.size() != entry.Size) return std::nullopt;
        bytes = entry.Packed;
    } else {
        thread_local std::unique_ptr<libdeflate_decompressor, DecompressorFree> decompressor(
            libdeflate_alloc_decompressor());
        if (!decompressor) return std::nullopt;
        bytes = QByteArray(qsizetype(entry.Size), Qt::Uninitialized);
        size_t in = 0, out = 0;
        if (libdeflate_deflate_decompress_ex(decompressor.get(), entry.Packed.constData(),
                                             size_t(entry.Packed.size()), bytes.data(),
                                             size_t(bytes.size()), &in,
                                             &out) != LIBDEFLATE_SUCCESS ||
            in != size_t(entry.Packed.size()) || out != size_t(entry.Size))
            return std::nullopt;
    }
    if (libdeflate_crc32(0, bytes.constData(), size_t(bytes.size())) != entry.Crc)
        return std::nullopt;
    return bytes;
}

std::optional<PackedEntry> PackedEntries::At(qint64 dataAt, qint64 size) {
    while (m_next < m_records.size() && m_records[m_next].LocalOffset < dataAt) {
        const ZipDirectoryRecord& record = m_records[m_next++];
        const QByteArrayView local = m_bytes.View(record.LocalOffset, LocalHeaderSize);
        if (local.size() < LocalHeaderSize || !local.startsWith("PK\x03\x04")) continue;
        const qint64 start = record.LocalOffset + LocalHeaderSize + Le(local, 26, 2) +
                             Le(local, 28, 2);
        if (start == dataAt) return Plain(record, local, dataAt, size);
    }
    return std::nullopt;
}

std::optional<PackedEntry> PackedEntries::Plain(const ZipDirectoryRecord& record,
                                                QByteArrayView local, qint64 dataAt, qint64 size) {
    constexpr quint32 Encrypted = 0x0001 | 0x0040 | 0x2000, SizesAfter = 0x0008;
    const quint32 flags = Le(local, 6, 2);
    if (record.Size != size || record.PackedSize < 0 || ((flags | record.Flags) & Encrypted) ||
        Le(local, 8, 2) != record.Method || (record.Method != 0 && record.Method != 8) ||
        (record.Method == 0 && record.PackedSize != size))
        return std::nullopt;
    const quint32 said[] = {Le(local, 14, 4), Le(local, 18, 4), Le(local, 22, 4)};
    const quint32 stated[] = {record.Crc, quint32(record.PackedSize), quint32(record.Size)};
    if (!(flags & SizesAfter) && !std::equal(said, said + 3, stated)) return std::nullopt;
    PackedEntry entry;
    // Stored entries become the document's bytes themselves, and are copied whole.
    entry.Packed = record.Method == 8 ? m_bytes.Shared(dataAt, record.PackedSize)
                                      : m_bytes.Read(dataAt, record.PackedSize);
    if (entry.Packed.size() != record.PackedSize) return std::nullopt;
    entry.Size = size;
    entry.Crc = record.Crc;
    entry.Deflated = record.Method == 8;
    if (flags & SizesAfter) {
        // The data descriptor, with or without its signature.
        QByteArrayView after = m_bytes.View(dataAt + record.PackedSize, 16);
        if (after.startsWith("PK\x07\x08")) after = after.sliced(4);
        if (after.size() < 12) return std::nullopt;
        const quint32 described[] = {Le(after, 0, 4), Le(after, 4, 4), Le(after, 8, 4)};
        if (!std::equal(described, described + 3, stated)) return std::nullopt;
    }
    return entry;
}
