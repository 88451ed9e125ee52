#pragma once

#include "findings/Findings.h"
#include "reading/ArchiveWalk.h"
#include "reading/DocumentTable.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>

class TextCoder;

enum class SourceKind { None, Xml, Zip, Folder };

// A folder when one exists at the path, otherwise by the extension (XML, ZIP in any case).
SourceKind DetectSourceKind(const QString& path, const TextCoder& coder);

// Called after each file with the files done and the files in all; return false to cancel.
// While an archive's entries are taken from it, the total is not known yet: the call comes
// between entries and blocks with (0, 0).
using ReadingProgress = std::function<bool(qint64 done, qint64 total)>;

// A flag another thread may raise to stop a run at once, also inside a long document.
using ReadingCancel = const std::atomic<bool>*;

// Rows handed on while the reading goes on, in reading order, so that they can be shown; they
// are then not in the outcome's rows. An archive's come in the archive's order, not by name.
using ReadingRowsReady = std::function<void(std::vector<DocumentRow> rows)>;

// What the rows are read for. A statement needs only the values as written: the texts the list
// shows (the locale's dates and currency) are then the values themselves, which spares a year
// of documents most of the formatting.
enum class RowUse { List, Statement };

struct ReadingOutcome {
    std::vector<DocumentRow> Rows;
    QString Source; // the path read, as given
    QStringList Problems; // files that could not be read, a broken archive, ...: extra information
    QStringList Skipped;  // every file left out, by path (its problem says why)
    FindingList Findings; // the same, one finding each, the file named, for the problems list
    qint64 Outside = 0;   // *.xml files in subfolders, outside the reading
    bool Cancelled = false;
};

// Reads one document file into a row of the outcome, or says why it gave none. Returns false
// when cancelled.
bool ReadDocumentFile(const QString& path, const ColumnMap& columns, const TextCoder& coder,
                      ReadingOutcome* outcome, const ReadingProgress& progress = {},
                      ReadingCancel cancel = nullptr, RowUse use = RowUse::List);

// Reads every *.xml file directly inside the folder (pattern matched without regard to case,
// hidden files and sub-folders left out), in ascending name order without regard to case, adding
// rows and problems to the outcome. Returns false when cancelled.
bool ReadFolder(const QString& folder, const ColumnMap& columns, const TextCoder& coder,
                ReadingOutcome* outcome, const ReadingProgress& progress = {},
                ReadingCancel cancel = nullptr, RowUse use = RowUse::List,
                const ReadingRowsReady& ready = {});

// Reads the top-level *.xml entries of a .zip archive in memory (nothing is written to disk),
// chosen and ordered as a folder's files are. A row's SourcePath is the archive's path, "/" and
// the entry's name; a second entry of the same name adds "#" and its position in the archive.
bool ReadZipArchive(const QString& archive, const ColumnMap& columns, const TextCoder& coder,
                    ReadingOutcome* outcome, const ReadingProgress& progress = {},
                    const UnzipLimits& limits = {}, ReadingCancel cancel = nullptr,
                    RowUse use = RowUse::List, const ReadingRowsReady& ready = {});

// The whole reading run that the window and the CLI share: decides the source kind, reads a file,
// a folder or an archive, and says the outcome. Safe to run on a worker thread: it touches
// nothing but its arguments and the file system. A cancelled run keeps the rows read before the
// cancel.
ReadingOutcome RunReading(const QString& path, const ColumnMap& columns, const TextCoder& coder,
                          const ReadingProgress& progress = {}, ReadingCancel cancel = nullptr,
                          RowUse use = RowUse::List, const ReadingRowsReady& ready = {});

// Large sources are read on every core, and glibc gives each thread an allocation arena of its
// own: the rows of a year of documents then take half as much memory again. Called once at
// start-up, before any thread is made; does nothing elsewhere.
void ShareAllocationArenas();

// libarchive turns every entry's time into a calendar time, and glibc, with TZ unset, looks at
// /etc/localtime again each time: two system calls per entry, a tenth of reading an archive.
// Naming that same file in TZ has it read once; the zone stays the system's. Called once at
// start-up, before any thread is made; does nothing when TZ is set or elsewhere than glibc.
void ReadTimeZoneOnce();
