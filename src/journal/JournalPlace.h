#pragma once

#include <QString>

class INIStorage;

// Where the export journal lives: a SQLite file (journal.sqlite in ConfigDir unless named
// otherwise) or a PostgreSQL database an office shares, or nowhere.
struct JournalPlace {
    enum class Kind { Off, Sqlite, Postgres };
    Kind Type = Kind::Off;
    QString Where;     // the file's path, or the URL as given
    QString ConfigDir; // where a queue for an unreachable server is kept
};

// What names the journal, first found wins: --no-journal (off), --journal, the environment's
// VYPISKA_JOURNAL (a path, a URL, or "off"; scripts and tests keep their runs apart with it),
// [Main] Journal= of CONFIG.INI, else ConfigDir/journal.sqlite.
JournalPlace ResolveJournalPlace(const QString& configDir, const INIStorage& settings,
                                 const QString& given = {}, bool off = false);
// A text as the options dialog or --journal gives it: "postgresql://user@host/db" (or
// "postgres://") is a server, "off" none, anything else a file path.
JournalPlace JournalPlaceOf(const QString& text, const QString& configDir);

// Why SQLite cannot keep a journal in this folder: WAL needs shared memory that network file
// systems (NFS, SMB/CIFS, AFS, Ceph, 9p) do not give, and locks there are not to be trusted.
// Empty when the folder is local (or cannot be asked).
QString NetworkFolderProblem(const QString& folder);

// Whether a save through this template into this target goes into the journal: statements for
// 1C (a header beginning "1CClientBankExchange", or "<journal>1</journal>" in the formats block)
// written into a file; never a register, the standard output or a device.
bool JournaledSave(const QString& templatePath, const QString& target);
