#pragma once

#include "export/BuildExportFile.h"
#include "export/Register.h"
#include "export/SaveCommand.h"

class QPagedPaintDevice;

// Paints the register of the checked documents on landscape A4 pages of the device (a PDF
// writer, a printer): the title with the organisation, its account and the period; number, date,
// amount, payer, payee and the purpose wrapped, the header row on every page; "Стр. N из M" at
// every page's foot; at the end the total, the amount in words and the signature lines.
// Returns the number of pages; 0 when the device could not be painted on.
int PaintRegister(QPagedPaintDevice& device, const DocumentTable& table,
                  const RegisterHeading& heading);

// The register as a PDF file, written beside the target and renamed over it only when complete.
ExportResult WriteRegisterPdf(const QString& path, const DocumentTable& table,
                              const RegisterHeading& heading);

// The register in the format asked for, headed by the organisation of the settings; the workbook
// also lists the findings, then the amounts it has to leave as text that they do not name.
ExportResult WriteRegister(const QString& path, RegisterFormat format, const DocumentTable& table,
                           const INIStorage& settings, const QDateTime& created,
                           const FindingList& findings = {});
