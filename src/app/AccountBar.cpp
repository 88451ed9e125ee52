#include "app/AccountBar.h"

#include "checks/OrganisationAccount.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

AccountBar::AccountBar(const INIStorage& settings, QWidget* parent)
    : QFrame(parent), m_settings(settings) {
    setObjectName(QStringLiteral("AccountBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(255, 244, 206)); // a warning, not an error
    palette.setColor(QPalette::WindowText, QColor(0x40, 0x30, 0x00));
    setPalette(palette);

    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("AccountBarText"));
    m_text->setWordWrap(false);
    m_set = new QToolButton(this);
    m_set->setObjectName(QStringLiteral("AccountBarSet"));
    m_set->setText(QStringLiteral("Указать ..."));
    m_set->setToolTip(QStringLiteral("Указать расчетный счет организации в настройках"));
    connect(m_set, &QToolButton::clicked, this, &AccountBar::SetAccountRequested);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 2, 4, 2);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_set);
    hide();
    Refresh();
}

void AccountBar::Refresh() {
    const QString why = OrganisationAccountProblem(ReadOrganisationAccount(m_settings));
    m_text->setText(why);
    m_text->setToolTip(why);
    const bool shown = !why.isEmpty();
    if (shown == !isHidden()) return;
    setVisible(shown);
    emit Shown(shown);
}

QRect AccountBar::TakeTop(const QRect& area) {
    if (isHidden()) return area;
    const int height = std::min(sizeHint().height(), area.height());
    setGeometry(area.x(), area.y(), area.width(), height);
    return area.adjusted(0, height, 0, 0);
}
