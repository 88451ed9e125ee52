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
#include "export/TemplateFindings.h"
#include "journal/JournalPlace.h"
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

#include <memory>
#include <utility>

namespace {

const QString ProcessingText = QStringLiteral("Обработка ...");
constexpr std::size_t FirstFitSamples = 30;
const QString SortAfterReadingText = QStringLiteral("сортировка после чтения");
constexpr double ColumnWidthTwips = 1200;

} // namespace

Form1::Form1(TextCoder& coder, INIStorage& settings, const QString& configDir, QWidget* parent)
    : QMainWindow(parent), m_coder(coder), m_settings(settings),
      m_configDir(QDir(configDir).absolutePath()), m_rects(DesignFormRects()) {
    m_model = new DocumentListModel(m_table, m_coder, this);
    m_filterModel = new DocumentFilterModel(*m_model, this);
    m_reading = new ReadingController(m_coder, this);
    connect(m_reading, &ReadingController::Progress, this, &Form1::OnReadingProgress);
    connect(m_reading, &ReadingController::Finished, this, &Form1::OnReadingFinished);
    connect(m_model, &DocumentListModel::SortPending, this,
            [this] { ShowNotice(SortAfterReadingText); });
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
    resize(TwipsToPx(DesignClientWidth), TwipsToPx(DesignClientHeight));
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

void Form1::closeEvent(QCloseEvent* event) {
    m_commands->Stop(); // a save cut short writes nothing
    StoreWindowPlacement(*this, m_settings);
    m_list->StoreColumns(m_settings);
    StoreListSplit(m_settings, m_listShare);
    QMainWindow::closeEvent(event);
}

void Form1::LoadColumns() {
    const ColumnMapLoad load = LoadColumnMap(QDir(m_configDir).filePath(QStringLiteral("TAG.INI")));
    m_model->SetColumns(load.Columns);
    for (int c = 0; c < m_model->columnCount(); ++c)
        m_list->setColumnWidth(c, TwipsToPx(ColumnWidthTwips));
    m_list->resizeColumnsToContents(); // the list is empty: fits the header texts
    m_list->RestoreColumns(m_settings);
    m_listShare = ReadListSplit(m_settings).value_or(m_listShare);
    FindingList settings;
    AddSettingsFileFindings(settings, m_configDir);
    settings.insert(settings.end(), load.Findings.begin(), load.Findings.end());
    for (Finding& finding : SettingsFolderFindings(m_configDir, m_coder))
        settings.push_back(std::move(finding));
    m_detail->AddSettingsFindings(settings);
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
    // One command at a time: none while another writes.
    const bool can = !m_table.Rows.empty() && !(m_commands && m_commands->IsRunning()) &&
                     !IsReading();
    m_commandSaveAs->setEnabled(can);
    m_commandPreview->setEnabled(can);
    if (m_saveAction) m_saveAction->setEnabled(can);
    if (m_printRegister) m_printRegister->setEnabled(can);
}

void Form1::OnCommandRunning(bool running) {
    m_model->SetFrozen(running);
    m_optionsBtn->setEnabled(!running); // the command reads the settings
    UpdateSaveEnabled();
    if (!running && m_readAgain && !IsReading()) {
        m_readAgain = false;
        StartReading(m_txtFileIn->text());
    }
}

bool Form1::IsReading() const {
    return m_reading && m_reading->IsReading();
}

void Form1::OnReadTimer() {
    m_readTimer->stop();
    if (IsReading() || m_commands->IsRunning()) {
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
    // The rows are shown as they come; an archive's come in its order, not by name, and a sort
    // chosen is made once all are there.
    const bool archive = DetectSourceKind(path, m_coder) == SourceKind::Zip;
    m_model->SetSortAfterReading(true);
    if (archive || m_model->SortColumn() >= 0) ShowNotice(SortAfterReadingText);
    ReadingController::Shown shown;
    shown.Table = &m_table;
    shown.Add = [this](std::vector<DocumentRow> rows) {
        const bool first = m_table.Rows.empty();
        m_model->AppendRows(std::move(rows));
        // A first fit to a few rows; the reading's end fits them all.
        if (first && !m_table.Rows.empty()) m_list->FitColumns(FirstFitSamples);
    };
    shown.AllThere = [this, archive] {
        m_model->SetSortAfterReading(false);
        m_model->SetFrozen(true); // the checks read the rows meanwhile
        // Beside the checks, off the window's thread: the rows' order, then the filter's index
        // of the rows in it and their totals, taken in when the reading ends.
        auto learnt = std::make_shared<DocumentFilter>();
        auto counted = std::make_shared<DocumentTotals>();
        m_takeLearnt = [this, learnt, counted] {
            m_filterModel->AdoptIndex(std::move(*learnt));
            m_totals->ShowCounted(std::move(*counted));
        };
        return [order = m_model->OrderAfterReading(archive), count = m_totals->CountLater(),
                learnt, counted, &table = m_table] {
            std::vector<std::size_t> placed = order ? order() : std::vector<std::size_t>();
            learnt->Prepare(table, placed);
            *counted = count();
            return placed;
        };
    };
    shown.Join = &DetailPanel::JoinReadingFindings;
    UpdateSaveEnabled(); // nothing to save until the reading has ended
    m_reading->Start(path, m_table.Columns, ReadOrganisation(m_settings),
                     ResolveJournalPlace(m_configDir, m_settings), std::move(shown));
}

void Form1::OnReadingProgress(qint64 done, qint64 total) {
    if (IsReading()) m_statusBar->ShowProgress(done, total);
}

void Form1::OnReadingFinished() {
    ReadingController::Result result = m_reading->Take();
    m_model->SetFrozen(false);
    const ReadingStatus status = ReadingStatusOf(result.Outcome, qint64(m_table.Rows.size()));
    m_model->ApplyOrder(result.Order);
    if (m_takeLearnt) std::exchange(m_takeLearnt, {})();
    m_model->SetLeftOut(result.Outcome.Skipped);
    ShowStatusText(status.Text, status.Colour);
    m_statusBar->SetTextOpensSkipped(!result.Outcome.Skipped.isEmpty());
    QStringList notices;
    if (result.Outcome.Outside > 0) notices << OutsideText(result.Outcome.Outside);
    if (!m_settingsNotice.isEmpty()) notices << std::exchange(m_settingsNotice, {});
    ShowNotice(notices.join(QStringLiteral(" · ")));
    m_commands->SetReadingStopped(result.Outcome.Cancelled);
    m_totals->SetReadingStopped(result.Outcome.Cancelled);
    m_model->SetChecks(std::move(result.Checks));
    m_filterModel->PrepareSoon();
    m_filterBar->SetJournalProblem(m_model->Checks().JournalProblem);
    // After the checks: the duplicates' icons take room in the first column.
    if (!m_table.Rows.empty()) m_list->FitColumns();
    m_detail->SetJoinedReadingFindings(std::move(result.Joined));
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

// ---- cancelling a read

void Form1::CancelReading() {
    if (m_commands->IsRunning()) return m_commands->Stop();
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
