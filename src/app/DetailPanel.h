#pragma once

#include "checks/Findings.h"

#include <QTabWidget>

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
    void SetReadingFindings(FindingList findings);
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
    const INIStorage& m_settings;
    DetailGrid* m_grid = nullptr;
    ProblemsView* m_problems = nullptr;
    FindingList m_settingsFindings;
    FindingList m_readingFindings;
};
