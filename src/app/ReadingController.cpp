#include "app/ReadingController.h"

#include "journal/JournalMarks.h"

#include <QThread>

ReadingController::ReadingController(const TextCoder& coder, QObject* parent)
    : QObject(parent), m_coder(coder) {}

ReadingController::~ReadingController() {
    if (!m_worker) return;
    m_cancel = true;
    m_worker->wait();
    delete m_worker;
}

void ReadingController::Start(const QString& path, const ColumnMap& columns,
                              const Organisation& org, const JournalPlace& journal, Shown shown) {
    if (m_worker) return;
    m_cancel = false;
    m_shown = std::move(shown);
    m_org = org;
    m_journal = journal;
    auto posted = m_progressPosted;
    *posted = false;
    m_worker = QThread::create([this, path, columns, posted]() {
        m_result.Outcome = RunReading(
            path, columns, m_coder,
            [this, posted](qint64 done, qint64 total) {
                // One progress event in flight at a time, however fast the files go by.
                if (!posted->exchange(true)) {
                    QMetaObject::invokeMethod(
                        this,
                        [this, posted, done, total] {
                            *posted = false;
                            if (m_worker) emit Progress(done, total);
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
    });
    m_worker->setObjectName(QStringLiteral("ReadingThread"));
    // Queued after every slice the run posted.
    connect(m_worker, &QThread::finished, this, &ReadingController::OnRead);
    m_worker->start();
}

void ReadingController::OnRead() {
    m_worker->wait();
    delete std::exchange(m_worker, nullptr);
    m_shown.Add(std::exchange(m_result.Outcome.Rows, {}));
    std::function<std::vector<std::size_t>()> order = m_shown.AllThere();
    m_worker = QThread::create([this, order = std::move(order)]() {
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
    });
    m_worker->setObjectName(QStringLiteral("CheckingThread"));
    connect(m_worker, &QThread::finished, this, &ReadingController::OnFinished);
    m_worker->start();
}

void ReadingController::OnFinished() {
    m_worker->wait();
    delete m_worker;
    m_worker = nullptr;
    emit Finished();
}
