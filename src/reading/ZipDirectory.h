#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>
#include <vector>

struct ArchiveSource;

// One record of a .zip's central directory, the name as its bytes.
struct ZipDirectoryRecord {
    QByteArray Name;
    bool Utf8Flag = false;
    qint64 LocalOffset = 0;
};

// What a .zip says about itself at its end, read beside libarchive for what libarchive does not
// tell: the entry count the end record claims, and every name as stored. Only the end record
// and the central directory are looked at, never entry data, so no entry can pose as another.
struct ZipDirectory {
    qint64 Claimed = -1; // entries the end record claims; -1 when there is no end record
    std::vector<ZipDirectoryRecord> Records; // the records read, in the order of their entries
};

// The end record alone; withRecords also reads the central directory (up to the first damaged
// record).
ZipDirectory ReadZipDirectory(const ArchiveSource& source, bool withRecords);

// A name without the UTF-8 flag, as archivers on Russian Windows write it.
QString DecodeCp866(const QByteArray& bytes);
