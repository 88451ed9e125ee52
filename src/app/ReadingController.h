#pragma once

#include "checks/DocumentChecks.h"
#include "checks/CheckFindings.h"
#include "findings/FindingRows.h"
#include "journal/JournalPlace.h"
#include "reading/KeptThreads.h"
#include "reading/ReadingRun.h"

#include <QObject>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

class TextCoder;

// Runs one reading at a time off the window's thread: the rows go to the window in slices as
// they are read, then the checks of all of them run, again off the window's thread, with the
// order the rows take once read. The threads stay for the next reading: its rows then go where
// the last reading's were freed (see KeptThreads).
class ReadingController : public QObject {
    Q_OBJECT
public:
    struct Result {
        ReadingOutcome Outcome; // its rows went to the window
        DocumentChecks Checks;
        FindingList Findings;           // what the checks found
        std::vector<std::size_t> Order; // the rows' order once read; empty: as they are
        FindingRows Joined; // by Shown's Join, the exported documents after
    };
    // The window's side of a run, called on the window's thread.
    struct Shown {
        const DocumentTable* Table = nullptr; // where the rows go; read by the checks
        std::function<void(std::vector<DocumentRow>)> Add; // a slice of rows read
        // Every row is there: the list stops changing until Finished, and gives the order the
        // rows are to take, to be found beside the checks (none: as they are).
        std::function<std::function<std::vector<std::size_t>()>()> AllThere;
        // Joins the reading's findings and the checks' on the checking thread into Result's
        // Joined (both then empty); none: they stay apart.
        std::function<FindingList(FindingList reading, FindingList checks)> Join;
    };

    explicit ReadingController(const TextCoder& coder, QObject* parent = nullptr);
    ~ReadingController() override; // stops a run and waits for it

    bool IsReading() const { return m_running; }
    // Starts a run; ignored while one runs. The organisation is for the checks.
    // The journal marks the documents that went out already.
    void Start(const QString& path, const ColumnMap& columns, const Organisation& org,
               const JournalPlace& journal, Shown shown);
    // The run stops soon; the rows read so far stay.
    void Cancel() { m_cancel = true; }
    // The outcome of the run that has just finished.
    Result Take() { return std::exchange(m_result, {}); }

signals:
    void Progress(qint64 done, qint64 total);
    void Finished();

private:
    void OnRead();
    void OnFinished();

    const TextCoder& m_coder;
    bool m_running = false;
    Shown m_shown;
    Organisation m_org;
    JournalPlace m_journal;
    Result m_result; // written by the worker, read once it has finished
    std::atomic_bool m_cancel{false};
    std::shared_ptr<std::atomic_bool> m_progressPosted = std::make_shared<std::atomic_bool>(false);
    // Ended in this order: the run (cancelled first), then the reading's workers.
    KeptThreads m_readers; // the reading's workers
    KeptThreads m_side{1}; // the reading, then the checks, on one thread
};
