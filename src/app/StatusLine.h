#pragma once

#include <QLabel>
#include <QStatusBar>

class QProgressBar;
class QToolButton;

// The window's status bar "StatusBar1": the status text in its colour, whole in its tooltip and
// cut in the middle of its path when the line is short of room; a notice beside it (why a save
// failed, ...); the count of findings, which opens the problems list; and while a source is read
// or a command writes, a progress bar with a button that stops it. Panels of others (the totals)
// go to its right.
class StatusLine : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusLine(const QString& text, QWidget* parent = nullptr);

    // colour is 0x00BBGGRR, StatusColorUnchanged to keep it or StatusColorNeutral.
    void ShowText(const QString& text, qint32 colour);
    QString Text() const { return m_text->text(); }
    qint32 ColourValue() const { return m_colour; }
    // A click on the status text opens the files left out ("пропущено 3 файла"); off: inert.
    void SetTextOpensSkipped(bool opens);
    // A message that is not a finding; empty hides it.
    void ShowNotice(const QString& text);
    // "Замечаний: 1 234"; hidden for none.
    void ShowFindingCount(int count);

    // The progress bar, at first with no end known, and the stop button.
    void ShowBusy(bool busy);
    void ShowProgress(qint64 done, qint64 total);

signals:
    void CancelRequested();
    void FindingsRequested();
    void SkippedRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_text = nullptr;
    qint32 m_colour = -2; // StatusColorNeutral
    bool m_opensSkipped = false;
    QLabel* m_notice = nullptr;
    QToolButton* m_count = nullptr;
    QProgressBar* m_progress = nullptr;
    QToolButton* m_cancel = nullptr;
};

// A label that keeps its whole text and paints it cut to its width (ElideStatusText).
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
