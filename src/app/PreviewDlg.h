#pragma once

#include "export/TemplateCatalogue.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;

// The statement a template would write, shown read-only as 1C reads it (decoded from the exact
// Windows-1251 bytes of the save), with find (Enter the next match, Shift+Enter the one before;
// Enter never saves) and the totals line. "Сохранить" hands the chosen template back to the
// window's save command. A large statement is shown piece by piece under a progress bar, the
// dialog answering meanwhile.
class PreviewDlg : public QDialog {
    Q_OBJECT
public:
    // build makes the statement's bytes for a template of the list, or says why it can't.
    using BuildBytes = std::function<bool(const TemplateInfo&, QByteArray* bytes, QString* error)>;

    PreviewDlg(std::vector<TemplateInfo> templates, int templateIndex, BuildBytes build,
               const QString& totalsText, QWidget* parent = nullptr);

    // What to say over the statement of a template (empty: nothing), such as a missing account.
    using NoticeFor = std::function<QString(const TemplateInfo&)>;
    void SetNotice(NoticeFor notice);

    int TemplateIndex() const;
    // The statement's text exactly as decoded, CR LF line ends and all.
    const QString& Text() const { return m_text; }

signals:
    void SaveRequested(int templateIndex);

private:
    void ShowTemplate(int index);
    void Find(bool backward);
    void FillView(QString text);
    void FillMore(quint64 fill);
    bool eventFilter(QObject* watched, QEvent* event) override;
    void ShowNotice();

    std::vector<TemplateInfo> m_templates;
    BuildBytes m_build;
    QString m_text;
    QComboBox* m_template = nullptr;
    QPlainTextEdit* m_view = nullptr;
    QLineEdit* m_find = nullptr;
    QLabel* m_totals = nullptr;
    QProgressBar* m_progress = nullptr;
    QString m_pending; // what is still to be shown
    qsizetype m_pendingAt = 0;
    quint64 m_fill = 0; // a newer fill stops an older one
    QLabel* m_notice = nullptr;
    NoticeFor m_noticeFor;
};
