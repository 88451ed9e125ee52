#pragma once

#include "checks/DocumentChecks.h"
#include "reading/DocumentTable.h"
#include "presentation/DocumentSort.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>
#include <QThreadPool>

#include <functional>

class TextCoder;

// The document list over the window's DocumentTable: one row per document, one column per
// ColumnDef, a check box in the first column. Sorting reorders the table's rows themselves, so
// the stripes and the export follow the order on screen.
class DocumentListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static inline const QColor RowStripeColor{238, 238, 238};
    // A value that fails its check.
    static inline const QColor ProblemColor{255, 205, 205};

    DocumentListModel(DocumentTable& table, const TextCoder& coder, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const DocumentTable& Table() const { return m_table; }
    void SetColumns(const ColumnMap& columns);
    void ClearRows();
    // The files the reading left out: a save must not replace them either.
    void SetLeftOut(QStringList leftOut) { m_table.LeftOut = std::move(leftOut); }
    // Rows a reading has just read, after those listed; a sort waits for the reading's end.
    void AppendRows(std::vector<DocumentRow> rows);
    // The order the rows listed take once a reading has ended: by the entries' names (an
    // archive's rows come in the archive's order), then by the sort chosen. Reads the table as it
    // is then, so it may run on another thread while the list is frozen; empty when no order is
    // asked for.
    std::function<std::vector<std::size_t>()> OrderAfterReading(bool byEntryName);
    // Puts the rows in such an order; the selection follows its documents.
    void ApplyOrder(const std::vector<std::size_t>& order);
    // Checks or unchecks the rows (0-based, any order) in one change.
    void SetRowsChecked(const std::vector<int>& rows, bool checked);

    // What the checks found: failing cells are tinted with the reason in their tooltip, and
    // duplicates carry a mark in the first column naming the other files.
    void SetChecks(DocumentChecks checks);
    const DocumentChecks& Checks() const { return m_checks; }
    // The tooltip of a failing cell: the value, then why; empty when the cell passes.
    QString ProblemTip(const DocumentRow& row, int column) const;

    // Sorts by a 0-based column in the order kept, the kind chosen from the first row's text.
    // Returns false (and changes nothing) when the list is empty.
    bool SortByColumn(int column);
    // A click on a header: the sorted column again turns the order round, another one sorts
    // ascending.
    bool SortByClick(int column);
    int SortColumn() const { return m_sortColumn; }
    bool SortDescending() const { return m_sortDescending; }
    void SetSortDescending(bool descending);
    // The sort a later reading's rows take, its kind chosen from their first row (a sort the
    // user chose in an earlier session).
    void SetSortColumn(int column);
    // The row of a document by its key, in the order shown; -1 when it is not listed.
    int RowOf(const QString& sourcePath) const;
    // While a command writes the documents from another thread, their marks and order stay.
    void SetFrozen(bool frozen) { m_frozen = frozen; }
    // While rows come in, a sort chosen is kept for the reading's end (OrderAfterReading).
    void SetSortAfterReading(bool after) { m_sortAfterReading = after; }

signals:
    // A sort was chosen while rows come in: it comes once all are read.
    void SortPending();
    // SetChecks: the marks, tints and tooltips of any cell may have changed.
    void ChecksChanged();

private:
    void KnowSortKind();
    QVariant CheckData(const DocumentRow& row, int column, int role) const;
    QVariant MarkIcon(bool duplicate, bool exported) const;

    DocumentTable& m_table;
    const TextCoder& m_coder;
    DocumentChecks m_checks;
    int m_sortColumn = -1;
    SortKind m_sortKind = SortKind::Text;
    bool m_sortKindKnown = false;
    bool m_sortDescending = false;
    bool m_frozen = false;
    bool m_sortAfterReading = false;
    // Frees the rows of the last reading; waits for that when the list goes.
    QThreadPool m_freeing;
    mutable QIcon m_warningIcon, m_savedIcon; // the marks, once the first is drawn
};
