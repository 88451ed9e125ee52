#include "journal/JournalSave.h"

#include "checks/DocumentKey.h"
#include "journal/Journal.h"

#include <QDir>
#include <QFileInfo>

#include <new>

std::vector<JournalDocument> JournalDocuments(const DocumentTable& documents, size_t from,
                                              size_t count) {
    std::vector<JournalDocument> list;
    const DocumentKeys keys(documents.Columns);
    QHash<QString, QString> dates;
    const size_t size = documents.Rows.size();
    const size_t end = from >= size || count >= size - from ? size : from + count;
    for (size_t r = from; r < end; ++r)
        if (const DocumentRow& row = documents.Rows[r]; row.Checked)
            list.push_back({keys.Key(row, &dates), row.SourcePath});
    return list;
}

JournalSave::JournalSave(const JournalPlace& place, const QString& target,
                         const QString& templatePath, const DocumentTable& documents,
                         const Organisation& org)
    : m_active(place.Type != JournalPlace::Kind::Off && JournaledSave(templatePath, target)),
      m_place(place), m_target(target), m_template(templatePath), m_documents(documents),
      m_org(org) {
    if (!m_active) return;
    m_thread = std::thread([this] { Serve(); });
    OnJournalThread(
        [this] {
            m_journal = std::make_unique<Journal>(m_place);
            JournalStatement statement;
            statement.File = m_target;
            statement.Template = QFileInfo(m_template).fileName();
            statement.Acc = m_org.Account;
            statement.Inn = m_org.Inn;
            // The keys are made a slice at a time as they go in: beside the checks' own, a
            // year's keys at once were the peak of a save's memory.
            m_id = m_journal->AddPending(
                statement, m_documents.Rows.size(),
                [this](size_t from, size_t count) {
                    return JournalDocuments(m_documents, from, count);
                },
                &m_stop);
        },
        false);
}

JournalSave::~JournalSave() {
    if (!m_thread.joinable()) return;
    // A save that never reached its rename: the record it began goes.
    m_stop = !m_settled;
    if (!m_settled)
        OnJournalThread(
            [this] {
                if (m_id > 0 && m_journal) m_journal->Drop(m_id);
                m_journal.reset();
            },
            false);
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void JournalSave::OnJournalThread(std::function<void()> step, bool wait) {
    std::unique_lock lock(m_mutex);
    m_steps.push_back(std::move(step));
    const size_t mine = ++m_givenSteps;
    m_wake.notify_all();
    if (wait) m_wake.wait(lock, [&] { return m_doneSteps >= mine; });
}

void JournalSave::Serve() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_quit || !m_steps.empty(); });
        if (m_steps.empty()) return; // quit, and nothing left to do
        std::function<void()> step = std::move(m_steps.front());
        m_steps.pop_front();
        lock.unlock();
        try {
            step();
        } catch (const std::bad_alloc&) {
            // Never an end on an allocation: the statement is written without its record, and
            // that is said.
            m_id = 0;
            m_journal.reset();
            m_outOfMemory = true;
        }
        lock.lock();
        ++m_doneSteps;
        m_wake.notify_all();
    }
}

void JournalSave::Add(const QByteArray& piece) {
    if (m_active) m_hash.Add(piece);
}

void JournalSave::BeforeRename() {
    if (!m_active) return;
    const QString hash = m_hash.Hex();
    OnJournalThread(
        [this, hash] {
            if (m_id > 0 && m_journal &&
                !m_journal->Seal(m_id, hash, QDateTime::currentDateTimeUtc())) {
                m_journal->Drop(m_id);
                m_id = 0;
            }
        },
        true);
}

void JournalSave::AfterRename(bool renamed) {
    if (!m_active) return;
    OnJournalThread(
        [this, renamed] {
            if (m_id > 0 && renamed) m_recorded = m_journal->Confirm(m_id);
            if (m_id > 0 && !renamed) m_journal->Drop(m_id);
            if (m_journal) m_findings = m_journal->Findings();
            m_journal.reset();
            if (m_outOfMemory) {
                m_findings.push_back(SettingsFinding(
                    QDir::toNativeSeparators(m_place.Where),
                    QStringLiteral("выписка '%1' не записана в журнал: не хватило памяти")
                        .arg(QDir::toNativeSeparators(m_target))));
                m_findings.back().Kind = FindingKind::Journal;
            }
        },
        true);
    m_settled = true;
}
