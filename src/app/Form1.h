#pragma once

#include "checks/DocumentChecks.h"
#include "findings/Findings.h"
#include "reading/DocumentTable.h"
#include "presentation/ReadingStatus.h"
#include "reading/ReadingRun.h"
#include "shell/FormLayout.h"

#include <QMainWindow>
#include <QPoint>
#include <QTimer>

#include <functional>

class AccountBar;
class DetailGrid;
class DetailPanel;
class DocumentFilterModel;
class DocumentListModel;
class DocumentListView;
class FilterBar;
class ReadingController;
class SplitButton;
class StatementCommands;
class StatusLine;
class TotalsPanel;
class INIStorage;
class QAction;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QMenu;
class QSplitter;
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
    // A message beside the status line that is no finding (why a save failed, ...); empty: none.
    void ShowNotice(const QString& text);
    // Settings findings made outside the window (the settings folder), kept with TAG.INI's.
    void AddFindings(const FindingList& findings);

    // Takes a source as a drop on TxtFileIn would ("vypiska PATH", "Open with"): an existing
    // folder, .xml or .zip file. Anything else is said beside the status line; false then.
    bool OpenSource(const QString& path);

    // Writes the table through the file type at templateIndex of the save dialog's (the
    // templates, then the registers); the save command's dialog ends here too.
    bool SaveTo(const QString& path, int templateIndex);

    const DocumentTable& Table() const { return m_table; }
    bool IsReading() const;

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
    void BuildControls();
    void SetUpKeyboard();
    void LoadColumns();
    void ApplyLayout();
    void FitToFont();

    void OnSourceTextChanged(const QString& text);
    // A dropped or chosen source: read even when it is the path already in the box.
    void ChooseSource(const QString& path);
    void OnReadTimer();
    void StartReading(const QString& path);
    void OnReadingFinished();
    void OnReadingProgress(qint64 done, qint64 total);
    void UpdateSaveEnabled();
    // A save, a register or the printed register's preparation runs or has ended.
    void OnCommandRunning(bool running);

    bool AcceptsSource(const QString& path) const;
    void ShowCurrentRowInGrid();
    void OnPickerDateChanged();
    void OnOpenAfterToggled(bool checked);
    void ShowAbout();
    void ShowOptions();

    // Totals, checks, preview and cancelling a read.
    void BuildCheckControls();
    void PlacePreviewButton();
    void ShowDocument(const QString& sourcePath);

    TextCoder& m_coder;
    INIStorage& m_settings;
    QString m_configDir;

    DocumentTable m_table;
    bool m_userIniWarned = false; // USER.INI could not be written, and the user was told
    QString m_settingsNotice;     // that, to be said when the reading has ended
    DocumentListModel* m_model = nullptr;
    FormRects m_rects;

    QWidget* m_client = nullptr;
    QLabel* m_alphaLogo = nullptr;
    QLabel* m_labelW1 = nullptr;
    QLineEdit* m_txtFileIn = nullptr;
    SplitButton* m_commandOpen = nullptr;
    QMenu* m_mnuOpn = nullptr;
    DocumentFilterModel* m_filterModel = nullptr;
    QSplitter* m_splitter = nullptr;
    FilterBar* m_filterBar = nullptr;
    DocumentListView* m_list = nullptr;
    DetailGrid* m_grid = nullptr;
    double m_listShare = 0.6; // of the splitter's height, the list's
    QWidget* m_picCont = nullptr;
    QToolButton* m_optionsBtn = nullptr;
    QLabel* m_labelW2 = nullptr;
    QDateTimeEdit* m_dtPicker = nullptr;
    SplitButton* m_commandSaveAs = nullptr;
    QMenu* m_mnuSave = nullptr;
    QAction* m_mnuOpenAfter = nullptr;
    QAction* m_saveAction = nullptr;
    QAction* m_printRegister = nullptr;
    StatusLine* m_statusBar = nullptr;
    DetailPanel* m_detail = nullptr;
    StatementCommands* m_commands = nullptr;
    QWidget* m_shape1 = nullptr;
    QTimer* m_readTimer = nullptr;
    TotalsPanel* m_totals = nullptr;
    QToolButton* m_commandPreview = nullptr;
    AccountBar* m_accountBar = nullptr;

    ReadingController* m_reading = nullptr;
    bool m_readAgain = false;
    // Hands what was made beside the checks (the filter's index, the totals) to the window.
    std::function<void()> m_takeLearnt;

    bool m_settingPicker = false;
};
