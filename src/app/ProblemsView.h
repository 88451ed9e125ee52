#pragma once

#include "findings/Findings.h"

#include <QWidget>

class FindingsModel;
class QComboBox;
class QSortFilterProxyModel;
class QTableView;
class QToolButton;

// The problems list: every finding of the last reading and of the settings, sortable by any
// column, filtered by kind; Enter or a double click asks for the finding's document, Ctrl+C
// copies the selected rows as text and "Сохранить список ..." writes the rows shown as CSV.
class ProblemsView : public QWidget {
    Q_OBJECT
public:
    explicit ProblemsView(QWidget* parent = nullptr);

    void SetFindings(FindingList findings);
    const FindingList& Findings() const;
    // The rows shown, in the order shown.
    FindingList ShownFindings() const;
    // The selected rows as text, in the order shown; what Ctrl+C puts on the clipboard.
    QString SelectedText() const;
    // Writes the rows shown as CSV; false with why when it could not.
    bool SaveTo(const QString& path, QString* error = nullptr) const;

signals:
    void CountChanged(int count);
    void DocumentRequested(const QString& sourcePath);

private:
    void Activate(const QModelIndex& index);
    void SaveCommand();
    void CopySelection() const;

    FindingsModel* m_model = nullptr;
    QSortFilterProxyModel* m_proxy = nullptr;
    QTableView* m_view = nullptr;
    QComboBox* m_kind = nullptr;
    QToolButton* m_save = nullptr;
};
