#pragma once

#include "export/BuildExportFile.h"
#include "export/TemplateCatalogue.h"

#include <QDialog>
#include <QMutex>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QThread;
class StatementLines;
class StatementView;

// The statement a template would write, shown read-only as 1C reads it (decoded from the exact
// Windows-1251 bytes of the save), with find (Enter the next match, Shift+Enter the one before;
// Enter never saves) and the totals line. "Сохранить" hands the chosen template back to the
// window's save command. The statement is made off the window's thread and shown as it comes,
// a line at a time only where the view shows lines; closing the dialog stops it.
class PreviewDlg : public QDialog {
    Q_OBJECT
public:
    using PieceSink = std::function<bool(const QByteArray& piece)>;
    // Makes the statement of a template, handing its bytes to sink in order; runs on a thread of
    // its own, so it must read nothing the window changes meanwhile.
    using BuildPieces = std::function<ExportResult(const TemplateInfo&, const PieceSink& sink,
                                                   const ExportProgress& progress)>;

    PreviewDlg(std::vector<TemplateInfo> templates, int templateIndex, BuildPieces build,
               const QString& totalsText, QWidget* parent = nullptr);
    ~PreviewDlg() override; // stops the statement being made and waits for it

    // What to say over the statement of a template (empty: nothing), such as a missing account.
    using NoticeFor = std::function<QString(const TemplateInfo&)>;
    void SetNotice(NoticeFor notice);

    int TemplateIndex() const;
    // Whether the statement is still being made.
    bool IsBuilding() const { return m_job != nullptr; }
    // The statement's text exactly as decoded so far, CR LF line ends and all.
    QString Text() const;

signals:
    void SaveRequested(int templateIndex);

protected:
    void done(int result) override;

private:
    void ShowTemplate(int index);
    void StopBuilding();
    void OnBuilt(const ExportResult& result);
    void Find(bool backward, bool fromCurrent);
    bool eventFilter(QObject* watched, QEvent* event) override;
    void ShowNotice();
    // The pieces made and not yet shown, and whether a call to show them is in flight.
    struct Waiting {
        QMutex Lock;
        std::vector<QByteArray> Pieces;
        std::optional<ExportResult> Built; // the statement is made
        bool Posted = false;
    };
    void PostTake(quint64 generation, const std::shared_ptr<Waiting>& waiting);

    std::vector<TemplateInfo> m_templates;
    BuildPieces m_build;
    QComboBox* m_template = nullptr;
    StatementLines* m_lines = nullptr;
    StatementView* m_view = nullptr;
    QLineEdit* m_find = nullptr;
    QLabel* m_findStatus = nullptr;
    QLabel* m_totals = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_notice = nullptr;
    QString m_error; // why the template's statement could not be made
    NoticeFor m_noticeFor;
    QThread* m_job = nullptr;
    std::shared_ptr<std::atomic_bool> m_stop;
    quint64 m_generation = 0; // pieces of an older template's statement are dropped
};
