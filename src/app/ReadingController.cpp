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
                              const Organisation& org, const JournalPlace& journal) {
    if (m_worker) return;
    m_cancel = false;
    auto posted = m_progressPosted;
    *posted = false;
    m_worker = QThread::create([this, path, columns, org, journal, posted]() {
        ReadingOutcome outcome = RunReading(
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
            &m_cancel);
        DocumentTable read{columns, std::move(outcome.Rows)};
        m_result.Checks = CheckDocuments(read, false, org);
        m_result.Findings = CheckFindings(read, m_result.Checks, org.Inn);
        const FindingList marked = MarkExported(journal, read, m_result.Checks);
        m_result.Findings.insert(m_result.Findings.end(), marked.begin(), marked.end());
        AddDocumentFields(outcome.Findings, read);
        outcome.Rows = std::move(read.Rows);
        m_result.Outcome = std::move(outcome);
    });
    m_worker->setObjectName(QStringLiteral("ReadingThread"));
    connect(m_worker, &QThread::finished, this, &ReadingController::OnFinished);
    m_worker->start();
}

void ReadingController::OnFinished() {
    m_worker->wait();
    delete m_worker;
    m_worker = nullptr;
    emit Finished();
}
