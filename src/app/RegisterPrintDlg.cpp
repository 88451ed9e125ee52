#include "app/RegisterPrintDlg.h"

#include "export/RegisterPdf.h"

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
                                   QWidget* parent)
    : QDialog(parent), m_table(table),
      m_heading(MakeRegisterHeading(table, settings, QDateTime::currentDateTime())),
      m_printer(new QPrinter(QPrinter::HighResolution)) {
    setObjectName(QStringLiteral("RegisterPrintDlg"));
    setWindowTitle(QStringLiteral("Печать реестра"));
    m_printer->setDocName(RegisterTitle);
    m_printer->setPageOrientation(QPageLayout::Landscape);

    m_preview = new QPrintPreviewWidget(m_printer, this);
    m_preview->setObjectName(QStringLiteral("RegisterPreview"));
    m_preview->setViewMode(QPrintPreviewWidget::SinglePageView);
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this,
            [this](QPrinter* printer) { PaintRegister(*printer, m_table, m_heading); });

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
    const ExportResult result = WriteRegisterPdf(path, m_table, m_heading);
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
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Сохранить реестр как PDF"), QStringLiteral("Реестр.pdf"),
        QStringLiteral("Реестр PDF (*.pdf)"));
    if (!path.isEmpty()) SavePdf(QDir::toNativeSeparators(path));
}
