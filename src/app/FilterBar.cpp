#include "app/FilterBar.h"

#include "app/DocumentFilterModel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

namespace {

// Esc clears what is typed; with nothing typed it goes on to the window (which stops a reading).
class SearchEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride && !text().isEmpty() &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            event->accept(); // ahead of the window's Esc
            return true;
        }
        return QLineEdit::event(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape && !text().isEmpty()) {
            clear();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
};

} // namespace

FilterBar::FilterBar(DocumentFilterModel& model, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("FilterBar"));
    m_edit = new SearchEdit(this);
    m_edit->setObjectName(QStringLiteral("FilterEdit"));
    m_edit->setPlaceholderText(QStringLiteral("Найти в списке (Ctrl+F)"));
    m_edit->setClearButtonEnabled(true);
    connect(m_edit, &QLineEdit::textChanged, &model, &DocumentFilterModel::SetSearch);

    m_quick = new QComboBox(this);
    m_quick->setObjectName(QStringLiteral("QuickFilter"));
    m_quick->addItems(QuickFilterCaptions());
    m_quick->setToolTip(QStringLiteral("Какие документы показать"));
    connect(m_quick, &QComboBox::currentIndexChanged, &model,
            [&model](int index) { model.SetQuick(QuickFilter(std::max(0, index))); });

    auto* label = new QLabel(QStringLiteral("Показ&ать:"), this);
    label->setBuddy(m_quick);

    m_onlyNew = new QPushButton(QStringLiteral("Отметить только новые"), this);
    m_onlyNew->setObjectName(QStringLiteral("CheckOnlyNew"));
    connect(m_onlyNew, &QPushButton::clicked, this, &FilterBar::CheckOnlyNewRequested);
    SetJournalProblem(QStringLiteral("список еще не прочитан"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_edit, 1);
    layout->addWidget(label);
    layout->addWidget(m_quick);
    layout->addWidget(m_onlyNew);

    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        m_edit->setFocus(Qt::ShortcutFocusReason);
        m_edit->selectAll();
    });
}

void FilterBar::SetJournalProblem(const QString& why) {
    m_onlyNew->setEnabled(why.isEmpty());
    m_onlyNew->setToolTip(why.isEmpty()
                              ? QStringLiteral("Отметить документы, которых нет в журнале выгрузок, "
                                               "и снять отметку с уже выгруженных")
                              : QStringLiteral("Недоступно: %1").arg(why));
}

void FilterBar::Clear() {
    m_edit->clear();
    m_quick->setCurrentIndex(0);
}
