#pragma once

#include "reading/ColumnMap.h"

#include <QSharedData>
#include <QString>
#include <QStringList>

#include <vector>

// One value of a document: as read from the XML (what the export writes) and as the list shows
// it. A cell is one pointer to texts that equal values of other documents share, so that a year of
// documents with dozens of columns each fits in memory; an empty cell holds nothing at all.
class DocumentCell {
public:
    DocumentCell() = default;
    DocumentCell(const QString& displayText, const QString& rawValue);

    const QString& DisplayText() const;
    const QString& RawValue() const;
    bool IsEmpty() const { return !m_text; }

private:
    struct Text : QSharedData {
        QString Raw;
        QString Display;
    };
    QExplicitlySharedDataPointer<const Text> m_text;
};

struct DocumentRow {
    QString SourcePath; // unique key
    bool Checked = true;
    std::vector<DocumentCell> Cells; // one per column of the map, in map order

    // The cell of a 0-based column; an empty one when absent.
    const DocumentCell& Cell(int column) const;
    const QString& DisplayText(int column) const { return Cell(column).DisplayText(); }
    // The value the export uses: the raw value of every column, the first one included, so that
    // the statement never carries the reader's locale (a currency amount, a short date).
    const QString& ExportValue(int column) const { return Cell(column).RawValue(); }
};

// The rows of the document list in display order (a sort reorders Rows itself).
struct DocumentTable {
    ColumnMap Columns;
    std::vector<DocumentRow> Rows;
    // The files the reading looked at and left out, by path: never a place to save to.
    QStringList LeftOut = {};
};
