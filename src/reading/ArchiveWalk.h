#pragma once

#include "findings/Findings.h"
#include "reading/PackedEntry.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Bounds on what one archive may expand to, so that a hostile archive stops with a problem
// instead of filling the disk or the memory. Tests lower them.
struct UnzipLimits {
    qint64 MaxTotalBytes = qint64(4) << 30; // all entries read together
    // Once this much has been read, the bytes read per byte of the archive file may not exceed
    // MaxRatio; real documents compress far less than that.
    qint64 RatioCheckBytes = qint64(64) << 20;
    double MaxRatio = 200.0;
    // Entries of any kind; a million empty ones would otherwise take minutes.
    qint64 MaxEntries = 500000;
    // The text of long values (a purpose of payment, ...) the rows of one run keep, as UTF-16
    // bytes; past it reading stops and the rows read stay. A purpose of 200 characters takes 400
    // bytes: a million ordinary documents fit, a few huge ones cannot fill the memory.
    qint64 MaxKeptTextBytes = qint64(384) << 20;
};

// A .zip archive on disk, or one held in memory (Path then only names it in problems).
struct ArchiveSource {
    ArchiveSource(const QString& path) : Path(path) {} // NOLINT: a path is the usual source
    ArchiveSource(const QString& name, const QByteArray& bytes) : Path(name), Bytes(bytes) {}

    QString Path;
    std::optional<QByteArray> Bytes;
};

// An entry that passed the safety rules.
struct ArchiveEntry {
    QString Name;        // as stored ("sub/a.xml"); bytes that are not text become U+FFFD
    QStringList Parts;   // the path inside the archive, without "." and empty parts
    qint64 Position = 0; // 1-based place among all entries of the archive
    qint64 Size = -1;    // the size the archive states; -1 when it states none
    bool Folder = false;
};

// What the walk asks of its user, entry by entry.
class ArchiveVisitor {
public:
    virtual ~ArchiveVisitor() = default;
    // A file or a folder; for a file, true asks for its bytes.
    virtual bool Wants(const ArchiveEntry& entry) = 0;
    // The next block of the wanted file; false drops the rest of it (the visitor says why).
    virtual bool Data(const char* bytes, qsizetype size) = 0;
    // Once for every wanted file: complete when every byte arrived, intact and taken.
    virtual void Done(bool complete) = 0;
    // A visitor that takes plain entries as stored is handed those whole, instead of Data and
    // Done; unpacking them (Unpack) is then its part, and a fault met there its to say.
    virtual bool TakesPacked() const { return false; }
    virtual void Packed(PackedEntry entry) { Q_UNUSED(entry); }
    // Asked between entries and between blocks: false cancels the walk, silently.
    virtual bool KeepGoing() { return true; }
    // An entry the walk left out with a problem (a link, a damaged entry, ...), by its name.
    virtual void Refused(const QString& name) { Q_UNUSED(name); }
};

// The one walk over a .zip archive, in stored order, with its safety rules: links and entries
// leaving the archive's root ("..", an absolute path, a drive letter) are refused with a problem;
// entries with a path part shorter than two characters are left out with their contents; a name
// that is not valid text is kept with replacement characters. The bounds of limits stop the walk
// with a problem. A damaged entry loses that entry only. Every problem is one Russian sentence
// naming the archive (libarchive's own words may follow in parentheses). False when the visitor
// cancelled. findings, when given, receive each problem as a finding of the archive, or, for an
// entry left out, of that entry.
bool WalkArchive(const ArchiveSource& source, ArchiveVisitor& visitor, QStringList& problems,
                 const UnzipLimits& limits = {}, FindingList* findings = nullptr);

using ArchiveEntryFilter = std::function<bool(const ArchiveEntry& entry)>;
// Takes one entry's bytes; false cancels the walk.
using ArchiveEntryTake = std::function<bool(const ArchiveEntry& entry, const QByteArray& bytes)>;
using ArchivePackedTake = std::function<bool(const ArchiveEntry& entry, PackedEntry packed)>;

// The walk in memory: every file entry the filter wants is read whole and handed to take, in
// stored order; nothing is written to disk. A file over LargestDocumentBytes is left out with a
// problem. keepGoing is asked between entries and blocks. refused receives the name of every
// entry left out with a problem. takePacked, when given, takes the plain entries as stored, to be
// unpacked by the taker; take then gets the others. False when cancelled.
bool ReadArchiveEntries(const ArchiveSource& source, const ArchiveEntryFilter& wanted,
                        const ArchiveEntryTake& take, QStringList& problems,
                        const UnzipLimits& limits = {}, const std::function<bool()>& keepGoing = {},
                        QStringList* refused = nullptr, FindingList* findings = nullptr,
                        const ArchivePackedTake& takePacked = {});
