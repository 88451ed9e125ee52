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
#include "checks/OrganisationSide.h"
#include "export/SaveCommand.h"
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

#include <utility>

namespace {

const QString ReadyText = QStringLiteral("Готов к работе ...");
const QString ProcessingText = QStringLiteral("Обработка ...");
constexpr double ColumnWidthTwips = 1200;

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

int Px(double twips) {
    return int(std::lround(twips / TwipsPerPixel));
}

} // namespace

Form1::Form1(TextCoder& coder, INIStorage& settings, const QString& configDir, QWidget* parent)
    : QMainWindow(parent), m_coder(coder), m_settings(settings),
      m_configDir(QDir(configDir).absolutePath()), m_rects(DesignFormRects()) {
    m_model = new DocumentListModel(m_table, m_coder, this);
    m_filterModel = new DocumentFilterModel(*m_model, this);
    m_reading = new ReadingController(m_coder, this);
    connect(m_reading, &ReadingController::Progress, this, &Form1::OnReadingProgress);
    connect(m_reading, &ReadingController::Finished, this, &Form1::OnReadingFinished);
    BuildControls();
    BuildCheckControls();

    // Start-up, in its order: no menu bar (the menus only serve the split buttons), the
    // caption, the size limit and icons, the columns, the grid, the picker, the glass band and
    // the "show after saving" mark.
    setWindowTitle(ProductName());
    QApplication::setApplicationDisplayName(ProductName());
    setMinimumSize(800, 600);
    setWindowIcon(AppIcon());
    LoadColumns();
    m_grid->SetUp();
    m_picCont->setAutoFillBackground(true);
    m_picCont->setBackgroundRole(QPalette::Window);
    m_settingPicker = true;
    m_dtPicker->setDateTime(QDateTime::currentDateTime());
    m_settingPicker = false;
    m_shape1->hide(); // no compositor glass here; the band area stays a drag area
    {
        const QSignalBlocker block(m_mnuOpenAfter);
        m_mnuOpenAfter->setChecked(GotoAfterSaveOn(m_settings));
    }

    SetUpKeyboard();
    resize(Px(DesignClientWidth), Px(DesignClientHeight));
    RestoreWindowPlacement(*this, m_settings);
}

