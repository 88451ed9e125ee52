#pragma once

#include "findings/Findings.h"
#include "journal/JournalPlace.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

#include <memory>
#include <vector>

// One document a statement carried: its key (DocumentKeys) and the file it was read from.
struct JournalDocument {
    QString Key;
    QString Source;
};

// One statement written: the file, its bytes' SHA-256 (hex), the template, when it was written,
// whose account it is, and how many documents it carried.
struct JournalStatement {
    qint64 Id = 0;
    QString File;
    QString Hash;
    QString Template;
    QDateTime Time; // UTC
    QString Acc;
    QString Inn;
    qint64 Documents = 0;
};

// Where a document went first: the statement's file and when it was written.
struct JournalMark {
    QString File;
    QDateTime Time;
};

enum class JournalState {
    Off,      // no journal is kept
    Ready,    // open, and it knows what went out
    Reset,    // made anew after a damaged one was moved aside: it does not know yet
    Unusable, // could not be opened: locked past waiting, unreadable, refused, unreachable
};

// The export journal over Qt SQL: a SQLite file (WAL) or a PostgreSQL database of the same
// schema. Opening it migrates the schema and settles the records of saves that never finished.
// One object belongs to the thread that made it, as Qt SQL connections do.
class Journal {
public:
    explicit Journal(const JournalPlace& place);
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    JournalState State() const { return m_state; }
    // Why it cannot tell which documents are new ("Отметить только новые", --only-new), in words;
    // empty when it can.
    QString Problem() const { return m_problem; }
    // What opening or recording met: a damaged journal moved aside, a locked or unreachable one.
    const FindingList& Findings() const { return m_findings; }
    const JournalPlace& Place() const { return m_place; }

    // Which of the keys went out in a statement that was written (the first one for each).
    QHash<QString, JournalMark> Exported(const QStringList& keys);
    // The statements written, oldest first; with since, those written since then.
    std::vector<JournalStatement> Statements(const QDateTime& since = {});
    // The documents of the statements written into this file.
    std::vector<JournalDocument> Documents(const QString& file);
    // Drops the records of the statements written into this file; how many, or -1 on failure.
    int Forget(const QString& file);

    // A save's steps: the record, pending, in one transaction, while the statement is made; its
    // hash and time once the statement is whole, before it is put in its place; confirmed after
    // (or dropped when the rename failed). 0 when not recorded, false when not sealed (the
    // findings say why); 0 and nothing said when stop was raised meanwhile.
    qint64 AddPending(const JournalStatement& statement,
                      const std::vector<JournalDocument>& documents);
    // The same with the documents of items [from, from + count) of all made by slice as they go
    // in, so that the keys of a year of documents are not all held at once.
    using DocumentSlice = std::function<std::vector<JournalDocument>(size_t from, size_t count)>;
    qint64 AddPending(const JournalStatement& statement, size_t all, const DocumentSlice& slice,
                      const std::atomic<bool>* stop = nullptr);
    bool Seal(qint64 id, const QString& hash, const QDateTime& written);
    bool Confirm(qint64 id);
    void Drop(qint64 id);

private:
    struct Connection;
    bool OpenSqlite();
    bool OpenPostgres();
    bool Prepare(bool* damaged);
    void Settle();
    void FlushQueue();
    void Said(const QString& why);

    JournalPlace m_place;
    JournalState m_state = JournalState::Off;
    QString m_problem;
    FindingList m_findings;
    std::unique_ptr<Connection> m_db;
    std::unique_ptr<Journal> m_queue; // a server's local queue while it cannot be reached
    bool m_madeAnew = false;          // begun in place of a damaged journal
};

// Where a server's statements wait while it cannot be reached: journal-queue.sqlite in ConfigDir.
QString QueueFile(const QString& configDir);

// The SHA-256 of a file's bytes, in hex; empty when it cannot be read.
QString FileHash(const QString& path);
