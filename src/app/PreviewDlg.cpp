#include "app/PreviewDlg.h"

#include "app/StatementLines.h"
#include "app/StatementView.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMutexLocker>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QThread>
#include <QVBoxLayout>

#include <optional>
#include <utility>

namespace {
// Pieces shown in one turn of the event loop: each is a few hundred documents' lines.
constexpr std::size_t PiecesPerTurn = 4;
} // namespace

PreviewDlg::PreviewDlg(std::vector<TemplateInfo> templates, int templateIndex, BuildPieces build,
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
    // Each new search starts at the current line.
    connect(m_find, &QLineEdit::textEdited, this, [this] { Find(false, true); });
    auto* findShortcut = new QShortcut(QKeySequence::Find, this);
    connect(findShortcut, &QShortcut::activated, this, [this] {
        m_find->setFocus();
        m_find->selectAll();
    });
    m_findStatus = new QLabel(this);
    m_findStatus->setObjectName(QStringLiteral("PreviewFindStatus"));

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Шаблон:"), this));
    top->addWidget(m_template, 1);
    top->addWidget(m_find, 1);
    top->addWidget(m_findStatus);

    m_lines = new StatementLines(this);
    m_view = new StatementView(*m_lines, this);
    m_view->setObjectName(QStringLiteral("PreviewText"));
    m_view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

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

PreviewDlg::~PreviewDlg() {
    StopBuilding();
}

void PreviewDlg::done(int result) {
    // Closed: the statement is no longer wanted, nor its memory.
    StopBuilding();
    ++m_generation;
    m_lines->Clear();
    QDialog::done(result);
}

int PreviewDlg::TemplateIndex() const {
    return m_template->currentIndex();
}

QString PreviewDlg::Text() const {
    return m_lines->Text();
}

void PreviewDlg::SetNotice(NoticeFor notice) {
    m_noticeFor = std::move(notice);
    ShowNotice();
}

void PreviewDlg::ShowNotice() {
    const int index = TemplateIndex();
    QStringList lines;
    if (m_noticeFor && index >= 0 && index < int(m_templates.size()))
        lines << m_noticeFor(m_templates[std::size_t(index)]);
    if (!m_error.isEmpty()) lines << m_error;
    lines.removeAll(QString());
    m_notice->setText(lines.join(u'\n'));
    m_notice->setVisible(!lines.isEmpty());
}

void PreviewDlg::StopBuilding() {
    if (!m_job) return;
    *m_stop = true;
    m_job->wait();
    delete m_job;
    m_job = nullptr;
}

void PreviewDlg::ShowTemplate(int index) {
    if (index < 0 || index >= int(m_templates.size())) return;
    StopBuilding();
    const quint64 generation = ++m_generation;
    m_lines->Clear();
    m_error.clear();
    m_findStatus->clear();
    ShowNotice();
    m_progress->setRange(0, 0);
    m_progress->show();

    auto stop = m_stop = std::make_shared<std::atomic_bool>(false);
    auto posted = std::make_shared<std::atomic_bool>(false);
    // The pieces come to this thread in order, a few at a turn of its event loop with one call
    // in flight: pieces that came faster than they were shown must not all be shown in one
    // pause. The dialog waits for the job before it goes.
    auto waiting = std::make_shared<Waiting>();
    const PieceSink sink = [this, generation, stop, waiting](const QByteArray& piece) {
        if (*stop) return false;
        const QMutexLocker lock(&waiting->Lock);
        waiting->Pieces.push_back(piece);
        if (!std::exchange(waiting->Posted, true)) PostTake(generation, waiting);
        return true;
    };
    const ExportProgress progress = [this, generation, stop, posted](qint64 done, qint64 total) {
        if (!posted->exchange(true))
            QMetaObject::invokeMethod(
                this,
                [this, generation, posted, done, total] {
                    *posted = false;
                    if (generation != m_generation || total <= 0) return;
                    m_progress->setRange(0, 1000);
                    m_progress->setValue(int(1000 * done / total));
                },
                Qt::QueuedConnection);
        return !*stop;
    };
    m_job =
        QThread::create([this, info = m_templates[std::size_t(index)], sink, progress, generation,
                         waiting] {
            const ExportResult result = m_build(info, sink, progress);
            // Said once the pieces before it are shown.
            const QMutexLocker lock(&waiting->Lock);
            waiting->Built = result;
            if (!std::exchange(waiting->Posted, true)) PostTake(generation, waiting);
        });
    m_job->setObjectName(QStringLiteral("PreviewThread"));
    m_job->start();
}

void PreviewDlg::PostTake(quint64 generation, const std::shared_ptr<Waiting>& waiting) {
    QMetaObject::invokeMethod(
        this,
        [this, generation, waiting] {
            std::vector<QByteArray> pieces;
            std::optional<ExportResult> built;
            {
                const QMutexLocker lock(&waiting->Lock);
                const auto end = waiting->Pieces.begin() +
                                 std::ptrdiff_t(std::min(PiecesPerTurn, waiting->Pieces.size()));
                pieces.assign(std::make_move_iterator(waiting->Pieces.begin()),
                              std::make_move_iterator(end));
                waiting->Pieces.erase(waiting->Pieces.begin(), end);
                waiting->Posted = !waiting->Pieces.empty();
                if (waiting->Posted)
                    PostTake(generation, waiting); // after what waits meanwhile
                else
                    built = std::exchange(waiting->Built, std::nullopt);
            }
            if (generation != m_generation) return;
            m_lines->Append(pieces);
            if (built) OnBuilt(*built);
        },
        Qt::QueuedConnection);
}

void PreviewDlg::OnBuilt(const ExportResult& result) {
    StopBuilding(); // it has ended: only its thread is let go
    m_progress->hide();
    if (!result.Ok && result.Failure != ExportFailure::Stopped) {
        m_error = result.Error;
        ShowNotice();
    }
}

bool PreviewDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_find && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Find(key->modifiers() & Qt::ShiftModifier, false);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void PreviewDlg::Find(bool backward, bool fromCurrent) {
    const QString what = m_find->text();
    m_findStatus->clear();
    m_find->setPalette(QPalette());
    if (what.isEmpty()) return;
    const int rows = m_lines->rowCount();
    const int current = m_view->CurrentLine();
    const int from = fromCurrent ? std::max(current, 0) : current + (backward ? -1 : 1);
    int found = m_lines->FindLine(what, from, backward);
    if (found < 0) { // round again from the other end
        found = m_lines->FindLine(what, backward ? rows - 1 : 0, backward);
        if (found >= 0)
            m_findStatus->setText(backward ? QStringLiteral("поиск продолжен с конца")
                                           : QStringLiteral("поиск продолжен с начала"));
    }
    if (found < 0) {
        m_findStatus->setText(QStringLiteral("не найдено"));
        QPalette palette;
        palette.setColor(QPalette::Base, QColor(255, 224, 224));
        m_find->setPalette(palette);
        return;
    }
    m_view->SetCurrentLine(found);
}
