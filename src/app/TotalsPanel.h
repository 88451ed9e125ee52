#pragma once

#include "checks/DocumentTotals.h"

#include <QLabel>

#include <functional>

class DocumentFilterModel;

// Beside the status line: how many documents are checked, of how many, and their sum; with a
// filter on, how many are shown and how many checked ones it hides. The sum always takes every
// checked document, shown or not, as the statement does.
class TotalsPanel : public QLabel {
    Q_OBJECT
public:
    TotalsPanel(const DocumentFilterModel& shown, QWidget* parent = nullptr);

    const DocumentTotals& Totals() const { return m_totals; }
    // Counts the checked documents and their sum again, then shows them.
    void Update();
    // Counts the documents as they stand, to be run off the window's thread while the table does
    // not change; ShowCounted shows the count.
    std::function<DocumentTotals()> CountLater();
    // Shows totals that CountLater counted, or counts again when the organisation changed since.
    void ShowCounted(DocumentTotals totals);
    // The organisation, which tells incoming from outgoing payments.
    void SetOrganisation(const Organisation& org);
    // The documents are what a stopped reading had read: the totals say so.
    void SetReadingStopped(bool stopped);

private:
    // Shows the totals last counted: a change of the filter changes only what is shown.
    void Show();

    const DocumentFilterModel& m_shown;
    DocumentTotals m_totals;
    Organisation m_org;
    Organisation m_countingOrg; // what CountLater counted by
    bool m_stopped = false;
};
