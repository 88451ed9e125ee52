#include "app/DetailPanel.h"

#include "app/DetailGrid.h"
#include "app/ProblemsView.h"
#include "checks/CheckFindings.h"
#include "checks/OrganisationAccount.h"

DetailPanel::DetailPanel(const DocumentListModel& model, const INIStorage& settings,
                         QWidget* parent)
    : QTabWidget(parent), m_settings(settings) {
    setObjectName(QStringLiteral("DetailTabs"));
    m_grid = new DetailGrid(model, this);
    m_problems = new ProblemsView(this);
    addTab(m_grid, QStringLiteral("Реквизиты"));
    addTab(m_problems, QStringLiteral("Замечания (0)"));
    connect(m_problems, &ProblemsView::CountChanged, this, [this](int count) {
        setTabText(indexOf(m_problems), QStringLiteral("Замечания (%1)").arg(count));
        emit FindingCountChanged(count);
    });
}

void DetailPanel::AddSettingsFindings(const FindingList& findings) {
    m_settingsFindings.insert(m_settingsFindings.end(), findings.begin(), findings.end());
    ShowFindings();
}

void DetailPanel::SetReadingFindings(FindingList reading, FindingList checks) {
    m_readingFindings = std::move(reading);
    m_checkFindings = std::move(checks);
    ShowFindings();
}

void DetailPanel::ShowFindings() {
    m_problems->SetFindings(ProblemsList(m_settingsFindings,
                                         AccountFindings(ReadOrganisationAccount(m_settings)),
                                         m_readingFindings, m_checkFindings));
}

void DetailPanel::ShowProblems() {
    setCurrentWidget(m_problems);
}
