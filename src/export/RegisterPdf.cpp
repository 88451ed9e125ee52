#include "export/RegisterPdf.h"
#include "export/RegisterPdfLayout.h"
#include "export/RegisterXlsx.h"
#include "export/XlsxCells.h"

#include "text/SafeWrite.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

namespace {

using Style = RegisterPdfLayout::Style;
using Line = RegisterPdfLayout::Line;

const QString Continued = QStringLiteral("(продолжение)");

} // namespace

void SetRegisterPage(QPagedPaintDevice& device) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                     QMarginsF(12, 10, 10, 10), QPageLayout::Millimeter));
}

void PaintRegisterPage(QPainter& painter, const RegisterPdfLayout& layout, int page,
                       double fontScale) {
    const auto useFont = [&](Style style) {
        QFont font = RegisterFont(style);
        font.setPointSizeF(font.pointSizeF() / fontScale);
        painter.setFont(font);
    };
    const double width = layout.Width;
    const double pad = layout.Pad;
    const auto drawText = [&](const QString& text, const Line& line, double left, double top,
                              double room, Qt::Alignment align) {
        useFont(line.Kind);
        painter.drawText(QRectF(left, top + line.Top, room, line.Height),
                         align | Qt::AlignTop | Qt::TextDontClip | Qt::TextSingleLine, text);
    };
    const auto drawLine = [&](const Line& line, double left, double top, double room,
                              Qt::Alignment align) {
        drawText(layout.Text(line), line, left, top, room, align);
    };
    painter.setPen(QPen(Qt::black, 0.2 * RegisterPdfLayout::Dpi / 25.4));
    const int pages = int(layout.Pages.size());
    const RegisterPdfLayout::Page& shown = layout.Pages[size_t(page)];
    useFont(Style::Heading);
    painter.drawText(QRectF(0, layout.Height - layout.FootHeight, width, layout.FootHeight),
                     Qt::AlignRight | Qt::AlignBottom,
                     QStringLiteral("Стр. %1 из %2").arg(page + 1).arg(pages));
    if (page == 0)
        for (const Line& line : layout.TitleLines)
            drawLine(line, 0, 0, width, Qt::AlignHCenter);
    if (shown.Header) {
        for (const RegisterPdfLayout::Column& column : layout.Columns) {
            const QRectF cell(column.Left, shown.HeaderTop, column.Width, layout.HeaderHeight);
            painter.fillRect(cell, QColor(235, 235, 235));
            painter.drawRect(cell);
            for (const Line& line : column.CaptionLines)
                drawLine(line, column.Left + pad, shown.HeaderTop + pad, column.Width - 2 * pad,
                         Qt::AlignLeft);
        }
    }
    for (const RegisterPdfLayout::Piece& piece : shown.Pieces) {
        for (std::size_t c = 0; c < layout.Columns.size(); ++c) {
            const RegisterPdfLayout::Column& column = layout.Columns[c];
            painter.drawRect(QRectF(column.Left, piece.Top, column.Width, piece.Height));
            for (const Line& line : layout.CellLines(piece, c))
                drawLine(line, column.Left + pad, piece.Top, column.Width - 2 * pad,
                         column.Right && line.Kind == Style::Normal ? Qt::AlignRight
                                                                    : Qt::AlignLeft);
        }
        if (piece.Continued) {
            const Line line{0, 0, Style::Small, pad, piece.Height};
            drawText(Continued, line, pad, piece.Top, width, Qt::AlignLeft);
        }
    }
    if (shown.EndTop >= 0)
        for (const Line& line : layout.EndLines)
            drawLine(line, 0, shown.EndTop, width, Qt::AlignLeft);
}

int PaintRegister(QPagedPaintDevice& device, const RegisterPdfLayout& layout,
                  const ExportProgress& progress) {
    SetRegisterPage(device);
    QPainter painter;
    if (!painter.begin(&device)) return 0;
    // The layout's units to the device's: the same lines on every device, only finer or coarser.
    const double scale = device.logicalDpiY() / RegisterPdfLayout::Dpi;
    painter.scale(scale, scale);
    const int pages = int(layout.Pages.size());
    for (int p = 0; p < pages; ++p) {
        if (progress && !progress(p, pages)) return 0;
        if (p > 0 && !device.newPage()) return 0;
        PaintRegisterPage(painter, layout, p, scale);
    }
    painter.end();
    return pages;
}

ExportResult WriteRegisterPdf(const QString& path, const RegisterPdfLayout& layout,
                              const QString& organisation, const ExportProgress& progress) {
    const auto failed = [&](const QString& why) { return RegisterFailure(path, why); };
    const qint64 total = qint64(layout.Pages.size());
    const ExportResult stopped{false, ExportStoppedText, ExportFailure::Stopped, {}};
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(int(RegisterPdfLayout::Dpi));
        writer.setTitle(RegisterTitle);
        writer.setCreator(organisation);
        bool stop = false;
        const ExportProgress pages = [&](qint64 done, qint64 all) {
            return !(stop = progress && !progress(done, all));
        };
        if (PaintRegister(writer, layout, pages) == 0)
            return stop ? stopped : failed(QStringLiteral("страницы не нарисованы"));
    }
    if (progress && !progress(total, total)) return stopped;
    QString error;
    if (!WriteFileAtomically(path, buffer.data(), ReadOnlyTarget::Replace, &error))
        return failed(error);
    return {true, {}, ExportFailure::None, {}};
}

ExportResult WriteRegisterPdf(const QString& path, const DocumentTable& table,
                              const RegisterHeading& heading, const FindingList& findings) {
    return WriteRegisterPdf(path, LayOutRegisterPdf(table, heading, MarkDocuments(table, findings)),
                            heading.Organisation);
}

ExportResult WriteRegister(const QString& path, RegisterFormat format, const DocumentTable& table,
                           const INIStorage& settings, const QDateTime& created,
                           const FindingList& findings, const ExportProgress& progress) {
    const RegisterHeading heading = MakeRegisterHeading(table, settings, created);
    if (format == RegisterFormat::Pdf)
        return WriteRegisterPdf(path,
                                LayOutRegisterPdf(table, heading, MarkDocuments(table, findings)),
                                heading.Organisation, progress);
    FindingList listed = findings;
    const FindingList amounts = RegisterAmountFindings(table, findings);
    listed.insert(listed.end(), amounts.begin(), amounts.end());
    const FindingList altered = XlsxValueFindings(table);
    listed.insert(listed.end(), altered.begin(), altered.end());
    ExportResult result = WriteRegisterXlsx(path, table, heading, listed, progress);
    if (result.Ok)
        for (const Finding& finding : altered)
            result.Problems << FindingLine(finding);
    return result;
}
