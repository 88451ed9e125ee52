#include "app/StatusLine.h"

#include "text/ElideStatus.h"

#include <QHBoxLayout>
#include <QLocale>
#include <QPainter>
#include <QStyle>
#include <QToolButton>

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

StatusLine::StatusLine(const QString& text, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("StatusLine"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_text = new ElidedLabel(text, this);
    m_text->setObjectName(QStringLiteral("StatusText"));
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_text->setToolTip(text);
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::ButtonText));
    m_text->setPalette(palette);
    layout->addWidget(m_text, 1);

    m_notice = new ElidedLabel(this);
    m_notice->setObjectName(QStringLiteral("StatusNotice"));
    m_notice->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_notice->hide();
    layout->addWidget(m_notice, 1);

    m_count = new QToolButton(this);
    m_count->setObjectName(QStringLiteral("ProblemsCount"));
    m_count->setAutoRaise(true);
    m_count->setToolTip(QStringLiteral("Открыть список замечаний"));
    m_count->hide();
    layout->addWidget(m_count);
    connect(m_count, &QToolButton::clicked, this, &StatusLine::FindingsRequested);
}

void StatusLine::ShowText(const QString& text, const QColor& colour) {
    m_text->setText(text);
    m_text->setToolTip(text);
    if (colour.isValid()) {
        QPalette palette = m_text->palette();
        palette.setColor(QPalette::WindowText, colour);
        m_text->setPalette(palette);
    }
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
