#include "app/ReadingController.h"

#include "journal/JournalMarks.h"

ReadingController::ReadingController(const TextCoder& coder, QObject* parent)
    : QObject(parent), m_coder(coder) {}

ReadingController::~ReadingController() {
    m_cancel = true; // m_side then waits for the run
}

void ReadingController::Start(const QString& path, const ColumnMap& columns,
                              const Organisation& org, const JournalPlace& journal, Shown shown) {
    if (m_running) return;
    m_running = true;
    m_cancel = false;
    m_shown = std::move(shown);
    m_org = org;
    m_journal = journal;
    auto posted = m_progressPosted;
    *posted = false;
    m_side.Run([this, path, columns, posted]() {
        HireReadersFrom(&m_readers);
        m_result.Outcome = RunReading(
            path, columns, m_coder,
            [this, posted](qint64 done, qint64 total) {
                // One progress event in flight at a time, however fast the files go by.
                if (!posted->exchange(true)) {
                    QMetaObject::invokeMethod(
                        this,
                        [this, posted, done, total] {
                            *posted = false;
                            if (m_running) emit Progress(done, total);
                        },
                        Qt::QueuedConnection);
                }
                return !m_cancel.load();
            },
            &m_cancel, RowUse::List, [this](std::vector<DocumentRow> rows) {
                auto slice = std::make_shared<std::vector<DocumentRow>>(std::move(rows));
                QMetaObject::invokeMethod(
                    this, [this, slice] { m_shown.Add(std::move(*slice)); }, Qt::QueuedConnection);
            });
        // Queued after every slice the run posted.
        QMetaObject::invokeMethod(this, &ReadingController::OnRead, Qt::QueuedConnection);
    });
}

void ReadingController::OnRead() {
    m_shown.Add(std::exchange(m_result.Outcome.Rows, {}));
    std::function<std::vector<std::size_t>()> order = m_shown.AllThere();
    m_side.Run([this, order = std::move(order)]() {
        const DocumentTable& read = *m_shown.Table;
        // The checks' own keys and tables are let go before the filter's index is made.
        m_result.Checks = CheckDocuments(read, false, m_org);
        if (order) m_result.Order = order();
        m_result.Findings = CheckFindings(read, m_result.Checks, m_org.Inn);
        FindingRows marked = MarkExported(m_journal, read, m_result.Checks);
        m_result.Findings.insert(m_result.Findings.end(), marked.Whole().begin(),
                                 marked.Whole().end());
        AddDocumentFields(m_result.Outcome.Findings, read);
        if (m_shown.Join) {
            m_result.Joined = m_shown.Join(std::exchange(m_result.Outcome.Findings, {}),
                                           std::exchange(m_result.Findings, {}));
            m_result.Joined.TakeExported(std::move(marked));
        } else {
            marked.Whole().clear();
            const FindingList documents = marked.List();
            m_result.Findings.insert(m_result.Findings.end(), documents.begin(), documents.end());
        }
        QMetaObject::invokeMethod(this, &ReadingController::OnFinished, Qt::QueuedConnection);
    });
}

void ReadingController::OnFinished() {
    m_running = false;
    emit Finished();
}
