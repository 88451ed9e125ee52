#pragma once

#include "export/BuildExportFile.h"
#include "export/Register.h"

// Writes the checked documents of the table as an Excel workbook: a header row of the captions
// (bold, frozen, with a filter), one row per document in table order, a totals row, and, when
// there are findings, a sheet "Замечания" of them in the problems list's columns. Cells take their
// kinds by RegisterCellKind. Rows are streamed to disk as they are made, so a large table costs
// little memory. The workbook is written beside the target and renamed over it only when complete.
ExportResult WriteRegisterXlsx(const QString& path, const DocumentTable& table,
                               const RegisterHeading& heading, const FindingList& findings,
                               const ExportProgress& progress = {});

// The findings alone as a workbook: the sheet "Замечания" of the register's, every cell text, so
// that a spreadsheet keeps an ИНН or an account as written. Written as the register is.
ExportResult WriteFindingsXlsx(const QString& path, const FindingList& findings);
