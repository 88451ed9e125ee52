#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QHash>
#include <QString>

#include <optional>
#include <vector>

struct ArchiveSource;

// One record of a .zip's central directory, the name as its bytes.
struct ZipDirectoryRecord {
    QByteArray Name; // as stored, when it is not all ASCII; empty otherwise
    bool Utf8Flag = false;
    qint64 LocalOffset = 0;
    quint16 Flags = 0;
    quint16 Method = 0;
    quint32 Crc = 0;
    qint64 PackedSize = -1; // -1 when the record defers to a Zip64 field
    qint64 Size = -1;       // the same
};

// What a .zip says about itself at its end, read beside libarchive for what libarchive does not
// tell: the entry count the end record claims, and every name as stored. Only the end record
// and the central directory are looked at, never entry data, so no entry can pose as another.
struct ZipDirectory {
    qint64 Claimed = -1; // entries the end record claims; -1 when there is no end record
    std::vector<ZipDirectoryRecord> Records; // the records read, in the order of their entries
};

// Bytes of an archive by their offset, from memory or from the file, never more than it holds.
// Reads from a file go through a window of 256 KB: an archive's headers and entries
// are asked for in the order they lie.
class ArchiveBytes {
public:
    explicit ArchiveBytes(const ArchiveSource& source);
    qint64 Size() const { return m_size; }
    // The bytes at, shorter at the end of the archive; valid until the next call.
    QByteArrayView View(qint64 at, qint64 length);
    QByteArray Read(qint64 at, qint64 length);
    // As Read, but bytes that lie in the window share it rather than being copied: an entry's
    // stored bytes are then freed by the thread that unpacks them with no lock on this thread's
    // heap, the window at once when its last entry is done. Never to be written into.
    QByteArray Shared(qint64 at, qint64 length);

private:
    const ArchiveSource& m_source;
    QFile m_file;
    qint64 m_size = 0;
    QByteArray m_window;
    qint64 m_windowAt = 0;
};

// The end record alone; withRecords also reads the central directory (up to the first damaged
// record).
ZipDirectory ReadZipDirectory(const ArchiveSource& source, bool withRecords);

// A name without the UTF-8 flag, as archivers on Russian Windows write it.
QString DecodeCp866(const QByteArray& bytes);
