#pragma once

#include "checks/DocumentChecks.h"
#include "checks/CheckFindings.h"
#include "findings/Findings.h"
#include "journal/JournalPlace.h"
#include "reading/ReadingRun.h"

#include <QObject>
#include <QStringList>

#include <atomic>
#include <memory>

class QThread;
class TextCoder;

// Runs one reading at a time off the window's thread, with the checks of what it read, and
// hands the outcome back in one piece once it has finished.
class ReadingController : public QObject {
    Q_OBJECT
public:
    struct Result {
        ReadingOutcome Outcome;
        DocumentChecks Checks;
        FindingList Findings; // what the checks found
    };

    explicit ReadingController(const TextCoder& coder, QObject* parent = nullptr);
    ~ReadingController() override; // stops a run and waits for it

    bool IsReading() const { return m_worker != nullptr; }
    // Starts a run; ignored while one runs. The organisation is for the checks.
    // The journal marks the documents that went out already.
    void Start(const QString& path, const ColumnMap& columns, const Organisation& org,
               const JournalPlace& journal = {});
    // The run stops soon; the rows read so far stay.
    void Cancel() { m_cancel = true; }
    // The outcome of the run that has just finished.
    Result Take() { return std::exchange(m_result, {}); }

signals:
    void Progress(qint64 done, qint64 total);
    void Finished();

private:
    void OnFinished();

    const TextCoder& m_coder;
    QThread* m_worker = nullptr;
    Result m_result; // written by the worker, read once it has finished
    std::atomic_bool m_cancel{false};
    std::shared_ptr<std::atomic_bool> m_progressPosted = std::make_shared<std::atomic_bool>(false);
};
