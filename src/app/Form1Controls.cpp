// The main window's controls and keys, made once at the start.
#include "app/Form1.h"

#include "app/AccountBar.h"
#include "app/DetailGrid.h"
#include "app/DetailPanel.h"
#include "app/DocumentFilterModel.h"
#include "app/DocumentListModel.h"
#include "app/DocumentListView.h"
#include "app/FilterBar.h"
#include "app/OptionsDlg.h"
#include "app/ProblemsView.h"
#include "app/ReadingController.h"
#include "app/SaveDialog.h"
#include "app/SourceDrops.h"
#include "app/SplitButton.h"
#include "app/StatementCommands.h"
#include "app/StatusLine.h"
#include "app/TotalsPanel.h"
#include "app/WindowDragBand.h"
#include "app/WindowPlacement.h"
#include "checks/DocumentChecks.h"
#include "checks/OrganisationAccount.h"
#include "export/SourceGuard.h"
#include "journal/JournalMarks.h"
#include "export/TemplateFindings.h"
#include "reading/ColumnMap.h"
#include "settings/INIStorage.h"
#include "settings/ListColumns.h"
#include "shell/AppInfo.h"
#include "shell/AppResources.h"
#include "shell/FormAbout.h"
#include "shell/RememberedPlaces.h"
#include "text/DateParse.h"
#include "text/TextCoder.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTimeEdit>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString ReadyText = QStringLiteral("Готов к работе ...");

const QKeySequence OpenFileKeys(Qt::CTRL | Qt::Key_O);
const QKeySequence OpenFolderKeys(Qt::CTRL | Qt::SHIFT | Qt::Key_O);
const QKeySequence SaveKeys(Qt::CTRL | Qt::Key_S);
const QKeySequence AboutKeys(Qt::Key_F1);
const QKeySequence QuitKeys(Qt::CTRL | Qt::Key_Q);

// Tab leaves the picker for the next control instead of walking its day, month, year, hour and
// minute; the arrow keys still move between those.
class DatePicker : public QDateTimeEdit {
public:
    using QDateTimeEdit::QDateTimeEdit;

protected:
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
};

// "Открыть (Ctrl+O)": a tooltip that names the shortcut.
QString WithKeys(const QString& text, const QKeySequence& keys) {
    return QStringLiteral("%1 (%2)").arg(text, keys.toString(QKeySequence::NativeText));
}

} // namespace

