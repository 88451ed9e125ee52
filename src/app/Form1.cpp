#include "app/Form1.h"

#include "app/AccountBar.h"
#include "app/CheckAllHeader.h"
#include "app/DocumentListModel.h"
#include "app/PreviewDlg.h"
#include "app/RegisterPrintDlg.h"
#include "app/SaveQuestions.h"
#include "checks/DocumentChecks.h"
#include "checks/DocumentTotals.h"
#include "checks/OrganisationAccount.h"
#include "export/BuildExportFile.h"
#include "export/RegisterPdf.h"
#include "export/SaveCommand.h"
#include "reading/ColumnMap.h"
#include "reading/ProblemSummary.h"
#include "settings/INIStorage.h"
#include "settings/OptionsDlg.h"
#include "shell/AppInfo.h"
#include "shell/AppResources.h"
#include "shell/FileManager.h"
#include "shell/FormAbout.h"
#include "shell/RememberedPlaces.h"
#include "text/DateParse.h"
#include "text/TextCoder.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTimeEdit>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTableWidget>
#include <QThread>
#include <QToolButton>
#include <QWindow>

namespace {

const QString ReadyText = QStringLiteral("Готов к работе ...");
const QString ProcessingText = QStringLiteral("Обработка ...");
const QColor GridStripeColor(246, 246, 246);
constexpr double GridCaptionWidthTwips = 2000;
constexpr double ColumnWidthTwips = 1200;
// The grid's caption column widens to its longest caption, up to this share of the grid.
constexpr double GridCaptionMaxShare = 0.4;

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

QColor Form1::StatusColour(qint32 colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

Form1::Form1(TextCoder& coder, INIStorage& settings, const QString& configDir, QWidget* parent)
    : QMainWindow(parent), m_coder(coder), m_settings(settings),
      m_configDir(QDir(configDir).absolutePath()), m_rects(DesignFormRects()) {
    m_model = new DocumentListModel(m_table, m_coder, this);
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
    SetUpGrid();
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
    RestorePlacement();
}

Form1::~Form1() {
    if (m_worker) {
        m_cancelReading = true;
        m_worker->wait();
        delete m_worker;
        m_worker = nullptr;
    }
    // The model reads m_table, which goes before the widgets do.
    m_list->setModel(nullptr);
    delete m_model;
    m_model = nullptr;
}

void Form1::BuildControls() {
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("Client"));
    setCentralWidget(m_client);
    m_client->installEventFilter(this);

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
    m_txtFileIn->setAcceptDrops(true);
    m_txtFileIn->installEventFilter(this);
    connect(m_txtFileIn, &QLineEdit::textChanged, this, &Form1::OnSourceTextChanged);

    m_commandOpen = new QToolButton(m_client);
    m_commandOpen->setObjectName(QStringLiteral("CommandOpen"));
    m_commandOpen->setToolTip(WithKeys(QStringLiteral("Открыть"), OpenFileKeys));
    m_commandOpen->setIcon(OpenFolderIcon());
    m_commandOpen->setPopupMode(QToolButton::MenuButtonPopup);
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
    m_commandOpen->setMenu(m_mnuOpn);
    m_mnuOpn->installEventFilter(this);
    connect(m_commandOpen, &QToolButton::clicked, this, &Form1::OpenFileCommand);

    m_list = new QTableView(m_client);
    m_list->setObjectName(QStringLiteral("List"));
    m_header = new CheckAllHeader(m_list);
    m_list->setHorizontalHeader(m_header);
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setShowGrid(false);
    m_list->setWordWrap(false);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 6);
    m_list->setSortingEnabled(false);
    m_header->setSectionsMovable(true);
    m_list->viewport()->setAcceptDrops(true);
    m_list->viewport()->installEventFilter(this);
    connect(m_header, &QHeaderView::sectionClicked, this, &Form1::OnHeaderClicked);
    connect(m_header, &CheckAllHeader::CheckAllToggled, m_model, &DocumentListModel::SetAllChecked);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &Form1::ShowCurrentRowInGrid);
    // A new reading replaces the rows: the grid must not keep a document of the old ones.
    connect(m_model, &QAbstractItemModel::modelReset, this, &Form1::ShowCurrentRowInGrid);

    m_grid = new QTableWidget(m_client);
    m_grid->setObjectName(QStringLiteral("Grid1"));

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

    m_commandSaveAs = new QToolButton(m_picCont);
    m_commandSaveAs->setObjectName(QStringLiteral("CommandSaveAs"));
    m_commandSaveAs->setText(QStringLiteral("&Сохранить как ..."));
    m_commandSaveAs->setToolTip(WithKeys(QStringLiteral("Сохранить как"), SaveKeys));
    m_commandSaveAs->setPopupMode(QToolButton::MenuButtonPopup);
    m_commandSaveAs->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_mnuSave = new QMenu(QStringLiteral("Сохранить"), this);
    m_mnuSave->setObjectName(QStringLiteral("mnuSave"));
    m_mnuOpenAfter = m_mnuSave->addAction(QStringLiteral("Перейти к файлу после сохранения"));
    m_mnuOpenAfter->setObjectName(QStringLiteral("mnuOpenAfter"));
    m_mnuOpenAfter->setCheckable(true);
    connect(m_mnuOpenAfter, &QAction::toggled, this, &Form1::OnOpenAfterToggled);
    m_commandSaveAs->setMenu(m_mnuSave);
    m_mnuSave->installEventFilter(this);
    m_commandSaveAs->setEnabled(false);
    connect(m_commandSaveAs, &QToolButton::clicked, this, &Form1::SaveCommand);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setSizeGripEnabled(true);
    setStatusBar(m_statusBar);
    m_statusText = new QLabel(ReadyText, m_statusBar);
    m_statusText->setObjectName(QStringLiteral("StatusText"));
    QPalette statusPalette = m_statusText->palette();
    statusPalette.setColor(QPalette::WindowText, statusPalette.color(QPalette::ButtonText));
    m_statusText->setPalette(statusPalette);
    m_statusBar->addWidget(m_statusText, 1);
    m_statusProblems = new QLabel(m_statusBar);
    m_statusProblems->setObjectName(QStringLiteral("StatusProblems"));
    m_statusProblems->setMaximumWidth(Px(5000));
    m_statusBar->addWidget(m_statusProblems);
    m_statusProblems->hide();
    m_progress = new QProgressBar(m_statusBar);
    m_progress->setObjectName(QStringLiteral("ReadProgress"));
    m_progress->setMaximumWidth(Px(2400));
    m_progress->setMaximumHeight(m_statusBar->fontMetrics().height() + 2);
    m_progress->setTextVisible(false);
    m_statusBar->addPermanentWidget(m_progress);
    m_progress->hide();

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
    connect(printRegister, &QAction::triggered, this, [this] {
        if (!m_table.Rows.empty())
            RegisterPrintDlg(m_table, m_settings, m_txtFileIn->text(), this).exec();
    });

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
    const QList<QWidget*> order{m_txtFileIn,  m_commandOpen, m_list,           m_grid,
                                m_optionsBtn, m_dtPicker,    m_commandPreview, m_commandSaveAs};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    m_commandOpen->installEventFilter(this);
    m_commandSaveAs->installEventFilter(this);
}

