#pragma once

#include <QStatusBar>
#include <QStringList>

class QLabel;
class QProgressBar;
class QToolButton;

// The window's status bar "StatusBar1": the status text in its colour, the problems beside it
// (counted and named, every one in its tooltip), and while a source is read a progress bar with
// a button that stops the reading. Panels of others (the totals) go to its right.
class StatusLine : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusLine(const QString& text, QWidget* parent = nullptr);

    // colour is 0x00BBGGRR, or StatusColorUnchanged to keep it.
    void ShowText(const QString& text, qint32 colour);
    QString Text() const;
    // Files left out are counted and the first of them named; nothing hides the panel.
    void ShowProblems(const QStringList& problems, const QStringList& skipped = {});
    void AddProblems(const QStringList& problems);

    // The progress bar, at first with no end known, and the stop button.
    void ShowBusy(bool busy);
    void ShowProgress(qint64 done, qint64 total);

    static QColor Colour(qint32 colour);

signals:
    void CancelRequested();

private:
    QLabel* m_text = nullptr;
    QLabel* m_problems = nullptr;
    QProgressBar* m_progress = nullptr;
    QToolButton* m_cancel = nullptr;
    QStringList m_problemLines, m_skipped;
};
