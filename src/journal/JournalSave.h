#pragma once

#include "checks/OrganisationSide.h"
#include "findings/Findings.h"
#include "journal/JournalPlace.h"
#include "journal/StatementHash.h"
#include "reading/DocumentTable.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class Journal;

// One save as the journal sees it. Made before the statement is written, it hashes the bytes as
// they go. Meanwhile, on a thread of its own, it opens the journal and puts the record in with
// all its documents, pending and without its hash: a year of documents is a transaction and a
// flush to disk that need not wait for the statement. The hash goes in just before the statement
// is put in its place, and the record is confirmed just after. A save that fails or is stopped
// before the rename leaves nothing (its record is dropped; one left by a killed process has no
// hash and is dropped when the journal is next opened), and nothing the journal meets stops the
// save: it is said in the findings.
class JournalSave {
public:
    JournalSave(const JournalPlace& place, const QString& target, const QString& templatePath,
                const DocumentTable& documents, const Organisation& org);
    ~JournalSave();
    JournalSave(const JournalSave&) = delete;
    JournalSave& operator=(const JournalSave&) = delete;

    void Add(const QByteArray& piece);
    void BeforeRename();
    void AfterRename(bool renamed);
    const FindingList& Findings() const { return m_findings; }
    bool Recorded() const { return m_recorded; }

private:
    // Runs the step on the journal's thread (Qt SQL connections belong to the thread that made
    // them); with wait, returns once it is done.
    void OnJournalThread(std::function<void()> step, bool wait);
    void Serve();

    bool m_active = false;
    JournalPlace m_place;
    QString m_target;
    QString m_template;
    const DocumentTable& m_documents;
    Organisation m_org;
    StatementHash m_hash;
    std::unique_ptr<Journal> m_journal; // made, used and let go on the journal's thread
    qint64 m_id = 0;
    FindingList m_findings;
    bool m_recorded = false;
    bool m_settled = false; // renamed or not, the record was confirmed or dropped
    bool m_outOfMemory = false; // on the journal's thread: the record was given up
    std::atomic<bool> m_stop{false}; // the save ended before its rename: the record is not wanted

    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_steps;
    size_t m_doneSteps = 0, m_givenSteps = 0;
    bool m_quit = false;
};

// The key and source of every checked document among rows [from, from + count), in table order.
std::vector<struct JournalDocument> JournalDocuments(const DocumentTable& documents,
                                                     size_t from = 0, size_t count = SIZE_MAX);