void Form1::RestorePlacement() {
    const std::optional<WindowPlacement> placement = ReadWindowPlacement(m_settings);
    if (!placement) return;
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    const QRect rect = FitToScreens(placement->Normal, screens, minimumSize());
    move(rect.topLeft());
    resize(rect.size());
    if (placement->Maximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void Form1::closeEvent(QCloseEvent* event) {
    const QRect normal = isMaximized() || isFullScreen() ? normalGeometry() : QRect(pos(), size());
    if (normal.isValid()) WriteWindowPlacement(m_settings, {normal, isMaximized()});
    QMainWindow::closeEvent(event);
}

void Form1::LoadColumns() {
    const ColumnMapLoad load = LoadColumnMap(QDir(m_configDir).filePath(QStringLiteral("TAG.INI")));
    m_model->SetColumns(load.Columns);
    for (int c = 0; c < m_model->columnCount(); ++c)
        m_list->setColumnWidth(c, Px(ColumnWidthTwips));
    m_list->resizeColumnsToContents(); // the list is empty: fits the header texts
    ShowProblems(load.Problems);
}

void Form1::SetUpGrid() {
    m_grid->setColumnCount(2);
    m_grid->setRowCount(int(m_table.Columns.size()));
    m_grid->setHorizontalHeaderLabels({QStringLiteral("Реквизит"), QStringLiteral("Значение")});
    m_grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_grid->verticalHeader()->hide();
    m_grid->setColumnWidth(0, Px(GridCaptionWidthTwips));
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section) {
        if (section == 0 && !m_fittingGrid) m_gridCaptionSetByUser = true;
    });
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Interactive);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_grid->setWordWrap(true);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setAlternatingRowColors(true);
    QPalette palette = m_grid->palette();
    palette.setColor(QPalette::AlternateBase, GridStripeColor);
    m_grid->setPalette(palette);
    m_grid->setEnabled(false);
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
    m_list->setGeometry(m_accountBar->TakeTop(TwipsToPixels(m_rects.List)));
    m_grid->setGeometry(TwipsToPixels(m_rects.Grid1));
    m_picCont->setGeometry(TwipsToPixels(m_rects.PicCont));
    m_optionsBtn->setGeometry(TwipsToPixels(m_rects.OptionsBtn));
    m_labelW2->setGeometry(TwipsToPixels(m_rects.LabelW2));
    m_dtPicker->setGeometry(TwipsToPixels(m_rects.DTPicker1));
    m_commandSaveAs->setGeometry(TwipsToPixels(m_rects.CommandSaveAs));
    FitToFont();
    FitGridCaptionColumn();
    PlacePreviewButton();
    // Wrapped values stay fully visible at the new width.
    m_grid->resizeRowsToContents();
}

