#pragma once

#include <QTableView>
#include <QTimer>

#include <vector>

class CheckAllHeader;
class DocumentFilterModel;
class DocumentListModel;
class INIStorage;

// The document list "List" over the filtered rows: the check-all box acts on the rows shown and
// is partly checked when some of them are; Space checks or unchecks every selected row from any
// column; columns are fitted to rows spread over the whole table, and the widths the user sets,
// the order of the columns, the columns hidden from the header's context menu and the sort
// column are kept in USER.INI. Ctrl+C copies the selected rows; the context menu checks,
// unchecks and copies them and shows a document's findings.
class DocumentListView : public QTableView {
    Q_OBJECT
public:
    DocumentListView(DocumentFilterModel& shown, QWidget* parent = nullptr);

    CheckAllHeader* Header() const { return m_header; }
    // The table rows of the selection, or of the current row when nothing is selected.
    std::vector<int> SelectedRows() const;

    // Fits the widths the user has not set to the texts of the rows: a short list at once, a
    // long one a column per turn of the event loop, so that the window never freezes on it.
    // samples: rows spread over the list to fit to (0: the usual number).
    void FitColumns(std::size_t samples = 0);
    // The stored widths, places and sort of the current columns; then the user's own.
    void RestoreColumns(const INIStorage& settings);
    bool StoreColumns(const INIStorage& settings) const;
    // The selected rows, in the order shown, as text with the captions; what Ctrl+C copies.
    QString SelectedText() const;

signals:
    // "Показать замечания" of the context menu: the findings of a document.
    void FindingsRequested(const QString& sourcePath);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnHeaderClicked(int section);
    // The header's context menu: shows and hides columns.
    void ShowColumnsMenu(const QPoint& at);
    void ShowSortArrow();
    void UpdateCheckAll();
    void FitColumn(int column, std::size_t samples);

    DocumentFilterModel& m_shown;
    DocumentListModel& m_source;
    CheckAllHeader* m_header = nullptr;
    std::vector<char> m_widthSetByUser; // per column
    bool m_fitting = false;
    // The columns a long list has still to be fitted, from m_fitNext on.
    QTimer* m_fitTimer = nullptr;
    int m_fitNext = 0;
    std::size_t m_fitSamples = 0;
};
