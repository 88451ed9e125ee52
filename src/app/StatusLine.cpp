#include "app/StatusLine.h"

#include "presentation/ReadingStatus.h"
#include "shell/FormLayout.h"
#include "text/ElideStatus.h"

#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QStyle>
#include <QToolButton>

#include <cmath>

namespace {

// colour is 0x00BBGGRR.
QColor Colour(qint32 colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}
} // namespace

QSize ElidedLabel::minimumSizeHint() const {
    return {1, QLabel::minimumSizeHint().height()};
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = contentsRect();
    const QFontMetrics metrics = fontMetrics();
    const QString shown = ElideStatusText(
        text(), area.width(), [&](const QString& s) { return metrics.horizontalAdvance(s); });
    style()->drawItemText(&painter, area, int(alignment()), palette(), isEnabled(), shown,
                          foregroundRole());
}

StatusLine::StatusLine(const QString& text, QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("StatusBar1"));
    setSizeGripEnabled(true);
    // A long path in the status text gives way to the panels at the right, not the other way.
    m_text = new ElidedLabel(text, this);
    m_text->setObjectName(QStringLiteral("StatusText"));
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_text->setToolTip(text);
    QPalette colours = m_text->palette();
    colours.setColor(QPalette::WindowText, colours.color(QPalette::ButtonText));
    m_text->setPalette(colours);
    addWidget(m_text, 1);
    m_text->installEventFilter(this);

    m_notice = new ElidedLabel(this);
    m_notice->setObjectName(QStringLiteral("StatusNotice"));
    m_notice->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    addWidget(m_notice, 1);
    m_notice->hide();

    m_count = new QToolButton(this);
    m_count->setObjectName(QStringLiteral("ProblemsCount"));
    m_count->setAutoRaise(true);
    m_count->setToolTip(QStringLiteral("Открыть список замечаний"));
    addWidget(m_count);
    m_count->hide();
    connect(m_count, &QToolButton::clicked, this, &StatusLine::FindingsRequested);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ReadProgress"));
    m_progress->setMaximumWidth(TwipsToPx(2400));
    m_progress->setMaximumHeight(fontMetrics().height() + 2);
    m_progress->setTextVisible(false);
    addPermanentWidget(m_progress);
    m_progress->hide();

    m_cancel = new QToolButton(this);
    m_cancel->setObjectName(QStringLiteral("CancelReading"));
    m_cancel->setText(QStringLiteral("✕"));
    m_cancel->setToolTip(QStringLiteral("Остановить (Esc)"));
    m_cancel->setAutoRaise(true);
    m_cancel->setMaximumHeight(m_progress->maximumHeight() + 4);
    addPermanentWidget(m_cancel);
    m_cancel->hide();
    connect(m_cancel, &QToolButton::clicked, this, &StatusLine::CancelRequested);
}

void StatusLine::ShowText(const QString& text, qint32 colour) {
    m_text->setText(text);
    m_text->setToolTip(text);
    if (colour != StatusColorUnchanged) {
        m_colour = colour;
        QPalette colours = m_text->palette();
        colours.setColor(QPalette::WindowText, colour == StatusColorNeutral
                                                   ? palette().color(QPalette::ButtonText)
                                                   : Colour(colour));
        m_text->setPalette(colours);
    }
}

void StatusLine::SetTextOpensSkipped(bool opens) {
    m_opensSkipped = opens;
    if (opens) {
        m_text->setCursor(Qt::PointingHandCursor);
        m_text->setToolTip(m_text->text() + QStringLiteral("\nЩелчок — пропущенные файлы"));
    } else {
        m_text->unsetCursor();
    }
}

bool StatusLine::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_text && m_opensSkipped && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        emit SkippedRequested();
    return QStatusBar::eventFilter(watched, event);
}

void StatusLine::ShowNotice(const QString& text) {
    m_notice->setText(text);
    m_notice->setToolTip(text);
    m_notice->setVisible(!text.isEmpty());
}

void StatusLine::ShowFindingCount(int count) {
    // Grouped as Russian writes numbers, with a no-break space.
    m_count->setText(QStringLiteral("Замечаний: %1")
                         .arg(QLocale(QLocale::Russian, QLocale::Russia).toString(count)));
    m_count->setVisible(count > 0);
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
