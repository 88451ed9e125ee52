#pragma once

#include "checks/DocumentChecks.h"
#include "findings/FindingRows.h"
#include "journal/JournalPlace.h"
#include "reading/DocumentTable.h"

// Asks the journal about the documents read: each one that went out already gets its mark in
// checks.Exported (where it went, and when) and a finding "уже выгружен", after one finding that
// counts them; checks.JournalProblem says why the journal cannot tell what is new. Returns the
// findings, the journal's own problems first.
FindingRows MarkExported(const JournalPlace& place, const DocumentTable& table,
                         DocumentChecks& checks);

// "'b.txt' от 09.12.2026 14:05": a statement and when it was written, in local time.
QString ExportedWhere(const QString& file, const QDateTime& time);

// A save's texts for its documents' marks: where, as ExportedWhere gives it, and the problems
// list's reason "уже выгружен в выписке ...".
std::pair<QString, QString> ExportedTexts(const QString& where);