void Form1::BuildControls() {
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("Client"));
    setCentralWidget(m_client);
    m_client->installEventFilter(this);
    new WindowDragBand(m_client, [this] { return m_txtFileIn->geometry().top(); });

    m_shape1 = new QWidget(m_client);
    m_shape1->setObjectName(QStringLiteral("Shape1"));

    m_alphaLogo = new QLabel(m_client);
    m_alphaLogo->setObjectName(QStringLiteral("AlphaLogo"));
    m_alphaLogo->setAlignment(Qt::AlignCenter);
    m_alphaLogo->setCursor(Qt::PointingHandCursor);
    m_alphaLogo->setToolTip(WithKeys(QStringLiteral("О программе"), AboutKeys));
    m_alphaLogo->installEventFilter(this);

    m_labelW1 = new QLabel(QStringLiteral("&Исходный файл:"), m_client);
    m_labelW1->setObjectName(QStringLiteral("LabelW1"));

    m_txtFileIn = new QLineEdit(m_client);
    m_txtFileIn->setObjectName(QStringLiteral("TxtFileIn"));
    m_txtFileIn->setReadOnly(true);
    auto* drops =
        new SourceDrops([this](const QString& path) { return AcceptsSource(path); }, this);
    drops->Watch(m_txtFileIn);
    connect(drops, &SourceDrops::Dropped, this, &Form1::ChooseSource);
    connect(m_txtFileIn, &QLineEdit::textChanged, this, &Form1::OnSourceTextChanged);

    m_commandOpen = new SplitButton(m_client);
    m_commandOpen->setObjectName(QStringLiteral("CommandOpen"));
    m_commandOpen->setToolTip(WithKeys(QStringLiteral("Открыть"), OpenFileKeys));
    m_commandOpen->setIcon(OpenFolderIcon());
    m_mnuOpn = new QMenu(QStringLiteral("Открыть"), this);
    m_mnuOpn->setObjectName(QStringLiteral("mnuOpn"));
    QAction* openFile = m_mnuOpn->addAction(QStringLiteral("Открыть файл ..."));
    openFile->setObjectName(QStringLiteral("mnuOpenFile"));
    QFont bold = openFile->font();
    bold.setBold(true);
    openFile->setFont(bold);
    m_mnuOpn->setDefaultAction(openFile);
    QAction* openFolder = m_mnuOpn->addAction(QStringLiteral("Открыть папку ..."));
    openFolder->setObjectName(QStringLiteral("mnuOpenFolder"));
    connect(openFile, &QAction::triggered, this, &Form1::OpenFileCommand);
    connect(openFolder, &QAction::triggered, this, &Form1::OpenFolderCommand);
    m_commandOpen->SetMenu(m_mnuOpn);
    connect(m_commandOpen, &QToolButton::clicked, this, &Form1::OpenFileCommand);

    // The list with its filter bar over the grid; the user moves the line between them.
    m_splitter = new QSplitter(Qt::Vertical, m_client);
    m_splitter->setObjectName(QStringLiteral("ListSplitter"));
    m_splitter->setChildrenCollapsible(false);
    auto* listPane = new QWidget(m_splitter);
    listPane->setObjectName(QStringLiteral("ListPane"));
    m_filterBar = new FilterBar(*m_filterModel, listPane);
    m_list = new DocumentListView(*m_filterModel, listPane);
    auto* listLayout = new QVBoxLayout(listPane);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->setSpacing(3);
    listLayout->addWidget(m_filterBar);
    // Exactly the documents the journal does not hold: the new ones checked, the others not.
    connect(m_filterBar, &FilterBar::CheckOnlyNewRequested, this, [this] {
        std::vector<int> fresh, exported;
        for (int r = 0; r < int(m_table.Rows.size()); ++r)
            (m_model->Checks().Exported.contains(m_table.Rows[size_t(r)].SourcePath) ? exported
                                                                                   : fresh)
                .push_back(r);
        m_model->SetRowsChecked(exported, false);
        m_model->SetRowsChecked(fresh, true);
    });
    listLayout->addWidget(m_list, 1);
    drops->Watch(m_list->viewport());
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &Form1::ShowCurrentRowInGrid);
    // A new reading replaces the rows: the grid must not keep a document of the old ones.
    connect(m_model, &QAbstractItemModel::modelReset, this, &Form1::ShowCurrentRowInGrid);
    // Nor one the filter has just hidden.
    connect(m_filterModel, &DocumentFilterModel::FilterChanged, this, &Form1::ShowCurrentRowInGrid);
    // The document's fields and the problems list share the place below the list.
    m_detail = new DetailPanel(*m_model, m_settings, m_splitter);
    m_grid = m_detail->Grid();
    connect(m_detail->Problems(), &ProblemsView::DocumentRequested, this, &Form1::ShowDocument);
    connect(m_list, &DocumentListView::FindingsRequested, m_detail,
            &DetailPanel::ShowDocumentFindings);
    connect(m_splitter, &QSplitter::splitterMoved, this, [this] {
        const QList<int> sizes = m_splitter->sizes();
        if (sizes.size() == 2 && sizes[0] + sizes[1] > 0)
            m_listShare = double(sizes[0]) / (sizes[0] + sizes[1]);
    });

    m_picCont = new QWidget(m_client);
    m_picCont->setObjectName(QStringLiteral("PicCont"));

    m_optionsBtn = new QToolButton(m_picCont);
    m_optionsBtn->setObjectName(QStringLiteral("OptionsBtn"));
    m_optionsBtn->setToolTip(QStringLiteral("Настройки"));
    m_optionsBtn->setIcon(SettingsIcon());
    connect(m_optionsBtn, &QToolButton::clicked, this, &Form1::ShowOptions);

    m_labelW2 = new QLabel(QStringLiteral("&Дата создания выписки:"), m_picCont);
    m_labelW2->setObjectName(QStringLiteral("LabelW2"));

    m_dtPicker = new DatePicker(m_picCont);
    m_dtPicker->setObjectName(QStringLiteral("DTPicker1"));
    m_dtPicker->setDisplayFormat(QStringLiteral("dd.MM.yyyy   HH:mm"));
    m_dtPicker->setCalendarPopup(true);
    connect(m_dtPicker, &QDateTimeEdit::dateChanged, this, &Form1::OnPickerDateChanged);

    m_commandSaveAs = new SplitButton(m_picCont);
    m_commandSaveAs->setObjectName(QStringLiteral("CommandSaveAs"));
    m_commandSaveAs->setText(QStringLiteral("&Сохранить как ..."));
    m_commandSaveAs->setToolTip(WithKeys(QStringLiteral("Сохранить как"), SaveKeys));
    m_commandSaveAs->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_mnuSave = new QMenu(QStringLiteral("Сохранить"), this);
    m_mnuSave->setObjectName(QStringLiteral("mnuSave"));
    m_mnuOpenAfter = m_mnuSave->addAction(QStringLiteral("Перейти к файлу после сохранения"));
    m_mnuOpenAfter->setObjectName(QStringLiteral("mnuOpenAfter"));
    m_mnuOpenAfter->setCheckable(true);
    connect(m_mnuOpenAfter, &QAction::toggled, this, &Form1::OnOpenAfterToggled);
    m_commandSaveAs->SetMenu(m_mnuSave);
    m_commandSaveAs->setEnabled(false);
    connect(m_commandSaveAs, &QToolButton::clicked, this, &Form1::SaveCommand);

    m_statusBar = new StatusLine(ReadyText, this);
    setStatusBar(m_statusBar);
    connect(m_statusBar, &StatusLine::CancelRequested, this, &Form1::CancelReading);
    connect(m_statusBar, &StatusLine::FindingsRequested, m_detail, &DetailPanel::ShowProblems);
    connect(m_statusBar, &StatusLine::SkippedRequested, m_detail,
            [this] { m_detail->ShowProblemsOf(FindingKind::Skipped); });
    connect(m_detail, &DetailPanel::FindingCountChanged, m_statusBar,
            &StatusLine::ShowFindingCount);

    m_commands = new StatementCommands(
        m_table, m_coder, m_settings, m_configDir,
        {*m_txtFileIn, *m_dtPicker, *m_mnuOpenAfter, *m_statusBar, *m_detail->Problems(),
         [this]() -> const DocumentTotals& { return m_totals->Totals(); }},
        this);
    connect(m_commands, &StatementCommands::CheckedFindingsRequested, m_detail,
            &DetailPanel::ShowCheckedFindings);
    // What was just written is marked at once; the next reading asks the journal again.
    connect(m_commands, &StatementCommands::Recorded, this, [this](const QString& path) {
        DocumentChecks checks = m_model->Checks();
        const std::pair<QString, QString> save =
            ExportedTexts(ExportedWhere(path, QDateTime::currentDateTimeUtc()));
        std::vector<std::pair<QString, std::pair<QString, QString>>> marks;
        for (const DocumentRow& row : m_table.Rows)
            if (row.Checked) marks.emplace_back(row.SourcePath, save);
        checks.Exported.Add(marks);
        checks.JournalProblem.clear(); // a journal begun anew knows something now
        m_model->SetChecks(std::move(checks));
        m_filterBar->SetJournalProblem({});
    });
    connect(m_commands, &StatementCommands::RunningChanged, this, &Form1::OnCommandRunning);
    // The problems list is saved past the same guard as the statement.
    m_detail->Problems()->SetTargetGuard([this](const QString& path) {
        return ReplacedSourceText(path, m_txtFileIn->text(), m_table);
    });

    m_readTimer = new QTimer(this);
    m_readTimer->setObjectName(QStringLiteral("ReadTimer"));
    m_readTimer->setSingleShot(true);
    m_readTimer->setInterval(100);
    connect(m_readTimer, &QTimer::timeout, this, &Form1::OnReadTimer);

    const QPixmap logo = LogoPixmap();
    const QRect logoRect = TwipsToPixels(m_rects.AlphaLogo);
    if (!logo.isNull()) {
        m_alphaLogo->setPixmap(
            logo.scaled(logoRect.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
}

void Form1::SetUpKeyboard() {
    const auto addShortcut = [this](QAction* action, const QKeySequence& keys) {
        action->setShortcut(keys);
        action->setToolTip(WithKeys(action->text().remove(QStringLiteral(" ...")), keys));
        addAction(action); // works while its menu is closed
    };
    addShortcut(m_mnuOpn->actions().at(0), OpenFileKeys);
    addShortcut(m_mnuOpn->actions().at(1), OpenFolderKeys);
    m_mnuOpn->setToolTipsVisible(true);

    m_saveAction = new QAction(QStringLiteral("Сохранить как ..."), this);
    m_saveAction->setObjectName(QStringLiteral("SaveAction"));
    m_saveAction->setEnabled(false);
    addShortcut(m_saveAction, SaveKeys);
    connect(m_saveAction, &QAction::triggered, this, &Form1::SaveCommand);

    m_printRegister = m_mnuSave->addAction(QStringLiteral("Печать реестра ..."));
    m_printRegister->setObjectName(QStringLiteral("mnuPrintRegister"));
    addShortcut(m_printRegister, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    connect(m_printRegister, &QAction::triggered, m_commands, &StatementCommands::PrintRegister);

    auto* about = new QAction(QStringLiteral("О программе"), this);
    about->setObjectName(QStringLiteral("AboutAction"));
    addShortcut(about, AboutKeys);
    connect(about, &QAction::triggered, this, &Form1::ShowAbout);

    auto* quit = new QAction(QStringLiteral("Выход"), this);
    quit->setObjectName(QStringLiteral("QuitAction"));
    addShortcut(quit, QuitKeys);
    connect(quit, &QAction::triggered, this, &QWidget::close);

    m_labelW1->setBuddy(m_txtFileIn);
    m_labelW2->setBuddy(m_dtPicker);
    // Tab goes from control to control; the arrows move inside the list and the grid.
    m_list->setTabKeyNavigation(false);
    m_grid->setTabKeyNavigation(false);
    const QList<QWidget*> order{m_txtFileIn,
                                m_commandOpen,
                                m_filterBar->Edit(),
                                m_filterBar->findChild<QWidget*>(QStringLiteral("QuickFilter")),
                                m_list,
                                m_grid,
                                m_optionsBtn,
                                m_dtPicker,
                                m_commandPreview,
                                m_commandSaveAs};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

// ---- totals, checks, preview

void Form1::BuildCheckControls() {
    m_commandPreview = new QToolButton(m_picCont);
    m_commandPreview->setObjectName(QStringLiteral("CommandPreview"));
    m_commandPreview->setText(QStringLiteral("Просмотр"));
    m_commandPreview->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_commandPreview->setToolTip(QStringLiteral("Просмотр выписки (Ctrl+P)"));
    m_commandPreview->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    m_commandPreview->setEnabled(false);
    connect(m_commandPreview, &QToolButton::clicked, this, &Form1::ShowPreview);

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &Form1::CancelReading);

    m_totals = new TotalsPanel(*m_filterModel, m_statusBar);
    m_statusBar->addPermanentWidget(m_totals);
    m_totals->SetOrganisation(ReadOrganisation(m_settings));

    m_accountBar = new AccountBar(m_settings, m_client);
    connect(m_accountBar, &AccountBar::SetAccountRequested, this, &Form1::ShowOptions);
    connect(m_accountBar, &AccountBar::Shown, this, &Form1::ApplyLayout);
}

void Form1::PlacePreviewButton() {
    constexpr int gap = 6;
    const QRect save = m_commandSaveAs->geometry();
    const int width = m_commandPreview->sizeHint().width();
    m_commandPreview->setGeometry(save.left() - gap - width, save.top(), width, save.height());
}