Form1::~Form1() {
    delete m_reading; // the run ends before the table it fills goes
    m_reading = nullptr;
    // The models read m_table, which goes before the widgets do.
    m_list->setModel(nullptr);
    delete m_filterModel;
    delete m_model;
    m_model = nullptr;
}

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
        {*m_txtFileIn, *m_dtPicker, *m_mnuOpenAfter, *m_statusBar, *m_detail->Problems()}, this);
    connect(m_commands, &StatementCommands::CheckedFindingsRequested, m_detail,
            &DetailPanel::ShowCheckedFindings);

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

    auto* printRegister = m_mnuSave->addAction(QStringLiteral("Печать реестра ..."));
    printRegister->setObjectName(QStringLiteral("mnuPrintRegister"));
    addShortcut(printRegister, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    connect(printRegister, &QAction::triggered, m_commands, &StatementCommands::PrintRegister);

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

void Form1::closeEvent(QCloseEvent* event) {
    StoreWindowPlacement(*this, m_settings);
    m_list->StoreColumns(m_settings);
    StoreListSplit(m_settings, m_listShare);
    QMainWindow::closeEvent(event);
}

void Form1::LoadColumns() {
    const ColumnMapLoad load = LoadColumnMap(QDir(m_configDir).filePath(QStringLiteral("TAG.INI")));
    m_model->SetColumns(load.Columns);
    for (int c = 0; c < m_model->columnCount(); ++c)
        m_list->setColumnWidth(c, Px(ColumnWidthTwips));
    m_list->resizeColumnsToContents(); // the list is empty: fits the header texts
    m_list->RestoreColumns(m_settings);
    m_listShare = ReadListSplit(m_settings).value_or(m_listShare);
    FindingList found;
    AddSettingsFileFindings(found, m_configDir);
    for (Finding& finding : ConfigFindings(m_configDir, load.Problems, m_coder))
        found.push_back(std::move(finding));
    m_detail->AddSettingsFindings(std::move(found));
}

void Form1::ApplyLayout() {
    const double W = PixelsToTwips(m_client->width());
    const double H = PixelsToTwips(m_client->height() + m_statusBar->height());
    m_rects.StatusBar1.Height = PixelsToTwips(m_statusBar->height());
    LayoutForm(m_rects, W, H);

    m_alphaLogo->setGeometry(TwipsToPixels(m_rects.AlphaLogo));
    m_labelW1->setGeometry(TwipsToPixels(m_rects.LabelW1));
    m_txtFileIn->setGeometry(TwipsToPixels(m_rects.TxtFileIn));
    m_commandOpen->setGeometry(TwipsToPixels(m_rects.CommandOpen));
    const QRect panes =
        m_accountBar->TakeTop(TwipsToPixels(m_rects.List).united(TwipsToPixels(m_rects.Grid1)));
    m_splitter->setGeometry(panes);
    const int height = std::max(0, panes.height() - m_splitter->handleWidth());
    m_splitter->setSizes({int(height * m_listShare), height - int(height * m_listShare)});
    m_picCont->setGeometry(TwipsToPixels(m_rects.PicCont));
    m_optionsBtn->setGeometry(TwipsToPixels(m_rects.OptionsBtn));
    m_labelW2->setGeometry(TwipsToPixels(m_rects.LabelW2));
    m_dtPicker->setGeometry(TwipsToPixels(m_rects.DTPicker1));
    m_commandSaveAs->setGeometry(TwipsToPixels(m_rects.CommandSaveAs));
    FitToFont();
    m_grid->FitCaptionColumn();
    PlacePreviewButton();
    // Wrapped values stay fully visible at the new width.
    m_grid->resizeRowsToContents();
}

void Form1::FitToFont() {
    // The design's positions assume a narrow 9 pt face. With a wider one the labels, the date
    // picker and the save button keep their whole texts, and what follows them gives way.
    constexpr int gap = 4;
    const auto widen = [](QWidget* w) {
        if (w->sizeHint().width() > w->width()) w->resize(w->sizeHint().width(), w->height());
    };
    widen(m_labelW1);
    const int boxLeft = m_labelW1->x() + m_labelW1->sizeHint().width() + gap;
    if (boxLeft > m_txtFileIn->x()) {
        const QRect box = m_txtFileIn->geometry();
        m_txtFileIn->setGeometry(boxLeft, box.y(), std::max(0, box.right() + 1 - boxLeft),
                                 box.height());
    }
    widen(m_labelW2);
    widen(m_dtPicker);
    const int pickerLeft = m_labelW2->x() + m_labelW2->sizeHint().width() + gap;
    if (pickerLeft > m_dtPicker->x()) m_dtPicker->move(pickerLeft, m_dtPicker->y());
    widen(m_commandSaveAs);
    m_commandSaveAs->move(m_picCont->width() - m_commandSaveAs->width(), m_commandSaveAs->y());
}

void Form1::ShowStatusText(const QString& text, qint32 colour) {
    m_statusBar->ShowText(text, colour);
}

void Form1::ShowNotice(const QString& text) {
    m_statusBar->ShowNotice(text);
}

void Form1::AddFindings(const FindingList& findings) {
    m_detail->AddSettingsFindings(findings);
}

void Form1::ShowDocument(const QString& sourcePath) {
    const int row = m_model->RowOf(sourcePath);
    if (row < 0) return;
    // A finding's document hidden by the filter is shown again: the jump must land on it.
    QModelIndex shown = m_filterModel->mapFromSource(m_model->index(row, 0));
    if (!shown.isValid()) {
        m_filterBar->Clear();
        shown = m_filterModel->mapFromSource(m_model->index(row, 0));
    }
    m_list->setCurrentIndex(shown);
    m_list->scrollTo(shown);
}

// ---- choosing and reading a source

void Form1::OnSourceTextChanged(const QString& text) {
    if (!text.isEmpty() && QFileInfo::exists(text)) m_readTimer->start();
    UpdateSaveEnabled();
}

void Form1::ChooseSource(const QString& path) {
    // The same path sets no new text, so no change would arm the reading: files added to the
    // folder since would never be seen.
    if (m_txtFileIn->text() == path)
        OnSourceTextChanged(path);
    else
        m_txtFileIn->setText(path);
}

void Form1::UpdateSaveEnabled() {
    m_commandSaveAs->setEnabled(!m_table.Rows.empty());
    m_commandPreview->setEnabled(!m_table.Rows.empty());
    if (m_saveAction) m_saveAction->setEnabled(m_commandSaveAs->isEnabled());
}

bool Form1::IsReading() const {
    return m_reading && m_reading->IsReading();
}

void Form1::OnReadTimer() {
    m_readTimer->stop();
    if (IsReading()) {
        // The running read finishes first; then the box is read again.
        m_readAgain = true;
        return;
    }
    StartReading(m_txtFileIn->text());
}

void Form1::StartReading(const QString& path) {
    if (m_table.Columns.empty()) {
        // Without a column map no document has an amount: every file would be left out.
        ShowStatusText(QStringLiteral("Карта колонок '%1' не задает ни одной колонки")
                           .arg(QDir::toNativeSeparators(
                               QDir(m_configDir).filePath(QStringLiteral("TAG.INI")))),
                       StatusColorFailure);
        return;
    }
    setCursor(Qt::BusyCursor);
    // Not yet good nor bad: never in the last message's green or red.
    ShowStatusText(ProcessingText, StatusColorNeutral);
    m_statusBar->SetTextOpensSkipped(false);
    ShowNotice({});
    m_commands->SetReadingStopped(false);
    m_totals->SetReadingStopped(false);
    // Settings that cannot be stored are said once, after this reading, not at every one.
    if (!WriteLastFolder(m_settings, LastFolder::Source, SourceFolder(path)) && !m_userIniWarned) {
        m_userIniWarned = true;
        m_settingsNotice = QStringLiteral("Настройки не сохраняются: не удалось записать '%1'")
                               .arg(QDir::toNativeSeparators(m_settings.UserIniFile()));
    }
    m_detail->SetReadingFindings({});
    m_statusBar->ShowBusy(true);
    m_model->ClearRows();
    UpdateSaveEnabled(); // nothing to save until the new rows arrive
    m_reading->Start(path, m_table.Columns, ReadOrganisation(m_settings));
}

void Form1::OnReadingProgress(qint64 done, qint64 total) {
    if (IsReading()) m_statusBar->ShowProgress(done, total);
}

void Form1::OnReadingFinished() {
    ReadingController::Result result = m_reading->Take();
    m_model->SetRows(std::move(result.Outcome.Rows), result.Outcome.Skipped);
    ShowStatusText(result.Outcome.StatusText, result.Outcome.StatusColor);
    m_statusBar->SetTextOpensSkipped(!result.Outcome.Skipped.isEmpty());
    QStringList notices;
    if (result.Outcome.Outside > 0) notices << OutsideText(result.Outcome.Outside);
    if (!m_settingsNotice.isEmpty()) notices << std::exchange(m_settingsNotice, {});
    ShowNotice(notices.join(QStringLiteral(" · ")));
    m_commands->SetReadingStopped(result.Outcome.Cancelled);
    m_totals->SetReadingStopped(result.Outcome.Cancelled);
    m_model->SetChecks(std::move(result.Checks));
    // After the checks: the duplicates' icons take room in the first column.
    if (!m_table.Rows.empty()) m_list->FitColumns();
    FindingList findings = std::move(result.Outcome.Findings);
    findings.insert(findings.end(), result.Findings.begin(), result.Findings.end());
    m_detail->SetReadingFindings(std::move(findings));
    m_statusBar->ShowBusy(false);
    unsetCursor();
    UpdateSaveEnabled();

    if (m_readAgain) {
        m_readAgain = false;
        StartReading(m_txtFileIn->text());
    }
}

bool Form1::AcceptsSource(const QString& path) const {
    const QFileInfo info(path);
    if (info.isDir()) return true;
    if (!info.isFile()) return false;
    const SourceKind kind = DetectSourceKind(path, m_coder);
    return kind == SourceKind::Zip || kind == SourceKind::Xml;
}

bool Form1::OpenSource(const QString& path) {
    const QString native = QDir::toNativeSeparators(path);
    if (AcceptsSource(native)) {
        ChooseSource(native);
        return true;
    }
    ShowNotice(
        QFileInfo::exists(native)
            ? QStringLiteral("'%1' не открыт: нужен файл .xml, архив .zip или папка").arg(native)
            : QStringLiteral("'%1' не найден").arg(native));
    return false;
}

void Form1::OpenFileCommand() {
    QFileDialog dialog(this);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(QStringLiteral("*.xml; *.zip (*.xml *.zip)"));
    dialog.setDirectory(ReadLastFolder(m_settings, LastFolder::Source));
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (!UseNativeDialogs()) dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    ChooseSource(QDir::toNativeSeparators(dialog.selectedFiles().front()));
}

void Form1::OpenFolderCommand() {
    QFileDialog dialog(this);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setDirectory(ReadLastFolder(m_settings, LastFolder::Source));
    if (!UseNativeDialogs()) dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    ChooseSource(QDir::toNativeSeparators(dialog.selectedFiles().front()));
}

// ---- list, grid and picker

void Form1::ShowCurrentRowInGrid() {
    const QModelIndex current = m_list->selectionModel()->currentIndex();
    m_grid->ShowRow(current.isValid() ? m_filterModel->mapToSource(current).row() : -1);
}

void Form1::OnPickerDateChanged() {
    // A date the user sets counts from midnight; the start-up value keeps its time.
    if (m_settingPicker || !isVisible()) return;
    m_settingPicker = true;
    m_dtPicker->setTime(QTime(0, 0));
    m_settingPicker = false;
}

void Form1::OnOpenAfterToggled(bool checked) {
    if (!m_settings.WriteVal(User, QStringLiteral("GotoAfterSave"), checked ? 1 : 0)) {
        ShowNotice(QStringLiteral("Не удалось записать настройку в '%1'")
                       .arg(QDir::toNativeSeparators(m_settings.UserIniFile())));
    }
}

// ---- saving

void Form1::SaveCommand() {
    m_commands->Save();
}

bool Form1::SaveTo(const QString& path, int templateIndex) {
    return m_commands->SaveTo(path, templateIndex);
}

void Form1::ShowPreview() {
    m_commands->Preview();
}

// ---- totals, checks, preview, cancelling a read

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

void Form1::CancelReading() {
    if (!IsReading()) return;
    m_reading->Cancel();
    m_readAgain = false; // a source chosen meanwhile is dropped with the run
}

// ---- secondary windows

void Form1::ShowAbout() {
    FormAbout about(LogoPixmap(), this);
    about.exec();
}

void Form1::ShowOptions() {
    OptionsDlg options(m_settings, this);
    options.exec();
    m_accountBar->Refresh();
    m_totals->SetOrganisation(ReadOrganisation(m_settings));
    m_detail->ShowFindings();
}

// ---- events

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();

    if (watched == m_client && type == QEvent::Resize) ApplyLayout();

    if (watched == m_alphaLogo && type == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            m_alphaLogo->rect().contains(mouse->position().toPoint())) {
            ShowAbout();
            return true;
        }
    }

    return QMainWindow::eventFilter(watched, event);
}