void Form1::FitGridCaptionColumn() {
    // As designed, unless the captions need more and the grid has it; a width the user dragged
    // stays.
    if (m_gridCaptionSetByUser) return;
    int needed = m_grid->horizontalHeader()->sectionSizeHint(0);
    const QFontMetrics metrics(m_grid->font());
    const int padding = 2 * m_grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8;
    for (const ColumnDef& column : m_table.Columns)
        needed = std::max(needed, metrics.horizontalAdvance(column.Caption) + padding);
    const int most = int(m_grid->width() * GridCaptionMaxShare);
    const int width = std::max(Px(GridCaptionWidthTwips), std::min(needed, most));
    if (width == m_grid->columnWidth(0)) return;
    m_fittingGrid = true;
    m_grid->setColumnWidth(0, width);
    m_fittingGrid = false;
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

bool Form1::UseNativeDialogs() const {
    return !QCoreApplication::testAttribute(Qt::AA_DontUseNativeDialogs) &&
           qEnvironmentVariableIsEmpty("VYPISKA_NO_NATIVE_DIALOGS");
}

void Form1::ShowStatusText(const QString& text, qint32 colour) {
    m_statusText->setText(text);
    if (colour != StatusColorUnchanged) {
        QPalette palette = m_statusText->palette();
        palette.setColor(QPalette::WindowText, StatusColour(colour));
        m_statusText->setPalette(palette);
    }
}

void Form1::AddProblems(const QStringList& problems) {
    if (!problems.isEmpty()) ShowProblems(m_problems + problems, m_skipped);
}

void Form1::ShowProblems(const QStringList& problems, const QStringList& skipped) {
    m_problems = problems;
    m_skipped = skipped;
    const ProblemSummaryTexts panel = ProblemSummary(problems, skipped);
    if (panel.Text.isEmpty()) {
        m_statusProblems->clear();
        m_statusProblems->setToolTip({});
        m_statusProblems->hide();
        return;
    }
    m_statusProblems->setText(
        m_statusProblems->fontMetrics().elidedText(panel.Text, Qt::ElideMiddle, Px(5000)));
    m_statusProblems->setToolTip(panel.ToolTip);
    m_statusProblems->show();
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

void Form1::OnReadTimer() {
    m_readTimer->stop();
    if (m_worker) {
        // The running read finishes first; then the box is read again.
        m_readAgain = true;
        return;
    }
    StartReading(m_txtFileIn->text());
}

void Form1::StartReading(const QString& path) {
    m_readingPath = path;
    WriteLastFolder(m_settings, LastFolder::Source, SourceFolder(path));
    m_cancelReading = false;
    setCursor(Qt::BusyCursor);
    ShowStatusText(ProcessingText, StatusColorUnchanged);
    ShowProblems({});
    m_progress->setRange(0, 0);
    m_progress->show();
    m_cancelRead->show();
    m_model->ClearRows();
    UpdateSaveEnabled(); // nothing to save until the new rows arrive

    const ColumnMap columns = m_table.Columns;
    const QString account = ReadOrganisationAccount(m_settings);
    const TextCoder& coder = m_coder;
    auto posted = m_progressPosted;
    *posted = false;
    m_worker = QThread::create([this, path, columns, account, &coder, posted]() {
        m_outcome = RunReading(
            path, columns, coder,
            [this, posted](qint64 done, qint64 total) {
                // One progress event in flight at a time, however fast the files go by.
                if (!posted->exchange(true)) {
                    QMetaObject::invokeMethod(
                        this,
                        [this, posted, done, total] {
                            *posted = false;
                            OnReadingProgress(done, total);
                        },
                        Qt::QueuedConnection);
                }
                return !m_cancelReading.load();
            },
            &m_cancelReading);
        CheckOutcome(columns, account);
    });
    m_worker->setObjectName(QStringLiteral("ReadingThread"));
    connect(m_worker, &QThread::finished, this, &Form1::OnReadingFinished);
    m_worker->start();
}

void Form1::OnReadingProgress(qint64 done, qint64 total) {
    if (!m_worker || total <= 0) return;
    m_progress->setRange(0, 1000);
    m_progress->setValue(int(1000 * done / total));
}

void Form1::OnReadingFinished() {
    m_worker->wait();
    delete m_worker;
    m_worker = nullptr;
    ReadingOutcome outcome = std::move(m_outcome);
    m_outcome = {};

    m_model->SetRows(std::move(outcome.Rows));
    if (!m_table.Rows.empty()) {
        m_header->SetChecked(true); // every new row is checked
        m_list->resizeColumnsToContents();
    }
    ShowStatusText(outcome.StatusText, outcome.StatusColor);
    ApplyChecks(outcome.Problems, outcome.Skipped);
    m_progress->hide();
    m_cancelRead->hide();
    unsetCursor();
    UpdateSaveEnabled();

    if (m_readAgain) {
        m_readAgain = false;
        StartReading(m_txtFileIn->text());
    }
}

bool Form1::AcceptsDrop(const QMimeData* data, QString* path) const {
    if (!data || !data->hasUrls() || data->urls().isEmpty()) return false;
    // Only the first dropped item counts.
    const QUrl url = data->urls().front();
    if (!url.isLocalFile()) return false;
    const QString candidate = QDir::toNativeSeparators(url.toLocalFile());
    if (!AcceptsSource(candidate)) return false;
    if (path) *path = candidate;
    return true;
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
    ShowProblems(
        {QFileInfo::exists(native)
             ? QStringLiteral("'%1' не открыт: нужен файл .xml, архив .zip или папка").arg(native)
             : QStringLiteral("'%1' не найден").arg(native)});
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

void Form1::OnHeaderClicked(int section) {
    m_model->SortByColumn(section);
    // The header flips its arrow on every click by itself; show the one sort we keep.
    const int sorted = m_model->SortColumn();
    m_header->setSortIndicatorShown(sorted >= 0);
    if (sorted >= 0) m_header->setSortIndicator(sorted, Qt::AscendingOrder);
}

void Form1::ShowCurrentRowInGrid() {
    const QModelIndex current = m_list->selectionModel()->currentIndex();
    ShowRowInGrid(current.isValid() ? current.row() : -1);
}

void Form1::ShowRowInGrid(int row) {
    if (row < 0 || row >= int(m_table.Rows.size())) {
        m_grid->clearContents();
        return;
    }
    const DocumentRow& document = m_table.Rows[std::size_t(row)];
    m_grid->setUpdatesEnabled(false);
    m_grid->clearContents();
    m_grid->setRowCount(int(m_table.Columns.size()));
    for (int c = 0; c < int(m_table.Columns.size()); ++c) {
        auto* caption = new QTableWidgetItem(m_table.Columns[std::size_t(c)].Caption);
        caption->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        m_grid->setItem(c, 0, caption);
        auto* value = new QTableWidgetItem(document.DisplayText(c));
        value->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        m_grid->setItem(c, 1, value);
    }
    MarkGridProblems(row);
    m_grid->resizeRowsToContents();
    m_grid->setUpdatesEnabled(true);
    m_grid->setEnabled(true);
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
        ShowProblems({QStringLiteral("Не удалось записать настройку в '%1'")
                          .arg(QDir::toNativeSeparators(m_settings.UserIniFile()))});
    }
}

// ---- saving

void Form1::SaveCommand() {
    SaveCommandFor(-1);
}

void Form1::SaveCommandFor(int templateIndex) {
    const std::vector<TemplateInfo> templates =
        WithRegisterTypes(TemplateList(m_configDir, m_coder));
    if (templates.front().Register != RegisterFormat::None) {
        ShowStatusText(QStringLiteral("Нет ни одного шаблона (*.tpl) в папке '%1'")
                           .arg(QDir::toNativeSeparators(m_configDir)),
                       StatusColorFailure);
        return;
    }
    if (!ConfirmEmptyStatement(this, m_table)) return;
    const QStringList filters = SaveDialogNameFilters(templates);
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!UseNativeDialogs()) dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setNameFilters(filters);
    // The first type is preselected, or the preview's; the name and the added extension follow
    // the type shown.
    const std::size_t shown =
        templateIndex > 0 && templateIndex < int(templates.size()) ? std::size_t(templateIndex) : 0;
    dialog.selectNameFilter(filters[qsizetype(shown)]);
    dialog.setDefaultSuffix(templates[shown].Extension);
    dialog.setDirectory(SaveDialogFolder(m_settings, m_txtFileIn->text()));
    dialog.selectFile(SuggestedFileName(m_txtFileIn->text(), templates[shown].Extension, m_coder));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
        const qsizetype index = filters.indexOf(filter);
        if (index < 0) return;
        const QString extension = templates[size_t(index)].Extension;
        dialog.setDefaultSuffix(extension);
        // With no name in the box the dialog reports its folder: nothing to rename then.
        const QFileInfo typed(dialog.selectedFiles().value(0));
        if (!typed.fileName().isEmpty() && !typed.isDir())
            dialog.selectFile(NameForFileType(typed.fileName(), templates, extension));
    });
    // A statement never replaces its own source: say so and ask again.
    QString refused;
    do {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
        refused = ReplacedSourceText(dialog.selectedFiles().front(), m_txtFileIn->text(), m_table);
        if (!refused.isEmpty()) QMessageBox::warning(&dialog, windowTitle(), refused);
    } while (!refused.isEmpty());
    // The chosen file type names the template, whatever extension was typed.
    const int index = std::max(0, int(filters.indexOf(dialog.selectedNameFilter())));
    const QString account = ReadOrganisationAccount(m_settings);
    if (!ConfirmStatementAccount(this,
                                 TemplateAccountProblem(account, templates[size_t(index)].Path)))
        return;
    SaveWith(QDir::toNativeSeparators(dialog.selectedFiles().front()), templates, index);
}

