#pragma once

#include "export/Register.h"
#include "export/RegisterPdfLayout.h"

#include <QDialog>

class INIStorage;
class QPrinter;
class RegisterPageView;

// The printed register of the checked documents as it will come out of the printer, with page
// zoom, "Печать ..." (the system's print dialog) and "Сохранить PDF ..." (the same pages as a
// file): one layout for both, so the preview's pages are the file's. The table must outlive the
// dialog; source is what it was read from (the PDF never replaces it or a document read); the
// documents the findings name are marked.
class RegisterPrintDlg : public QDialog {
    Q_OBJECT
public:
    RegisterPrintDlg(const DocumentTable& table, const INIStorage& settings, const QString& source,
                     const FindingList& findings = {}, QWidget* parent = nullptr);
    // The register's heading and pages, laid out before the dialog (off the window's thread).
    struct Prepared {
        RegisterHeading Heading;
        RegisterPdfLayout Layout;
    };
    static Prepared Prepare(const DocumentTable& table, const INIStorage& settings,
                            const FindingList& findings, const QDateTime& created);
    RegisterPrintDlg(const DocumentTable& table, Prepared prepared, const QString& source,
                     QWidget* parent = nullptr);
    ~RegisterPrintDlg() override;

    int PageCount() const;

private:
    // Writes the register as a PDF file; false with the reason said in the dialog.
    bool SavePdf(const QString& path);
    void Print();
    void AskAndSavePdf();

    const DocumentTable& m_table;
    QString m_source;
    RegisterHeading m_heading;
    RegisterPdfLayout m_layout;
    QPrinter* m_printer = nullptr;
    RegisterPageView* m_preview = nullptr;
};
