#pragma once

#include "checks/DocumentChecks.h"
#include "export/SaveCommand.h"
#include "reading/DocumentTable.h"
#include "reading/ReadingRun.h"
#include "shell/FormLayout.h"

#include <QMainWindow>
#include <QPoint>
#include <QTimer>

#include <atomic>
#include <memory>

class AccountBar;
class CheckAllHeader;
class DocumentListModel;
class INIStorage;
class QAction;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QMenu;
class QMimeData;
class QProgressBar;
class QStatusBar;
class QTableView;
class QTableWidget;
class QThread;
class QToolButton;
class TextCoder;

// The main window: the source box, the document list, the detail grid, the statement date and
// the save command. The shared objects are made by the caller and outlive the window.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    Form1(TextCoder& coder, INIStorage& settings, const QString& configDir,
          QWidget* parent = nullptr);
    ~Form1() override;

    // Sets the status line's text; colour is 0x00BBGGRR, or StatusColorUnchanged to keep it.
    void ShowStatusText(const QString& text, qint32 colour);
    // Extra information beside the status line (unreadable files, why a save failed, ...); files
    // left out by a reading are counted and the first of them named.
    void ShowProblems(const QStringList& problems, const QStringList& skipped = {});
    // More problems, after what is shown already.
    void AddProblems(const QStringList& problems);

    // Takes a source as a drop on TxtFileIn would ("vypiska PATH", "Open with"): an existing
    // folder, .xml or .zip file. Anything else is said beside the status line; false then.
    bool OpenSource(const QString& path);

    // Writes the table through the template at templateIndex of the template list; the save
    // command's dialog ends here too.
    bool SaveTo(const QString& path, int templateIndex);

    const DocumentTable& Table() const { return m_table; }
    bool IsReading() const { return m_worker != nullptr; }

    static QColor StatusColour(qint32 colour);

public slots:
    void SaveCommand();
    // The statement the chosen template would write, read-only; its "Сохранить" saves.
    void ShowPreview();
    // Stops a reading run; the rows read so far stay.
    void CancelReading();
    void OpenFileCommand();
    void OpenFolderCommand();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The template is entry templateIndex of the list the user chose from.
    bool SaveWith(const QString& path, const std::vector<TemplateInfo>& templates,
                  int templateIndex);
    void BuildControls();
    void SetUpKeyboard();
    void RestorePlacement();
    void FitGridCaptionColumn();
    void LoadColumns();
    void SetUpGrid();
    void ApplyLayout();
    void FitToFont();
    bool UseNativeDialogs() const;

    void OnSourceTextChanged(const QString& text);
    // A dropped or chosen source: read even when it is the path already in the box.
    void ChooseSource(const QString& path);
    void OnReadTimer();
    void StartReading(const QString& path);
    void OnReadingFinished();
    void OnReadingProgress(qint64 done, qint64 total);
    void UpdateSaveEnabled();

    bool AcceptsDrop(const QMimeData* data, QString* path) const;
    bool AcceptsSource(const QString& path) const;
    void ShowButtonMenu(QToolButton* button);
    void OnHeaderClicked(int section);
    void ShowRowInGrid(int row); // -1: nothing
    void ShowCurrentRowInGrid();
    void OnPickerDateChanged();
    void OnOpenAfterToggled(bool checked);
    void ShowAbout();
    void ShowOptions();
    void PlaceMenuUnder(QMenu* menu, QWidget* button);

    // Totals, checks, preview and cancelling a read.
    void BuildCheckControls();
    void PlacePreviewButton();
    void UpdateTotals();
    // On the reading thread: what the checks find in the rows just read.
    void CheckOutcome(const ColumnMap& columns, const QString& account);
    void ApplyChecks(const QStringList& readingProblems, const QStringList& skipped);
    void MarkGridProblems(int row);
    // The save command with the dialog's file type set to a template (-1: the first).
    void SaveCommandFor(int templateIndex);

    TextCoder& m_coder;
    INIStorage& m_settings;
    QString m_configDir;

    DocumentTable m_table;
    DocumentListModel* m_model = nullptr;
    FormRects m_rects;

    QWidget* m_client = nullptr;
    QLabel* m_alphaLogo = nullptr;
    QLabel* m_labelW1 = nullptr;
    QLineEdit* m_txtFileIn = nullptr;
    QToolButton* m_commandOpen = nullptr;
    QMenu* m_mnuOpn = nullptr;
    QTableView* m_list = nullptr;
    CheckAllHeader* m_header = nullptr;
    QTableWidget* m_grid = nullptr;
    QWidget* m_picCont = nullptr;
    QToolButton* m_optionsBtn = nullptr;
    QLabel* m_labelW2 = nullptr;
    QDateTimeEdit* m_dtPicker = nullptr;
    QToolButton* m_commandSaveAs = nullptr;
    QMenu* m_mnuSave = nullptr;
    QAction* m_mnuOpenAfter = nullptr;
    QAction* m_saveAction = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_statusText = nullptr;
    QLabel* m_statusProblems = nullptr;
    QProgressBar* m_progress = nullptr;
    QWidget* m_shape1 = nullptr;
    QTimer* m_readTimer = nullptr;
    QLabel* m_totals = nullptr;
    QToolButton* m_commandPreview = nullptr;
    QToolButton* m_cancelRead = nullptr;
    AccountBar* m_accountBar = nullptr;

    QThread* m_worker = nullptr;
    ReadingOutcome m_outcome;       // written by the worker, read once it has finished
    DocumentChecks m_outcomeChecks; // likewise
    QStringList m_outcomeReport;
    QString m_readingPath;
    bool m_readAgain = false;
    std::atomic_bool m_cancelReading{false};
    std::shared_ptr<std::atomic_bool> m_progressPosted = std::make_shared<std::atomic_bool>(false);

    QStringList m_problems, m_skipped; // what the problems panel shows
    bool m_settingPicker = false;
    bool m_fittingGrid = false;
    bool m_gridCaptionSetByUser = false;
    QPoint m_dragStart; // in client coordinates; null when no drag is in progress
};
