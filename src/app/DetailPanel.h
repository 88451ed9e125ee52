#pragma once

#include "findings/FindingRows.h"

#include <QTabWidget>
#include <QThreadPool>

class DetailGrid;
class DocumentListModel;
class INIStorage;
class ProblemsView;

// The place below the list, "DetailTabs": the current document's fields in one tab, the
// problems list in the other, its tab naming how many findings there are. The findings shown
// are the settings' (TAG.INI, the templates, the settings folder), the organisation account's
// and the last reading's, in that order.
class DetailPanel : public QTabWidget {
    Q_OBJECT
public:
    DetailPanel(const DocumentListModel& model, const INIStorage& settings,
                QWidget* parent = nullptr);

    DetailGrid* Grid() const { return m_grid; }
    ProblemsView* Problems() const { return m_problems; }

    void AddSettingsFindings(const FindingList& findings);
    // What the reading said and what the checks found of its documents.
    void SetReadingFindings(FindingList reading, FindingList checks = {});
    // The same joined in the problems list's order, off the window's thread (a hundred thousand
    // findings moved into fresh memory stall it), with room for those the panel puts before
    // them; shown by SetJoinedReadingFindings.
    static FindingList JoinReadingFindings(FindingList reading, FindingList checks);
    void SetJoinedReadingFindings(FindingRows joined);
    // Merges the findings again: the account may have changed meanwhile.
    void ShowFindings();
    void ShowProblems();
    // The problems list on one kind ("пропущен" from the status line) or on the checked
    // documents' findings (from the question before saving).
    void ShowProblemsOf(FindingKind kind);
    void ShowCheckedFindings();
    // The problems list with the first finding of a document made current.
    void ShowDocumentFindings(const QString& sourcePath);

signals:
    void FindingCountChanged(int count);

private:
    // Puts the settings' and the account's findings before these and shows them all; the last
    // reading's findings are let go on a worker.
    void ShowWithHead(FindingRows joined);

    const INIStorage& m_settings;
    DetailGrid* m_grid = nullptr;
    ProblemsView* m_problems = nullptr;
    FindingList m_settingsFindings;
    // The settings' and the account's findings first in the problems list; the reading's and
    // the checks' follow, held only there.
    std::size_t m_headCount = 0;
    // Frees the last reading's findings; waits for that when the panel goes.
    QThreadPool m_freeing;
};
