#include "app/ProblemsView.h"

#include "findings/FindingsModel.h"
#include "export/RegisterXlsx.h"
#include "text/SafeWrite.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QSet>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QToolButton>

#include <algorithm>
#include <optional>

// The rows of one kind, or of checked documents, or both.
class ProblemsFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    std::optional<FindingKind> Kind;
    bool CheckedOnly = false;
    QSet<QString> Checked; // the checked documents' row keys, while CheckedOnly

    bool Filtering() const { return Kind || CheckedOnly; }
    void Refilter() { invalidateFilter(); }

protected:
    bool filterAcceptsRow(int row, const QModelIndex&) const override {
        const FindingRows& rows = static_cast<const FindingsModel*>(sourceModel())->Findings();
        if (Kind && rows.KindAt(std::size_t(row)) != *Kind) return false;
        return !CheckedOnly || Checked.contains(rows.SourcePathAt(std::size_t(row)));
    }
};

ProblemsView::ProblemsView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ProblemsPanel"));
    m_model = new FindingsModel(this);
    m_proxy = new ProblemsFilter(this);
    m_proxy->setSourceModel(m_model);
    m_proxy->setSortLocaleAware(true);

    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("ProblemsKind"));
    m_kind->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    FillKinds();
    connect(m_kind, &QComboBox::currentIndexChanged, this, &ProblemsView::ApplyFilter);

    m_checkedOnly = new QCheckBox(QStringLiteral("только отмеченные"), this);
    m_checkedOnly->setObjectName(QStringLiteral("ProblemsCheckedOnly"));
    m_checkedOnly->setToolTip(QStringLiteral("Только замечания к отмеченным документам: к тем, "
                                             "что войдут в выписку"));
    connect(m_checkedOnly, &QCheckBox::toggled, this, &ProblemsView::ApplyFilter);

    m_save = new QToolButton(this);
    m_save->setObjectName(QStringLiteral("ProblemsSave"));
    m_save->setText(QStringLiteral("Сохранить список ..."));
    m_save->setToolTip(
        QStringLiteral("Сохранить замечания, показанные в списке, в файл CSV или в книгу Excel"));
    connect(m_save, &QToolButton::clicked, this, &ProblemsView::SaveCommand);

    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("ProblemsView"));
    m_view->setModel(m_proxy);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setWordWrap(false);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 6);
    m_view->horizontalHeader()->setStretchLastSection(true);
    m_view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder); // as found, at first
    m_view->setSortingEnabled(true);
    m_view->setTabKeyNavigation(false);
    connect(m_view, &QAbstractItemView::activated, this, &ProblemsView::Activate);
    auto* copy = new QAction(m_view);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &ProblemsView::CopySelection);
    m_view->addAction(copy);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(0, 0, 0, 0);
    bar->addWidget(m_kind);
    bar->addWidget(m_checkedOnly);
    bar->addStretch(1);
    bar->addWidget(m_save);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addLayout(bar);
    layout->addWidget(m_view, 1);
}

void ProblemsView::FillKinds() {
    // Each kind with its count, those with none left out; the kind chosen stays while it has any.
    const QVariant chosen = m_kind->currentData();
    const QSignalBlocker quiet(m_kind);
    m_kind->clear();
    m_kind->addItem(QStringLiteral("Все замечания (%1)").arg(m_model->Findings().size()));
    for (const auto& [kind, count] : m_model->Findings().KindCounts())
        m_kind->addItem(QStringLiteral("%1 (%2)").arg(FindingKindText(kind)).arg(count),
                        int(kind));
    m_kind->setCurrentIndex(std::max(0, m_kind->findData(chosen)));
}

void ProblemsView::ApplyFilter() {
    const QVariant kind = m_kind->currentData();
    m_proxy->Kind = kind.isValid() ? std::optional(FindingKind(kind.toInt())) : std::nullopt;
    m_proxy->CheckedOnly = m_checkedOnly->isChecked();
    // Gathered once a change, not looked up a finding at a time: a year has 100,000 of each.
    m_proxy->Checked = m_proxy->CheckedOnly && m_checkedPaths ? m_checkedPaths() : QSet<QString>();
    m_proxy->Refilter();
    emit CountChanged(m_proxy->rowCount(), int(m_model->Findings().size()), m_proxy->Filtering());
}

void ProblemsView::SetCheckedPaths(std::function<QSet<QString>()> checkedPaths) {
    m_checkedPaths = std::move(checkedPaths);
    ApplyFilter();
}

void ProblemsView::ChecksChanged() {
    if (m_proxy->CheckedOnly) ApplyFilter();
}

void ProblemsView::ShowKind(FindingKind kind) {
    m_checkedOnly->setChecked(false);
    m_kind->setCurrentIndex(std::max(0, m_kind->findData(int(kind))));
    ApplyFilter();
}

