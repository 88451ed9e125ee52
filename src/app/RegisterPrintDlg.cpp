#include "app/RegisterPrintDlg.h"

#include "export/RegisterPdf.h"
#include "export/SourceGuard.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

RegisterPrintDlg::RegisterPrintDlg(const DocumentTable& table, const INIStorage& settings,
                                   const QString& source, const FindingList& findings,
                                   QWidget* parent)
    : QDialog(parent), m_table(table), m_source(source),
      m_heading(MakeRegisterHeading(table, settings, QDateTime::currentDateTime())),
      m_layout(LayOutRegisterPdf(table, m_heading, MarkDocuments(table, findings))),
      m_printer(new QPrinter(QPrinter::HighResolution)) {
    setObjectName(QStringLiteral("RegisterPrintDlg"));
    setWindowTitle(QStringLiteral("Печать реестра"));
    m_printer->setDocName(RegisterTitle);
    SetRegisterPage(*m_printer);

    m_preview = new QPrintPreviewWidget(m_printer, this);
    m_preview->setObjectName(QStringLiteral("RegisterPreview"));
    m_preview->setViewMode(QPrintPreviewWidget::SinglePageView);
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this,
            [this](QPrinter* printer) { PaintRegister(*printer, m_layout); });

    auto* tools = new QToolBar(this);
    tools->addAction(QStringLiteral("По ширине"), m_preview, &QPrintPreviewWidget::fitToWidth);
    tools->addAction(QStringLiteral("Страница целиком"), m_preview,
                     &QPrintPreviewWidget::fitInView);
    tools->addAction(QStringLiteral("Крупнее"), m_preview, [this] { m_preview->zoomIn(); });
    tools->addAction(QStringLiteral("Мельче"), m_preview, [this] { m_preview->zoomOut(); });
    tools->addSeparator();
    tools->addAction(QStringLiteral("Все страницы"), m_preview,
                     [this] { m_preview->setViewMode(QPrintPreviewWidget::AllPagesView); });

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
    delete m_preview; // it paints on the printer to the last
    delete m_printer;
}

int RegisterPrintDlg::PageCount() const {
    return m_preview->pageCount();
}

bool RegisterPrintDlg::SavePdf(const QString& path) {
    if (const QString refused = ReplacedSourceText(path, m_source, m_table); !refused.isEmpty()) {
        QMessageBox::warning(this, windowTitle(), refused);
        return false;
    }
    const ExportResult result = WriteRegisterPdf(path, m_layout, m_heading.Organisation);
    if (!result.Ok) QMessageBox::warning(this, windowTitle(), result.Error);
    return result.Ok;
}

void RegisterPrintDlg::Print() {
    QPrintDialog dialog(m_printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    m_preview->print();
    accept();
}

void RegisterPrintDlg::AskAndSavePdf() {
    QFileDialog dialog(this, QStringLiteral("Сохранить реестр как PDF"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("Реестр PDF (*.pdf)"));
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.selectFile(QStringLiteral("Реестр.pdf"));
    // Asked again until the file is written or the user gives up.
    while (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        if (SavePdf(QDir::toNativeSeparators(dialog.selectedFiles().front()))) return;
}
