#pragma once

#include "checks/Findings.h"
#include "reading/ArchiveWalk.h"
#include "reading/DocumentTable.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>

class TextCoder;

// Colours of the status line, 0x00BBGGRR as the window's status texts use them.
constexpr qint32 StatusColorUnchanged = -1;
constexpr qint32 StatusColorNeutral = -2; // the window's own text colour: neither good nor bad
constexpr qint32 StatusColorSuccess = 0x008000;
constexpr qint32 StatusColorFailure = 0x0000C0;
// Something was read but not all of it: never the success's green.
constexpr qint32 StatusColorIncomplete = 0x0060C0;

enum class SourceKind { None, Xml, Zip, Folder };

// A folder when one exists at the path, otherwise by the extension (XML, ZIP in any case).
SourceKind DetectSourceKind(const QString& path, const TextCoder& coder);

// Russian plural endings: kind 0 participles ("прочитан"), 1 plural nominatives ("Документ"),
// 2 nouns after a numeral ("документ").
QString PluralForm(const QString& word, qint64 n, int kind);

QString ReadSuccessText(qint64 count, const QString& path); // "Успешно прочитано 3 документа в '…'"
QString NotFoundText(const QString& path); // "Не найдено совместимых документов в '…'"
// "Чтение остановлено, прочитаны не все документы: прочитано 12 документов из '…'": a run the
// user cancelled.
QString ReadCancelledText(qint64 count, const QString& path);
// "Прочитано 12 документов, пропущено 3 файла в '…'": files the reading looked at were left out.
QString ReadPartialText(qint64 count, qint64 skipped, const QString& path);
// "в подпапках не читались: 4 файла": documents below the source's top level, which no reading
// takes; neither a problem nor a file left out.
QString OutsideText(qint64 count);

// One document file to one row, or none (no amount, or the file could not be read: problem says).
std::optional<DocumentRow> ReadDocumentFile(const QString& path, const ColumnMap& columns,
                                            const TextCoder& coder, QString* problem = nullptr);

// Called after each file with the files done and the files in all; return false to cancel.
// While an archive's entries are taken from it, the total is not known yet: the call comes
// between entries and blocks with (0, 0).
using ReadingProgress = std::function<bool(qint64 done, qint64 total)>;

// A flag another thread may raise to stop a run at once, also inside a long document.
using ReadingCancel = const std::atomic<bool>*;

// What the rows are read for. A statement needs only the values as written: the texts the list
// shows (the locale's dates and currency) are then the values themselves, which spares a year
// of documents most of the formatting.
enum class RowUse { List, Statement };

struct ReadingOutcome {
    std::vector<DocumentRow> Rows;
    QString StatusText; // the success or the not-found text, exactly as the status line shows it
    qint32 StatusColor = StatusColorFailure;
    QStringList Problems; // files that could not be read, a broken archive, ...: extra information
    QStringList Skipped;  // every file left out, by path (its problem says why)
    FindingList Findings; // the same, one finding each, the file named, for the problems list
    qint64 Outside = 0;   // *.xml files in subfolders, outside the reading (OutsideText)
    bool Cancelled = false;
};

// Reads every *.xml file directly inside the folder (pattern matched without regard to case,
// hidden files and sub-folders left out), in ascending name order without regard to case, adding
// rows and problems to the outcome. Returns false when cancelled.
bool ReadFolder(const QString& folder, const ColumnMap& columns, const TextCoder& coder,
                ReadingOutcome* outcome, const ReadingProgress& progress = {},
                ReadingCancel cancel = nullptr, RowUse use = RowUse::List);

// Reads the top-level *.xml entries of a .zip archive in memory (nothing is written to disk),
// chosen and ordered as a folder's files are. A row's SourcePath is the archive's path, "/" and
// the entry's name; a second entry of the same name adds "#" and its position in the archive.
bool ReadZipArchive(const QString& archive, const ColumnMap& columns, const TextCoder& coder,
                    ReadingOutcome* outcome, const ReadingProgress& progress = {},
                    const UnzipLimits& limits = {}, ReadingCancel cancel = nullptr,
                    RowUse use = RowUse::List);

// The whole reading run that the window and the CLI share: decides the source kind, reads a file,
// a folder or an archive, and says the outcome. Safe to run on a worker thread: it touches
// nothing but its arguments and the file system. A cancelled run keeps the rows read before the
// cancel, and its status text counts them.
ReadingOutcome RunReading(const QString& path, const ColumnMap& columns, const TextCoder& coder,
                          const ReadingProgress& progress = {}, ReadingCancel cancel = nullptr,
                          RowUse use = RowUse::List);

// Large sources are read on every core, and glibc gives each thread an allocation arena of its
// own: the rows of a year of documents then take half as much memory again. Called once at
// start-up, before any thread is made; does nothing elsewhere.
void ShareAllocationArenas();

// libarchive turns every entry's time into a calendar time, and glibc, with TZ unset, looks at
// /etc/localtime again each time: two system calls per entry, a tenth of reading an archive.
// Naming that same file in TZ has it read once; the zone stays the system's. Called once at
// start-up, before any thread is made; does nothing when TZ is set or elsewhere than glibc.
void ReadTimeZoneOnce();
