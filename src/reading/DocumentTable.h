#pragma once

#include "reading/ColumnMap.h"

#include <QString>
#include <QStringList>

#include <vector>

struct DocumentCell {
    QString DisplayText;
    QString RawValue; // as read from the XML; what the export writes
};

struct DocumentRow {
    QString SourcePath; // unique key
    bool Checked = true;
    std::vector<DocumentCell> Cells; // one per column of the map, in map order

    const QString& DisplayText(int column) const; // 0-based column; empty text when absent
    // The value the export uses: the raw value of every column, the first one included, so that
    // the statement never carries the reader's locale (a currency amount, a short date).
    const QString& ExportValue(int column) const;
};

// The rows of the document list in display order (a sort reorders Rows itself).
struct DocumentTable {
    ColumnMap Columns;
    std::vector<DocumentRow> Rows;
    // The files the reading looked at and left out, by path: never a place to save to.
    QStringList LeftOut = {};
};
