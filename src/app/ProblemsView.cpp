#include "app/ProblemsView.h"

#include "findings/FindingsModel.h"
#include "text/SafeWrite.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QToolButton>

#include <algorithm>

ProblemsView::ProblemsView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ProblemsPanel"));
    m_model = new FindingsModel(this);
    m_proxy = new QSortFilterProxyModel(this);
    m_proxy->setSourceModel(m_model);
    m_proxy->setSortLocaleAware(true);
    m_proxy->setFilterKeyColumn(0);
    m_proxy->setFilterRole(FindingsModel::KindRole);

    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("ProblemsKind"));
    m_kind->addItem(QStringLiteral("Все замечания"));
    for (const FindingKind kind : AllFindingKinds())
        m_kind->addItem(FindingKindText(kind), int(kind));
    connect(m_kind, &QComboBox::currentIndexChanged, this, [this](int index) {
        // By the kind itself, whole: kind 1 must not take in kind 10.
        m_proxy->setFilterRegularExpression(
            index <= 0 ? QString() : u'^' + m_kind->itemData(index).toString() + u'$');
    });

    m_save = new QToolButton(this);
    m_save->setObjectName(QStringLiteral("ProblemsSave"));
    m_save->setText(QStringLiteral("Сохранить список ..."));
    m_save->setToolTip(QStringLiteral("Сохранить замечания, показанные в списке, в файл CSV"));
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
    bar->addStretch(1);
    bar->addWidget(m_save);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addLayout(bar);
    layout->addWidget(m_view, 1);
}

void ProblemsView::SetFindings(FindingList findings) {
    m_model->SetFindings(std::move(findings));
    m_view->resizeColumnsToContents();
    // A long reason must not push the others out of sight.
    const int most = std::max(m_view->fontMetrics().horizontalAdvance(QString(24, u'x')),
                              m_view->width() / 3);
    for (int c = 0; c + 1 < m_proxy->columnCount(); ++c)
        m_view->setColumnWidth(c, std::min(m_view->columnWidth(c), most));
    m_save->setEnabled(!m_model->Findings().empty());
    emit CountChanged(int(m_model->Findings().size()));
}

const FindingList& ProblemsView::Findings() const {
    return m_model->Findings();
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

bool ProblemsView::SaveTo(const QString& path, QString* error) const {
    return WriteFileAtomically(path, FindingsCsv(ShownFindings()), ReadOnlyTarget::Replace, error);
}

void ProblemsView::Activate(const QModelIndex& index) {
    const QString path = index.data(FindingsModel::SourcePathRole).toString();
    if (!path.isEmpty()) emit DocumentRequested(path);
}

void ProblemsView::SaveCommand() {
    QFileDialog dialog(this, QStringLiteral("Сохранить список замечаний"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("CSV (*.csv)"));
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.selectFile(QStringLiteral("Замечания.csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString path = QDir::toNativeSeparators(dialog.selectedFiles().front());
    QString error;
    if (!SaveTo(path, &error))
        QMessageBox::warning(this, QStringLiteral("Список замечаний"),
                             QStringLiteral("Не удалось сохранить '%1': %2").arg(path, error));
}
