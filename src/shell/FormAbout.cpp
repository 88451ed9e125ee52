#include "shell/FormAbout.h"

#include "shell/AppInfo.h"
#include "shell/FormLayout.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace {

int Px(int twips) {
    return TwipsToPx(twips);
}

QRect Px(int left, int top, int width, int height) {
    return TwipsToPixels({double(left), double(top), double(width), double(height)});
}

QLabel* MakeLabel(const QString& name, const QString& text, const QRect& geometry,
                  QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(geometry);
    return label;
}

// A centred one-line label keeps its centre but widens, up to the window's width, when the
// text needs more room than the design gave it.
void WidenToFit(QLabel* label, int windowWidth) {
    const int needed = label->fontMetrics().horizontalAdvance(label->text()) + 4;
    if (needed <= label->width()) return;
    const int width = std::min(needed, windowWidth);
    const int centre = label->geometry().center().x();
    const int left = std::clamp(centre - width / 2, 0, windowWidth - width);
    label->setGeometry(left, label->y(), width, label->height());
}

} // namespace

FormAbout::FormAbout(const QPixmap& logo, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormAbout"));
    setWindowTitle(QStringLiteral("О программе"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFont(UiFont());
    QSize client(Px(6420), Px(7200));

    m_logo = new QLabel(this);
    m_logo->setObjectName(QStringLiteral("AlphaLogo"));
    m_logo->setGeometry(Px(-60, 12, 6516, 2472));
    m_logo->setAlignment(Qt::AlignCenter);
    // Scaled once here rather than by the label, which would stretch it out of proportion.
    if (!logo.isNull())
        m_logo->setPixmap(
            logo.scaled(m_logo->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_logo->installEventFilter(this);

    QLabel* name =
        MakeLabel(QStringLiteral("LabelW2"), ProductName(), Px(-336, 2820, 7020, 432), this);
    QFont big = font();
    big.setPointSizeF(12);
    name->setFont(big);
    name->setAlignment(Qt::AlignCenter);

    QLabel* version =
        MakeLabel(QStringLiteral("LabelW1"), VersionLine(), Px(1716, 3276, 2820, 336), this);
    version->setAlignment(Qt::AlignCenter);
    WidenToFit(version, client.width());

    QLabel* tagline = MakeLabel(QStringLiteral("LabelW3"),
                                QStringLiteral("Конвертер платежных документов в выписку 1С"),
                                Px(1392, 3672, 3408, 336), this);
    tagline->setAlignment(Qt::AlignCenter);
    WidenToFit(tagline, client.width());

    // A label breaks the line at CR and again at LF; one break per CR LF is what is meant.
    QString info = AboutInfoText();
    info.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QLabel* infoLabel = MakeLabel(QStringLiteral("LabelW4"), info, Px(168, 4176, 6072, 2232), this);
    infoLabel->setWordWrap(true);
    infoLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setGeometry(Px(2448, 6576, 1560, 396));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    // With a font larger than the design's, the text may need more lines: make room for them
    // below rather than cut them off.
    const int extra = infoLabel->heightForWidth(infoLabel->width()) - infoLabel->height();
    if (extra > 0) {
        infoLabel->resize(infoLabel->width(), infoLabel->height() + extra);
        ok->move(ok->x(), ok->y() + extra);
        client.rheight() += extra;
    }
    const int buttonHeight = std::max(ok->height(), ok->sizeHint().height());
    if (buttonHeight > ok->height()) {
        ok->resize(ok->width(), buttonHeight);
        client.setHeight(std::max(client.height(), ok->geometry().bottom() + 1 + Px(228)));
    }
    setFixedSize(client);
}

bool FormAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_logo) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                m_dragStartGlobal = mouse->globalPosition().toPoint();
                m_windowAtDragStart = pos();
                return true;
            }
        } else if (event->type() == QEvent::MouseMove) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->buttons() & Qt::LeftButton) {
                move(m_windowAtDragStart + mouse->globalPosition().toPoint() - m_dragStartGlobal);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
