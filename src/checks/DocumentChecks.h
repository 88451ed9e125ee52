#pragma once

#include "checks/OrganisationSide.h"
#include "findings/ExportedMarks.h"
#include "findings/Findings.h"
#include "reading/DocumentTable.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

enum class CellProblemKind {
    Requisite,       // a requisite that fails its check
    Amount,          // an amount the total leaves out
    NotOrganisation, // neither account of the document is the organisation's
};

// A value that fails its check: the 0-based column and why, in words for the user.
struct CellProblem {
    int Column = 0;
    QString Why;
    CellProblemKind Kind = CellProblemKind::Requisite;
};

// What the checks found in a table, keyed by SourcePath so that a sort does not disturb it.
// The checks only look: they never change, reorder or uncheck a document.
struct DocumentChecks {
    QHash<QString, std::vector<CellProblem>> Cells; // failing requisites and amounts
    // Documents with the same key, each group in table order. A document points to its group
    // rather than holding the others, so a large group costs its size, not its square.
    std::vector<QStringList> DuplicateGroups;
    QHash<QString, int> DuplicateGroupOf; // SourcePath -> index into DuplicateGroups
    QString Account; // the organisation's account documents were compared with; empty: none
    // What the export journal holds: where each document went ("'b.txt' от 09.12.2026
    // 14:05"); and why the journal cannot tell what is new (empty when it can).
    ExportedMarks Exported;
    QString JournalProblem;

    bool IsEmpty() const {
        return Cells.isEmpty() && DuplicateGroups.empty() && Exported.isEmpty();
    }
    // The first problem of one cell, or null when it passes.
    const CellProblem* CellAt(const QString& sourcePath, int column) const;
    bool IsDuplicate(const QString& sourcePath) const {
        return DuplicateGroupOf.contains(sourcePath);
    }
    // The other documents with the same key, in table order; empty for none.
    QStringList DuplicatesOf(const QString& sourcePath) const;
};

// Checks the requisites (columns keyed ...ИНН, ...КПП, ...БИК, ...Счет, ...Корсчет; an account
// against the BIC of its own side), the amounts a total cannot add exactly or that pay nothing,
// and duplicates (the same DocumentKey). With the organisation's side known, a document
// where neither side is the organisation's is named too, on its payer account. With checkedOnly,
// unchecked rows are left out.
DocumentChecks CheckDocuments(const DocumentTable& table, bool checkedOnly = false,
                              const Organisation& org = {});


