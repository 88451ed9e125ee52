#pragma once

#include "presentation/DocumentFilter.h"

#include <QSortFilterProxyModel>

#include <vector>

class DocumentListModel;

// The rows of the document list the filter bar lets through, in the list's own order (a sort
// reorders the table itself, so it needs nothing from here).
class DocumentFilterModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit DocumentFilterModel(DocumentListModel& source, QObject* parent = nullptr);

    DocumentListModel& Source() const { return m_source; }
    void SetSearch(const QString& text);
    void SetQuick(QuickFilter quick);
    bool IsFiltering() const { return m_filter.IsActive(); }
    // Learns the rows' values once the window is idle, so that the first keystroke need not.
    void PrepareSoon();
    // What a filter of its own learnt of the rows as they now stand (off the window's thread).
    void AdoptIndex(DocumentFilter learnt) { m_filter.AdoptIndex(std::move(learnt)); }

    // The table rows shown, in the order shown.
    std::vector<int> ShownRows() const;
    // Of the rows shown, how many are checked.
    qint64 ShownChecked() const;
    // The row stripes, by the rows shown.
    QVariant data(const QModelIndex& index, int role) const override;

signals:
    // The search or the quick filter changed and the rows shown follow it.
    void FilterChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    DocumentListModel& m_source;
    mutable DocumentFilter m_filter;
};
