#include "app/StatusLine.h"

#include "reading/ProblemSummary.h"
#include "reading/ReadingRun.h"
#include "shell/FormLayout.h"

#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

namespace {
int Px(double twips) {
    return int(std::lround(twips / TwipsPerPixel));
}
} // namespace

QColor StatusLine::Colour(qint32 colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

StatusLine::StatusLine(const QString& text, QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("StatusBar1"));
    setSizeGripEnabled(true);
    m_text = new QLabel(text, this);
    m_text->setObjectName(QStringLiteral("StatusText"));
    QPalette colours = m_text->palette();
    colours.setColor(QPalette::WindowText, colours.color(QPalette::ButtonText));
    m_text->setPalette(colours);
    addWidget(m_text, 1);
    m_problems = new QLabel(this);
    m_problems->setObjectName(QStringLiteral("StatusProblems"));
    m_problems->setMaximumWidth(Px(5000));
    addWidget(m_problems);
    m_problems->hide();
    // A long path in the status text gives way to the panels at the right, not the other way.
    m_text->setMinimumWidth(1);
    m_problems->setMinimumWidth(1);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ReadProgress"));
    m_progress->setMaximumWidth(Px(2400));
    m_progress->setMaximumHeight(fontMetrics().height() + 2);
    m_progress->setTextVisible(false);
    addPermanentWidget(m_progress);
    m_progress->hide();

    m_cancel = new QToolButton(this);
    m_cancel->setObjectName(QStringLiteral("CancelReading"));
    m_cancel->setText(QStringLiteral("✕"));
    m_cancel->setToolTip(QStringLiteral("Остановить чтение (Esc)"));
    m_cancel->setAutoRaise(true);
    m_cancel->setMaximumHeight(m_progress->maximumHeight() + 4);
    addPermanentWidget(m_cancel);
    m_cancel->hide();
    connect(m_cancel, &QToolButton::clicked, this, &StatusLine::CancelRequested);
}

void StatusLine::ShowText(const QString& text, qint32 colour) {
    m_text->setText(text);
    if (colour != StatusColorUnchanged) {
        QPalette colours = m_text->palette();
        colours.setColor(QPalette::WindowText, Colour(colour));
        m_text->setPalette(colours);
    }
}

QString StatusLine::Text() const {
    return m_text->text();
}

void StatusLine::AddProblems(const QStringList& problems) {
    if (!problems.isEmpty()) ShowProblems(m_problemLines + problems, m_skipped);
}

void StatusLine::ShowProblems(const QStringList& problems, const QStringList& skipped) {
    m_problemLines = problems;
    m_skipped = skipped;
    const ProblemSummaryTexts panel = ProblemSummary(problems, skipped);
    if (panel.Text.isEmpty()) {
        m_problems->clear();
        m_problems->setToolTip({});
        m_problems->hide();
        return;
    }
    m_problems->setText(
        m_problems->fontMetrics().elidedText(panel.Text, Qt::ElideMiddle, Px(5000)));
    QString tip = panel.ToolTip;
    // A year of documents may bring thousands of lines: a tooltip of them all would not fit on
    // any screen, and every failing value is tinted in the list anyway.
    constexpr qsizetype TipLines = 300;
    if (problems.size() > TipLines) {
        QStringList lines = problems.first(TipLines);
        lines << QStringLiteral("… и ещё %1 (отмечены в списке)").arg(problems.size() - TipLines);
        tip = lines.join(u'\n');
    }
    m_problems->setToolTip(tip);
    m_problems->show();
}

void StatusLine::ShowBusy(bool busy) {
    m_progress->setRange(0, 0);
    m_progress->setVisible(busy);
    m_cancel->setVisible(busy);
}

void StatusLine::ShowProgress(qint64 done, qint64 total) {
    if (total <= 0 || !m_progress->isVisible()) return;
    m_progress->setRange(0, 1000);
    m_progress->setValue(int(1000 * done / total));
}
