#pragma once

#include "export/BuildExportFile.h"
#include "export/Register.h"
#include "export/TemplateCatalogue.h"

class QPagedPaintDevice;
class QPainter;
struct RegisterPdfLayout;

// Sets the device's page to the register's: landscape A4 with its margins.
void SetRegisterPage(QPagedPaintDevice& device);

// Paints one page of the laid-out register, the painter set to the layout's units; fontScale is
// the device's dots per layout unit at actual size, which the fonts are sized for.
void PaintRegisterPage(QPainter& painter, const RegisterPdfLayout& layout, int page,
                       double fontScale);

// Paints the laid-out register on the pages of the device (a PDF writer, a printer), with
// "Стр. N из M" at every page's foot. Returns the number of pages; 0 when the device could not be
// painted on or the progress said stop (told the pages done, of all).
int PaintRegister(QPagedPaintDevice& device, const RegisterPdfLayout& layout,
                  const ExportProgress& progress = {});

// The register as a PDF file, written beside the target and renamed over it only when complete.
ExportResult WriteRegisterPdf(const QString& path, const RegisterPdfLayout& layout,
                              const QString& organisation, const ExportProgress& progress = {});
// The same, laid out from the checked documents, marking those the findings name.
ExportResult WriteRegisterPdf(const QString& path, const DocumentTable& table,
                              const RegisterHeading& heading, const FindingList& findings = {});

// The register in the format asked for, headed by the organisation of the settings; the PDF
// marks the documents the findings name, the workbook lists the findings, then the amounts it
// has to leave as text that they do not name.
ExportResult WriteRegister(const QString& path, RegisterFormat format, const DocumentTable& table,
                           const INIStorage& settings, const QDateTime& created,
                           const FindingList& findings = {}, const ExportProgress& progress = {});
