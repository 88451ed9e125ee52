#pragma once

#include <QTableWidget>

class DocumentListModel;

// The two-column grid "Grid1" under the list: the caption and the display text of each column
// for one document, failing values tinted with why. Disabled until it first shows a document.
class DetailGrid : public QTableWidget {
    Q_OBJECT
public:
    DetailGrid(const DocumentListModel& model, QWidget* parent = nullptr);

    // One row per column of the map, the captions shown; no document yet.
    void SetUp();
    // The document at a table row; -1 (or a row gone) shows nothing.
    void ShowRow(int row);
    // The caption column as wide as its longest caption needs, within a share of the grid, until
    // the user sets its width.
    void FitCaptionColumn();

private:
    void MarkProblems(int row);

    const DocumentListModel& m_model;
    bool m_fitting = false;
    bool m_captionSetByUser = false;
};
