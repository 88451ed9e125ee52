#pragma once

#include "reading/ZipDirectory.h"

#include <QByteArray>

#include <optional>
#include <vector>

// An archive entry's bytes as stored, with what they must unpack to. The walk hands these on so
// that entries unpack on the threads that read them, not one after another on the walk's.
struct PackedEntry {
    QByteArray Packed;
    qint64 Size = 0;
    quint32 Crc = 0;
    bool Deflated = false;
};

// The entry's bytes, or none when they do not unpack to exactly the stated size and checksum.
std::optional<QByteArray> Unpack(const PackedEntry& entry);

// An archive's entries as stored, found by where libarchive says an entry's data starts. Only
// plain entries are found: stored or deflated, not encrypted, sizes without Zip64, the central
// directory's record, the local header and any data descriptor agreeing, every byte inside the
// archive. Whatever else, libarchive unpacks itself. Asked in the order the entries lie.
class PackedEntries {
public:
    // records: the central directory's, kept by the caller while this is used.
    PackedEntries(const ArchiveSource& source, const std::vector<ZipDirectoryRecord>& records)
        : m_bytes(source), m_records(records) {}

    // The entry whose data starts at dataAt, when it is plain and size is its stated size.
    std::optional<PackedEntry> At(qint64 dataAt, qint64 size);

private:
    std::optional<PackedEntry> Plain(const ZipDirectoryRecord& record, QByteArrayView local,
                                     qint64 dataAt, qint64 size);

    ArchiveBytes m_bytes;
    const std::vector<ZipDirectoryRecord>& m_records; // by their local headers' offsets
    size_t m_next = 0;
};
