#include "app/DetailPanel.h"

#include "app/DetailGrid.h"
#include "app/ProblemsView.h"
#include "app/DocumentListModel.h"
#include "checks/OrganisationAccount.h"
#include "checks/SaveReasons.h"

DetailPanel::DetailPanel(const DocumentListModel& model, const INIStorage& settings,
                         QWidget* parent)
    : QTabWidget(parent), m_settings(settings) {
    setObjectName(QStringLiteral("DetailTabs"));
    m_grid = new DetailGrid(model, this);
    m_problems = new ProblemsView(this);
    addTab(m_grid, QStringLiteral("Реквизиты"));
    addTab(m_problems, QStringLiteral("Замечания (0)"));
    connect(m_problems, &ProblemsView::CountChanged, this,
            [this](int shown, int all, bool filtered) {
                setTabText(indexOf(m_problems), ProblemsTitle(shown, all, filtered));
                emit FindingCountChanged(all);
            });
    m_problems->SetCheckedPaths([&model] {
        QSet<QString> checked;
        for (const DocumentRow& row : model.Table().Rows)
            if (row.Checked) checked.insert(row.SourcePath);
        return checked;
    });
    // A check mark changes which rows "только отмеченные" keeps.
    connect(&model, &QAbstractItemModel::dataChanged, m_problems, &ProblemsView::ChecksChanged);
    connect(&model, &QAbstractItemModel::modelReset, m_problems, &ProblemsView::ChecksChanged);
}

void DetailPanel::ShowProblemsOf(FindingKind kind) {
    m_problems->ShowKind(kind);
    ShowProblems();
}

void DetailPanel::ShowCheckedFindings() {
    m_problems->ShowCheckedOnly();
    ShowProblems();
}

void DetailPanel::AddSettingsFindings(const FindingList& findings) {
    m_settingsFindings.insert(m_settingsFindings.end(), findings.begin(), findings.end());
    ShowFindings();
}

void DetailPanel::SetReadingFindings(FindingList findings) {
    m_readingFindings = std::move(findings);
    ShowFindings();
}

void DetailPanel::ShowFindings() {
    FindingList all = m_settingsFindings;
    AddAccountFinding(all, ReadOrganisationAccount(m_settings));
    all.insert(all.end(), m_readingFindings.begin(), m_readingFindings.end());
    m_problems->SetFindings(std::move(all));
}

void DetailPanel::ShowProblems() {
    setCurrentWidget(m_problems);
}

void DetailPanel::ShowDocumentFindings(const QString& sourcePath) {
    m_problems->SelectDocument(sourcePath);
    ShowProblems();
}
