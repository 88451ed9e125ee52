#pragma once

#include <QWidget>

class DocumentFilterModel;
class QComboBox;
class QLineEdit;

// Above the list: the search box "FilterEdit" (Ctrl+F reaches it, Esc in it clears it) and the
// quick filters "QuickFilter"; both narrow the rows the list shows.
class FilterBar : public QWidget {
    Q_OBJECT
public:
    FilterBar(DocumentFilterModel& model, QWidget* parent = nullptr);

    QLineEdit* Edit() const { return m_edit; }

private:
    QLineEdit* m_edit = nullptr;
    QComboBox* m_quick = nullptr;
};
