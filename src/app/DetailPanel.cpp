#include "app/DetailPanel.h"

#include "app/DetailGrid.h"
#include "app/ProblemsView.h"
#include "app/DocumentListModel.h"
#include "checks/CheckFindings.h"
#include "checks/OrganisationAccount.h"
#include "checks/SaveReasons.h"

#include <memory>

DetailPanel::DetailPanel(const DocumentListModel& model, const INIStorage& settings,
                         QWidget* parent)
    : QTabWidget(parent), m_settings(settings) {
    m_freeing.setMaxThreadCount(1);
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

namespace {
// Room for the settings' and the account's findings before a joined reading's.
constexpr std::size_t HeadRoom = 64;
} // namespace

FindingList DetailPanel::JoinReadingFindings(FindingList reading, FindingList checks) {
    FindingList joined = ProblemsList({}, {}, std::move(reading), std::move(checks));
    joined.reserve(joined.size() + HeadRoom);
    return joined;
}

void DetailPanel::SetReadingFindings(FindingList reading, FindingList checks) {
    SetJoinedReadingFindings(JoinReadingFindings(std::move(reading), std::move(checks)));
}

void DetailPanel::SetJoinedReadingFindings(FindingRows joined) {
    // A hundred thousand findings take a while to free: a worker lets them go.
    auto old = std::make_shared<FindingRows>(m_problems->TakeFindings());
    m_freeing.start([old = std::move(old)]() mutable { old.reset(); });
    m_headCount = 0;
    ShowWithHead(std::move(joined));
}

void DetailPanel::ShowFindings() {
    FindingRows all = m_problems->TakeFindings();
    FindingList& whole = all.Whole();
    whole.erase(whole.begin(),
                whole.begin() + std::ptrdiff_t(std::min(m_headCount, whole.size())));
    m_headCount = 0;
    ShowWithHead(std::move(all));
}

void DetailPanel::ShowWithHead(FindingRows joined) {
    FindingList head = ProblemsList(m_settingsFindings,
                                    AccountFindings(ReadOrganisationAccount(m_settings)), {}, {});
    m_headCount = head.size();
    // In place when there is room: the rows after are moved, not copied.
    joined.Whole().insert(joined.Whole().begin(), std::make_move_iterator(head.begin()),
                          std::make_move_iterator(head.end()));
    m_problems->SetFindings(std::move(joined));
}

void DetailPanel::ShowProblems() {
    setCurrentWidget(m_problems);
}

void DetailPanel::ShowDocumentFindings(const QString& sourcePath) {
    m_problems->SelectDocument(sourcePath);
    ShowProblems();
}
