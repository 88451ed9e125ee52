#include "app/PreviewDlg.h"

#include "text/Cp1251.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// Shown at once up to this many characters, then in pieces of it.
constexpr qsizetype FillChars = 256 * 1024;
} // namespace

PreviewDlg::PreviewDlg(std::vector<TemplateInfo> templates, int templateIndex, BuildBytes build,
                       const QString& totalsText, QWidget* parent)
    : QDialog(parent), m_templates(std::move(templates)), m_build(std::move(build)) {
    setObjectName(QStringLiteral("PreviewDlg"));
    setWindowTitle(QStringLiteral("Просмотр выписки"));

    m_template = new QComboBox(this);
    m_template->setObjectName(QStringLiteral("PreviewTemplate"));
    for (const TemplateInfo& info : m_templates)
        m_template->addItem(QStringLiteral("%1 (*.%2)").arg(info.Title, info.Extension));

    m_find = new QLineEdit(this);
    m_find->setObjectName(QStringLiteral("PreviewFind"));
    m_find->setPlaceholderText(QStringLiteral("Найти (Ctrl+F)"));
    m_find->setClearButtonEnabled(true);
    m_find->installEventFilter(this); // Enter and Shift+Enter
    connect(m_find, &QLineEdit::textEdited, this, [this] {
        // Each new search starts at the top.
        m_view->moveCursor(QTextCursor::Start);
        Find(false);
    });
    auto* findShortcut = new QShortcut(QKeySequence::Find, this);
    connect(findShortcut, &QShortcut::activated, this, [this] {
        m_find->setFocus();
        m_find->selectAll();
    });

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Шаблон:"), this));
    top->addWidget(m_template, 1);
    top->addWidget(m_find, 1);

    m_view = new QPlainTextEdit(this);
    m_view->setObjectName(QStringLiteral("PreviewText"));
    m_view->setReadOnly(true);
    m_view->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_view->setUndoRedoEnabled(false);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("PreviewProgress"));
    m_progress->setTextVisible(false);
    m_progress->setMaximumWidth(240);
    m_progress->hide();

    m_totals = new QLabel(totalsText, this);
    m_totals->setObjectName(QStringLiteral("PreviewTotals"));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* save =
        buttons->addButton(QStringLiteral("Сохранить"), QDialogButtonBox::AcceptRole);
    save->setObjectName(QStringLiteral("PreviewSave"));
    QPushButton* close =
        buttons->addButton(QStringLiteral("Закрыть"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("PreviewClose"));
    // Enter belongs to the find box and the view: no button of the dialog takes it.
    for (QPushButton* button : {save, close}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(save, &QPushButton::clicked, this, [this] {
        const int index = TemplateIndex();
        accept();
        emit SaveRequested(index);
    });

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_totals, 1);
    bottom->addWidget(m_progress);
    bottom->addWidget(buttons);

    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("PreviewNotice"));
    m_notice->setWordWrap(true);
    QPalette warning = m_notice->palette();
    warning.setColor(QPalette::WindowText, QColor(0xB0, 0x00, 0x00));
    m_notice->setPalette(warning);
    m_notice->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_notice);
    layout->addWidget(m_view, 1);
    layout->addLayout(bottom);
    resize(760, 560);

    connect(m_template, &QComboBox::currentIndexChanged, this, &PreviewDlg::ShowTemplate);
    if (m_templates.empty()) return;
    m_template->setCurrentIndex(std::clamp(templateIndex, 0, int(m_templates.size()) - 1));
    if (m_template->currentIndex() == 0) ShowTemplate(0); // no change signal for the first
}

int PreviewDlg::TemplateIndex() const {
    return m_template->currentIndex();
}

void PreviewDlg::SetNotice(NoticeFor notice) {
    m_noticeFor = std::move(notice);
    ShowNotice();
}

void PreviewDlg::ShowNotice() {
    const int index = TemplateIndex();
    const QString text = m_noticeFor && index >= 0 && index < int(m_templates.size())
                             ? m_noticeFor(m_templates[std::size_t(index)])
                             : QString();
    m_notice->setText(text);
    m_notice->setVisible(!text.isEmpty());
}

void PreviewDlg::ShowTemplate(int index) {
    if (index < 0 || index >= int(m_templates.size())) return;
    ShowNotice();
    QByteArray bytes;
    QString error;
    if (m_build(m_templates[std::size_t(index)], &bytes, &error)) {
        m_text = Cp1251::Decode(bytes);
        // Lines as 1C reads them: the CR of each CR LF is no character of the text shown.
        FillView(QString(m_text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    } else {
        m_text.clear();
        FillView(error);
    }
}

void PreviewDlg::FillView(QString text) {
    ++m_fill;
    m_pending.clear();
    if (text.size() <= FillChars) {
        m_progress->hide();
        m_view->setPlainText(text);
        return;
    }
    m_view->clear();
    m_pending = std::move(text);
    m_pendingAt = 0;
    m_progress->setRange(0, 1000);
    m_progress->setValue(0);
    m_progress->show();
    FillMore(m_fill);
}

void PreviewDlg::FillMore(quint64 fill) {
    if (fill != m_fill || m_pendingAt >= m_pending.size()) return;
    qsizetype end = std::min(m_pending.size(), m_pendingAt + FillChars);
    if (end < m_pending.size()) { // whole lines
        const qsizetype lineEnd = m_pending.lastIndexOf(u'\n', end - 1);
        if (lineEnd >= m_pendingAt) end = lineEnd + 1;
    }
    QTextCursor cursor(m_view->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringView(m_pending).mid(m_pendingAt, end - m_pendingAt).toString());
    m_pendingAt = end;
    if (m_pendingAt < m_pending.size()) {
        m_progress->setValue(int(1000 * m_pendingAt / m_pending.size()));
        QTimer::singleShot(0, this, [this, fill] { FillMore(fill); });
        return;
    }
    m_pending.clear();
    m_progress->hide();
}

bool PreviewDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_find && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Find(key->modifiers() & Qt::ShiftModifier);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void PreviewDlg::Find(bool backward) {
    const QString what = m_find->text();
    if (what.isEmpty()) return;
    const QTextDocument::FindFlags flags =
        backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    bool found = m_view->find(what, flags);
    if (!found) { // round again from the other end
        m_view->moveCursor(backward ? QTextCursor::End : QTextCursor::Start);
        found = m_view->find(what, flags);
    }
    QPalette palette;
    if (!found) palette.setColor(QPalette::Base, QColor(255, 224, 224));
    m_find->setPalette(palette);
}
