#pragma once

#include <QWidget>

class DocumentFilterModel;
class QComboBox;
class QLineEdit;
class QPushButton;

// Above the list: the search box "FilterEdit" (Ctrl+F reaches it, Esc in it clears it) and the
// quick filters "QuickFilter"; both narrow the rows the list shows.
class FilterBar : public QWidget {
    Q_OBJECT
public:
    FilterBar(DocumentFilterModel& model, QWidget* parent = nullptr);

    QLineEdit* Edit() const { return m_edit; }
    // Every row shown again: nothing typed, no quick filter.
    void Clear();
    // "Отметить только новые" ("CheckOnlyNew") is offered when the export journal can tell what is
    // new; else it is disabled and its tooltip says why.
    void SetJournalProblem(const QString& why);

signals:
    void CheckOnlyNewRequested();

private:
    QLineEdit* m_edit = nullptr;
    QComboBox* m_quick = nullptr;
    QPushButton* m_onlyNew = nullptr;
};
