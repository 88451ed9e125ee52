#include "app/RegisterPrintDlg.h"

#include "app/RegisterPageView.h"
#include "app/SaveDialog.h"
#include "export/RegisterPdf.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

RegisterPrintDlg::Prepared RegisterPrintDlg::Prepare(const DocumentTable& table,
                                                     const INIStorage& settings,
                                                     const FindingList& findings,
                                                     const QDateTime& created) {
    Prepared prepared{MakeRegisterHeading(table, settings, created), {}};
    prepared.Layout = LayOutRegisterPdf(table, prepared.Heading, MarkDocuments(table, findings));
    return prepared;
}

RegisterPrintDlg::RegisterPrintDlg(const DocumentTable& table, const INIStorage& settings,
                                   const QString& source, const FindingList& findings,
                                   QWidget* parent)
    : RegisterPrintDlg(table,
                       Prepare(table, settings, findings, QDateTime::currentDateTime()), source,
                       parent) {}

RegisterPrintDlg::RegisterPrintDlg(const DocumentTable& table, Prepared prepared,
                                   const QString& source, QWidget* parent)
    : QDialog(parent), m_table(table), m_source(source), m_heading(std::move(prepared.Heading)),
      m_layout(std::move(prepared.Layout)) {
    setObjectName(QStringLiteral("RegisterPrintDlg"));
    setWindowTitle(QStringLiteral("Печать реестра"));

    m_preview = new RegisterPageView(m_layout, this);
    m_preview->setObjectName(QStringLiteral("RegisterPreview"));

    auto* tools = new QToolBar(this);
    tools->addAction(QStringLiteral("По ширине"), m_preview, &RegisterPageView::FitToWidth);
    tools->addAction(QStringLiteral("Страница целиком"), m_preview, &RegisterPageView::FitPage);
    tools->addAction(QStringLiteral("Крупнее"), m_preview, [this] { m_preview->Zoom(1.25); });
    tools->addAction(QStringLiteral("Мельче"), m_preview, [this] { m_preview->Zoom(0.8); });

    auto* buttons = new QDialogButtonBox(this);
    auto* print = buttons->addButton(QStringLiteral("Печать ..."), QDialogButtonBox::AcceptRole);
    print->setObjectName(QStringLiteral("RegisterPrint"));
    auto* savePdf =
        buttons->addButton(QStringLiteral("Сохранить PDF ..."), QDialogButtonBox::ActionRole);
    savePdf->setObjectName(QStringLiteral("RegisterSavePdf"));
    buttons->addButton(QDialogButtonBox::Close)->setText(QStringLiteral("Закрыть"));
    // The buttons do their own work; the box would otherwise close the dialog on Печать first.
    disconnect(buttons, &QDialogButtonBox::accepted, nullptr, nullptr);
    connect(print, &QPushButton::clicked, this, &RegisterPrintDlg::Print);
    connect(savePdf, &QPushButton::clicked, this, &RegisterPrintDlg::AskAndSavePdf);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tools);
    layout->addWidget(m_preview, 1);
    layout->addWidget(buttons);
    resize(1000, 720);
}

RegisterPrintDlg::~RegisterPrintDlg() {
    delete m_printer;
}

int RegisterPrintDlg::PageCount() const {
    return m_preview->PageCount();
}

bool RegisterPrintDlg::SavePdf(const QString& path) {
    const ExportResult result = WriteRegisterPdf(path, m_layout, m_heading.Organisation);
    if (!result.Ok) QMessageBox::warning(this, windowTitle(), result.Error);
    return result.Ok;
}

void RegisterPrintDlg::Print() {
    // Made only to print: a printer loads the system's printing libraries, which stay loaded.
    if (!m_printer) {
        m_printer = new QPrinter(QPrinter::HighResolution);
        m_printer->setDocName(RegisterTitle);
        SetRegisterPage(*m_printer);
    }
    QPrintDialog dialog(m_printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    PaintRegister(*m_printer, m_layout);
    accept();
}

void RegisterPrintDlg::AskAndSavePdf() {
    QFileDialog dialog(this, QStringLiteral("Сохранить реестр как PDF"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("Реестр PDF (*.pdf)"));
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.selectFile(QStringLiteral("Реестр.pdf"));
    // Asked again until the file is written or the user gives up.
    AskUntilTaken(dialog, m_source, m_table, [this](const QString& path) { return SavePdf(path); });
}
