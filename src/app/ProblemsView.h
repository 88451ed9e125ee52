#pragma once

#include "findings/FindingRows.h"

#include <QSet>
#include <QWidget>

#include <functional>

class FindingsModel;
class ProblemsFilter;
class QCheckBox;
class QComboBox;
class QTableView;
class QToolButton;

// The problems list: every finding of the last reading and of the settings, sortable by any
// column, filtered by kind (each kind with its count, kinds with none left out) and to the
// checked documents ("только отмеченные"); Enter or a double click asks for the finding's
// document, Ctrl+C copies the selected rows as text and "Сохранить список ..." writes the rows
// shown as CSV or as a workbook.
class ProblemsView : public QWidget {
    Q_OBJECT
public:
    explicit ProblemsView(QWidget* parent = nullptr);

    void SetFindings(FindingRows findings);
    // Empties the list, handing its findings back (moved, not copied: a year has 100,000).
    FindingRows TakeFindings();
    const FindingRows& Rows() const;
    // Every finding, each made whole.
    FindingList Findings() const;
    // The rows shown, in the order shown.
    FindingList ShownFindings() const;
    // The selected rows as text, in the order shown; what Ctrl+C puts on the clipboard.
    QString SelectedText() const;
    // Writes the rows shown as CSV, or as a workbook for a path ending in ".xlsx"; false with
    // why when it could not.
    bool SaveTo(const QString& path, QString* error = nullptr) const;

    // Why a path must not be written (it is a source being read); empty when it may be.
    void SetTargetGuard(std::function<QString(const QString& path)> guard);
    // The row keys of the checked documents, for "только отмеченные".
    void SetCheckedPaths(std::function<QSet<QString>()> checkedPaths);
    // The check marks changed: the rows of checked documents are picked again.
    void ChecksChanged();
    void ShowKind(FindingKind kind);
    // Only the findings of checked documents, every kind.
    void ShowCheckedOnly();
    // Makes the first finding of a document current, every finding shown when a filter hid it.
    void SelectDocument(const QString& sourcePath);

signals:
    // The rows shown and the rows in all; filtered when a filter is on.
    void CountChanged(int shown, int all, bool filtered);
    void DocumentRequested(const QString& sourcePath);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FitColumns();
    void Activate(const QModelIndex& index);
    void SaveCommand();
    void CopySelection() const;
    void FillKinds();
    void ApplyFilter();

    FindingsModel* m_model = nullptr;
    ProblemsFilter* m_proxy = nullptr;
    QTableView* m_view = nullptr;
    QComboBox* m_kind = nullptr;
    QCheckBox* m_checkedOnly = nullptr;
    std::function<QSet<QString>()> m_checkedPaths;
    std::function<QString(const QString& path)> m_targetGuard;
    QToolButton* m_save = nullptr;
    bool m_fitPending = false;
};
