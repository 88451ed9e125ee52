#pragma once

#include "reading/DocumentTable.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

// A value that fails its check: the 0-based column and why, in words for the user.
struct CellProblem {
    int Column = 0;
    QString Why;
};

// What the checks found in a table, keyed by SourcePath so that a sort does not disturb it.
// The checks only look: they never change, reorder or uncheck a document.
struct DocumentChecks {
    QHash<QString, std::vector<CellProblem>> Cells; // failing requisites and amounts
    QHash<QString, QStringList> Duplicates;         // the other documents with the same key

    bool IsEmpty() const { return Cells.isEmpty() && Duplicates.isEmpty(); }
    // The problem of one cell, or null when it passes.
    const CellProblem* CellAt(const QString& sourcePath, int column) const;
};

// Checks the requisites (columns keyed ...ИНН, ...КПП, ...БИК, ...Счет, ...Корсчет; an account
// against the BIC of its own side), the amounts a total cannot add exactly, and duplicates: the
// same number, date, amount and payer's ИНН. With checkedOnly, unchecked rows are left out.
DocumentChecks CheckDocuments(const DocumentTable& table, bool checkedOnly = false);

// One line per failing value ("'pp-1.xml': ИНН плательщика '7707083894': неверное ...") and per
// group of duplicates, in table order: for the problems panel and the command line's stderr.
QStringList CheckReport(const DocumentTable& table, const DocumentChecks& checks);

// The file name a report shows for a document.
QString DocumentName(const QString& sourcePath);