void ProblemsView::ShowCheckedOnly() {
    m_kind->setCurrentIndex(0);
    m_checkedOnly->setChecked(true);
    ApplyFilter();
}

void ProblemsView::SelectDocument(const QString& sourcePath) {
    const auto find = [&] {
        for (int r = 0; r < m_proxy->rowCount(); ++r)
            if (m_proxy->index(r, 0).data(FindingsModel::SourcePathRole).toString() == sourcePath)
                return m_proxy->index(r, 0);
        return QModelIndex();
    };
    QModelIndex found = find();
    if (!found.isValid() && m_proxy->Filtering()) {
        m_checkedOnly->setChecked(false);
        m_kind->setCurrentIndex(0);
        found = find();
    }
    if (!found.isValid()) return;
    m_view->setCurrentIndex(found);
    m_view->scrollTo(found);
}

void ProblemsView::SetFindings(FindingRows findings) {
    m_model->SetFindings(std::move(findings));
    FillKinds();
    ApplyFilter();
    FitColumns();
    m_save->setEnabled(!m_model->Findings().empty());
}

FindingRows ProblemsView::TakeFindings() {
    FindingRows taken = m_model->TakeFindings();
    FillKinds();
    ApplyFilter();
    m_save->setEnabled(false);
    return taken;
}

void ProblemsView::FitColumns() {
    // A hidden table sizes a column by every row it has, a shown one by the rows in sight and
    // a thousand more: the fit waits for the tab to be shown.
    m_fitPending = !m_view->isVisible();
    if (m_fitPending) return;
    m_view->resizeColumnsToContents();
    // A long reason must not push the others out of sight.
    const int most = std::max(m_view->fontMetrics().horizontalAdvance(QString(24, u'x')),
                              m_view->width() / 3);
    for (int c = 0; c + 1 < m_proxy->columnCount(); ++c)
        m_view->setColumnWidth(c, std::min(m_view->columnWidth(c), most));
}

void ProblemsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_fitPending) FitColumns();
}

const FindingRows& ProblemsView::Rows() const {
    return m_model->Findings();
}

FindingList ProblemsView::Findings() const {
    return m_model->Findings().List();
}

FindingList ProblemsView::ShownFindings() const {
    FindingList shown;
    for (int r = 0; r < m_proxy->rowCount(); ++r)
        shown.push_back(m_model->At(m_proxy->mapToSource(m_proxy->index(r, 0)).row()));
    return shown;
}

QString ProblemsView::SelectedText() const {
    QModelIndexList rows = m_view->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    FindingList selected;
    for (const QModelIndex& index : std::as_const(rows))
        selected.push_back(m_model->At(m_proxy->mapToSource(index).row()));
    return FindingsText(selected);
}

void ProblemsView::CopySelection() const {
    if (m_view->selectionModel()->hasSelection())
        QApplication::clipboard()->setText(SelectedText());
}

void ProblemsView::SetTargetGuard(std::function<QString(const QString& path)> guard) {
    m_targetGuard = std::move(guard);
}

bool ProblemsView::SaveTo(const QString& path, QString* error) const {
    if (const QString refused = m_targetGuard ? m_targetGuard(path) : QString();
        !refused.isEmpty()) {
        if (error) *error = refused;
        return false;
    }
    if (path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive)) {
        const ExportResult result = WriteFindingsXlsx(path, ShownFindings());
        if (!result.Ok && error) *error = result.Error;
        return result.Ok;
    }
    QString why;
    if (WriteFileAtomically(path, FindingsCsv(ShownFindings()), ReadOnlyTarget::Replace, &why))
        return true;
    if (error) *error = QStringLiteral("Не удалось сохранить '%1': %2").arg(path, why);
    return false;
}

void ProblemsView::Activate(const QModelIndex& index) {
    const QString path = index.data(FindingsModel::SourcePathRole).toString();
    if (!path.isEmpty()) emit DocumentRequested(path);
}

void ProblemsView::SaveCommand() {
    QFileDialog dialog(this, QStringLiteral("Сохранить список замечаний"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // A workbook keeps an ИНН or an account as text; a CSV opened in a spreadsheet may not.
    const QString csv = QStringLiteral("CSV (*.csv)"), xlsx = QStringLiteral("Книга Excel (*.xlsx)");
    dialog.setNameFilters({csv, xlsx});
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.selectFile(QStringLiteral("Замечания.csv"));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
        const QString suffix = filter == xlsx ? QStringLiteral("xlsx") : QStringLiteral("csv");
        dialog.setDefaultSuffix(suffix);
        dialog.selectFile(QStringLiteral("Замечания.") + suffix);
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString path = QDir::toNativeSeparators(dialog.selectedFiles().front());
    QString error;
    if (!SaveTo(path, &error))
        QMessageBox::warning(this, QStringLiteral("Список замечаний"),
                             error);
}