bool Form1::SaveTo(const QString& path, int templateIndex) {
    return SaveWith(path, TemplateList(m_configDir, m_coder), templateIndex);
}

bool Form1::SaveWith(const QString& path, const std::vector<TemplateInfo>& templates,
                     int templateIndex) {
    if (templateIndex < 0 || templateIndex >= int(templates.size())) {
        ShowStatusText(SaveFailureText, StatusColorFailure);
        ShowProblems({QStringLiteral("Шаблон не найден в папке '%1'")
                          .arg(QDir::toNativeSeparators(m_configDir))});
        return false;
    }
    if (const QString refused = ReplacedSourceText(path, m_txtFileIn->text(), m_table);
        !refused.isEmpty()) {
        ShowStatusText(SaveFailureText, StatusColorFailure);
        ShowProblems({refused});
        return false;
    }
    ExportResult result;
    try {
        FormatSettings formats;
        const TemplateInfo& type = templates[std::size_t(templateIndex)];
        result = type.Register != RegisterFormat::None
                     ? WriteRegister(path, type.Register, m_table, m_settings,
                                     QDateTime::currentDateTime())
                     : BuildExportFile(path, m_table, type.Path,
                                       OleDateFromDateTime(m_dtPicker->dateTime()), m_settings,
                                       m_coder, formats);
    } catch (const std::exception& e) {
        result.Ok = false;
        result.Error = QStringLiteral("%1: %2").arg(path, QString::fromUtf8(e.what()));
    }
    if (!result.Ok) {
        ShowStatusText(SaveFailureText, StatusColorFailure);
        ShowProblems({result.Error.isEmpty() ? path : result.Error});
        return false;
    }
    ShowStatusText(SaveSuccessText(qint64(m_table.Rows.size()), path), StatusColorSuccess);
    ShowProblems(result.Problems);
    WriteLastFolder(m_settings, LastFolder::Statement,
                    QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
    if (m_mnuOpenAfter->isChecked()) ShowInFileManager(path);
    return true;
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

    m_cancelRead = new QToolButton(m_statusBar);
    m_cancelRead->setObjectName(QStringLiteral("CancelReading"));
    m_cancelRead->setText(QStringLiteral("✕"));
    m_cancelRead->setToolTip(QStringLiteral("Остановить чтение (Esc)"));
    m_cancelRead->setAutoRaise(true);
    m_cancelRead->setMaximumHeight(m_progress->maximumHeight() + 4);
    m_statusBar->addPermanentWidget(m_cancelRead);
    m_cancelRead->hide();
    connect(m_cancelRead, &QToolButton::clicked, this, &Form1::CancelReading);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &Form1::CancelReading);

    m_totals = new QLabel(m_statusBar);
    m_totals->setObjectName(QStringLiteral("TotalsPanel"));
    m_statusBar->addPermanentWidget(m_totals);
    m_totals->hide();
    // A long path in the status text gives way to the totals, not the other way round.
    m_statusText->setMinimumWidth(1);
    m_statusProblems->setMinimumWidth(1);
    // Every check box, the check-all box and every new reading.
    connect(m_model, &QAbstractItemModel::dataChanged, this, &Form1::UpdateTotals);
    connect(m_model, &QAbstractItemModel::modelReset, this, &Form1::UpdateTotals);

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

void Form1::UpdateTotals() {
    const DocumentTotals totals = ComputeTotals(m_table, ReadOrganisationAccount(m_settings));
    m_totals->setText(TotalsText(totals));
    // A sum that leaves amounts out must not pass for the whole one.
    QPalette palette = m_statusBar->palette();
    if (!totals.Exact()) palette.setColor(QPalette::WindowText, StatusColour(StatusColorFailure));
    m_totals->setPalette(palette);
    m_totals->setToolTip(
        totals.Exact()
            ? QStringLiteral("Отмеченные документы, все документы и сумма отмеченных")
            : QStringLiteral("Суммы, которые нельзя сложить точно (не число, доли копейки), в "
                             "итог не вошли: они названы в списке замечаний"));
    m_totals->setVisible(!m_table.Rows.empty());
}

void Form1::CheckOutcome(const ColumnMap& columns, const QString& account) {
    DocumentTable read{columns, std::move(m_outcome.Rows)};
    m_outcomeChecks = CheckDocuments(read, false, account);
    m_outcomeReport = CheckReport(read, m_outcomeChecks);
    m_outcome.Rows = std::move(read.Rows);
}

void Form1::ApplyChecks(const QStringList& readingProblems, const QStringList& skipped) {
    DocumentChecks checks = std::exchange(m_outcomeChecks, {});
    QStringList problems = readingProblems + std::exchange(m_outcomeReport, {});
    ShowProblems(problems, skipped);
    // A year of documents may bring thousands of lines: a tooltip of them all would not fit on
    // any screen, and every failing value is tinted in the list anyway.
    constexpr qsizetype TipLines = 300;
    if (problems.size() > TipLines) {
        const qsizetype more = problems.size() - TipLines;
        problems.resize(TipLines);
        problems << QStringLiteral("… и ещё %1 (отмечены в списке)").arg(more);
        m_statusProblems->setToolTip(problems.join(u'\n'));
    }
    m_model->SetChecks(std::move(checks));
}

void Form1::MarkGridProblems(int row) {
    const DocumentRow& document = m_table.Rows[std::size_t(row)];
    for (int c = 0; c < m_grid->rowCount(); ++c) {
        QTableWidgetItem* value = m_grid->item(c, 1);
        const QString tip = m_model->ProblemTip(document, c);
        if (!value || tip.isEmpty()) continue;
        value->setBackground(DocumentListModel::ProblemColor);
        value->setToolTip(tip);
    }
}

void Form1::ShowPreview() {
    if (m_table.Rows.empty()) return;
    const std::vector<TemplateInfo> templates = TemplateList(m_configDir, m_coder);
    if (templates.empty()) return SaveCommand(); // which says where templates belong
    const double when = OleDateFromDateTime(m_dtPicker->dateTime());
    auto build = [this, when](const TemplateInfo& info, QByteArray* bytes, QString* error) {
        FormatSettings formats;
        const ExportResult result =
            BuildExportBytes(*bytes, m_table, info.Path, when, m_settings, m_coder, formats);
        if (!result.Ok) *error = result.Error;
        return result.Ok;
    };
    const QString account = ReadOrganisationAccount(m_settings);
    PreviewDlg preview(templates, 0, build, TotalsText(ComputeTotals(m_table, account)), this);
    preview.SetNotice(
        [account](const TemplateInfo& info) { return TemplateAccountProblem(account, info.Path); });
    int saveWith = -1;
    connect(&preview, &PreviewDlg::SaveRequested, this,
            [&saveWith](int index) { saveWith = index; });
    preview.exec();
    if (saveWith >= 0) SaveCommandFor(saveWith);
}

void Form1::CancelReading() {
    if (!m_worker) return;
    m_cancelReading = true;
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
    UpdateTotals();
}

void Form1::ShowButtonMenu(QToolButton* button) {
    if (button->isEnabled()) button->showMenu();
}

void Form1::PlaceMenuUnder(QMenu* menu, QWidget* button) {
    // Right-aligned with the button's right edge, just below it.
    const QPoint corner = button->mapToGlobal(QPoint(button->width(), button->height()));
    menu->move(corner.x() - menu->sizeHint().width(), corner.y());
}

// ---- events

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();

    if (watched == m_client) {
        if (type == QEvent::Resize) {
            ApplyLayout();
        } else if (type == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint pos = mouse->position().toPoint();
            // The bare band above the source box moves the window.
            if (mouse->button() == Qt::LeftButton && pos.y() > 0 &&
                pos.y() < m_txtFileIn->geometry().top()) {
                QWindow* window = windowHandle();
                if (!(window && window->startSystemMove())) m_dragStart = pos;
                return true;
            }
        } else if (type == QEvent::MouseMove) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (m_dragStart.y() > 0 && (mouse->buttons() & Qt::LeftButton)) {
                move(pos() + mouse->position().toPoint() - m_dragStart);
                return true;
            }
        } else if (type == QEvent::MouseButtonRelease) {
            m_dragStart = {};
        }
        return QMainWindow::eventFilter(watched, event);
    }

    if (watched == m_alphaLogo && type == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            m_alphaLogo->rect().contains(mouse->position().toPoint())) {
            ShowAbout();
            return true;
        }
    }

    if (watched == m_commandOpen || watched == m_commandSaveAs) {
        // The menus of the split buttons open from the keyboard too: Alt+Down, the menu key.
        auto* button = static_cast<QToolButton*>(watched);
        if (type == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Down && key->modifiers() == Qt::AltModifier) ||
                key->key() == Qt::Key_Menu) {
                ShowButtonMenu(button);
                return true;
            }
        } else if (type == QEvent::ContextMenu &&
                   static_cast<QContextMenuEvent*>(event)->reason() ==
                       QContextMenuEvent::Keyboard) {
            ShowButtonMenu(button);
            return true;
        }
    }

    if ((watched == m_mnuOpn || watched == m_mnuSave) && type == QEvent::Show) {
        PlaceMenuUnder(static_cast<QMenu*>(watched), watched == m_mnuOpn
                                                         ? static_cast<QWidget*>(m_commandOpen)
                                                         : static_cast<QWidget*>(m_commandSaveAs));
    }

    if (watched == m_txtFileIn || watched == m_list->viewport()) {
        if (type == QEvent::DragEnter || type == QEvent::DragMove) {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (AcceptsDrop(drag->mimeData(), nullptr)) {
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            } else {
                drag->ignore();
            }
            return true;
        }
        if (type == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            QString path;
            if (AcceptsDrop(drop->mimeData(), &path)) {
                ChooseSource(path);
                drop->setDropAction(Qt::CopyAction);
                drop->accept();
            } else {
                drop->ignore();
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
