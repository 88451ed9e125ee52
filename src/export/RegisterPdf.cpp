#include "export/RegisterPdf.h"
#include "export/RegisterXlsx.h"
#include "export/XlsxCells.h"

#include "text/AmountInWords.h"
#include "text/SafeWrite.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <vector>

namespace {

// The columns a page has room for, by key, with their share of the page's width.
struct PrintedColumn {
    const char* Key;
    double Share;
    Qt::Alignment Align;
};
constexpr PrintedColumn PrintedColumns[] = {
    {"Номер", 0.07, Qt::AlignLeft},       {"Дата", 0.08, Qt::AlignLeft},
    {"Сумма", 0.11, Qt::AlignRight},      {"Плательщик1", 0.22, Qt::AlignLeft},
    {"Получатель1", 0.22, Qt::AlignLeft}, {"НазначениеПлатежа", 0.30, Qt::AlignLeft},
};

struct Column {
    int Index = -1; // in the table
    QString Caption;
    double Left = 0;
    double Width = 0;
    Qt::Alignment Align;
};

QString CellText(const DocumentTable& table, const DocumentRow& row, const Column& column) {
    const ColumnDef& def = table.Columns[size_t(column.Index)];
    const QString value = row.ExportValue(column.Index).simplified();
    if (def.IsAmount()) {
        if (const std::optional<qint64> kopecks = AmountKopecks(value))
            return KopecksText(*kopecks, QStringLiteral(","), QStringLiteral("\u00A0"));
        return value;
    }
    if (const std::optional<QDate> date = RegisterDate(def, value))
        return date->toString(QStringLiteral("dd.MM.yyyy"));
    return value;
}

QFont Font(double points, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace

int PaintRegister(QPagedPaintDevice& device, const DocumentTable& table,
                  const RegisterHeading& heading) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                     QMarginsF(12, 10, 10, 10), QPageLayout::Millimeter));
    const double pageWidth = device.width();
    const double pageHeight = device.height();
    const double mm = device.logicalDpiY() / 25.4;
    const double pad = 1.0 * mm;

    const QFont titleFont = Font(13, true);
    const QFont font = Font(8);
    const QFont headFont = Font(8, true);
    const QFont footFont = Font(9);
    const QFontMetricsF metrics(font, &device);
    const QFontMetricsF headMetrics(headFont, &device);
    const QFontMetricsF titleMetrics(titleFont, &device);
    const QFontMetricsF footMetrics(footFont, &device);

    std::vector<Column> columns;
    double share = 0;
    for (const PrintedColumn& printed : PrintedColumns) {
        for (std::size_t c = 0; c < table.Columns.size(); ++c) {
            if (table.Columns[c].FieldKey().compare(QString::fromUtf8(printed.Key),
                                                    Qt::CaseInsensitive) != 0)
                continue;
            columns.push_back({int(c), table.Columns[c].Caption, 0, printed.Share, printed.Align});
            share += printed.Share;
            break;
        }
    }
    // Columns a map lacks leave their room to the others.
    double left = 0;
    for (Column& column : columns) {
        column.Width = column.Width / share * pageWidth;
        column.Left = left;
        left += column.Width;
    }

    const auto wrappedHeight = [&](const QFontMetricsF& m, const Column& column,
                                   const QString& text) {
        const QRectF box(0, 0, column.Width - 2 * pad, 1e9);
        return m.boundingRect(box, Qt::TextWordWrap | column.Align, text).height() + 2 * pad;
    };

    // The title block, the header row, the foot line and the end block, measured once.
    QStringList titleLines{RegisterTitle};
    QStringList about;
    if (!heading.Organisation.isEmpty()) about << heading.Organisation;
    if (!heading.Account.isEmpty()) about << QStringLiteral("счет ") + heading.Account;
    if (!about.isEmpty()) titleLines << about.join(QStringLiteral(", "));
    if (const QString period = RegisterPeriodText(heading); !period.isEmpty()) titleLines << period;
    const double titleHeight =
        titleMetrics.height() + (titleLines.size() - 1) * footMetrics.height() * 1.2 + 3 * mm;
    double headerHeight = 0;
    for (const Column& column : columns)
        headerHeight = std::max(headerHeight, wrappedHeight(headMetrics, column, column.Caption));
    const double footHeight = footMetrics.height() + 2 * mm;
    QStringList endLines{RegisterTotalText(heading.Totals)};
    if (heading.Totals.Exact()) endLines << AmountInWords(heading.Totals.Kopecks);
    endLines << QString() << QStringLiteral("Руководитель ____________________") << QString()
             << QStringLiteral("Главный бухгалтер ____________________");
    const double endHeight = 3 * mm + endLines.size() * footMetrics.height() * 1.3;
    const double bodyBottom = pageHeight - footHeight;

    // Where every row goes: its page and top; a row taller than a page is cut at its foot.
    struct Placed {
        const DocumentRow* Row;
        QStringList Texts;
        int Page;
        double Top;
        double Height;
    };
    std::vector<Placed> placed;
    int page = 0;
    double y = titleHeight + headerHeight;
    const double roomPerPage = bodyBottom - headerHeight;
    for (const DocumentRow& row : table.Rows) {
        if (!row.Checked) continue;
        QStringList texts;
        double height = metrics.height() + 2 * pad;
        for (const Column& column : columns) {
            texts << CellText(table, row, column);
            height = std::max(height, wrappedHeight(metrics, column, texts.back()));
        }
        height = std::min(height, roomPerPage);
        if (y + height > bodyBottom) {
            ++page;
            y = headerHeight;
        }
        placed.push_back({&row, texts, page, y, height});
        y += height;
    }
    if (y + endHeight > bodyBottom) {
        ++page;
        y = 0;
    }
    const double endTop = y;
    const int pages = page + 1;

    QPainter painter;
    if (!painter.begin(&device)) return 0;
    painter.setPen(QPen(Qt::black, 0.2 * mm));
    const auto drawHeader = [&](double top) {
        painter.setFont(headFont);
        for (const Column& column : columns) {
            const QRectF cell(column.Left, top, column.Width, headerHeight);
            painter.fillRect(cell, QColor(235, 235, 235));
            painter.drawRect(cell);
            painter.drawText(cell.adjusted(pad, pad, -pad, -pad),
                             Qt::TextWordWrap | Qt::AlignVCenter | column.Align, column.Caption);
        }
    };
    const auto drawFoot = [&](int number) {
        painter.setFont(footFont);
        painter.drawText(
            QRectF(0, pageHeight - footMetrics.height(), pageWidth, footMetrics.height()),
            Qt::AlignRight | Qt::AlignBottom,
            QStringLiteral("Стр. %1 из %2").arg(number).arg(pages));
    };
    const auto startPage = [&](int number) {
        if (number > 0 && !device.newPage()) return false;
        drawFoot(number + 1);
        double top = 0;
        if (number == 0) {
            painter.setFont(titleFont);
            painter.drawText(QRectF(0, 0, pageWidth, titleMetrics.height()), Qt::AlignHCenter,
                             titleLines.front());
            painter.setFont(footFont);
            double line = titleMetrics.height();
            for (qsizetype i = 1; i < titleLines.size(); ++i) {
                painter.drawText(QRectF(0, line, pageWidth, footMetrics.height()), Qt::AlignHCenter,
                                 titleLines[i]);
                line += footMetrics.height() * 1.2;
            }
            top = titleHeight;
        }
        if (number < page || !placed.empty() || number == 0) drawHeader(top);
        return true;
    };

    int current = 0;
    if (!startPage(0)) return 0;
    for (const Placed& item : placed) {
        while (item.Page > current)
            if (!startPage(++current)) return 0;
        painter.setFont(font);
        for (qsizetype c = 0; c < qsizetype(columns.size()); ++c) {
            const Column& column = columns[size_t(c)];
            const QRectF cell(column.Left, item.Top, column.Width, item.Height);
            painter.drawRect(cell);
            painter.save();
            painter.setClipRect(cell);
            painter.drawText(cell.adjusted(pad, pad, -pad, -pad),
                             Qt::TextWordWrap | Qt::AlignTop | column.Align, item.Texts[c]);
            painter.restore();
        }
    }
    while (current < page)
        if (!startPage(++current)) return 0;
    painter.setFont(footFont);
    double line = endTop + 3 * mm;
    for (qsizetype i = 0; i < endLines.size(); ++i) {
        painter.setFont(i == 0 ? Font(9, true) : footFont);
        painter.drawText(QRectF(0, line, pageWidth, footMetrics.height() * 1.3), Qt::AlignLeft,
                         endLines[i]);
        line += footMetrics.height() * 1.3;
    }
    painter.end();
    return pages;
}

ExportResult WriteRegisterPdf(const QString& path, const DocumentTable& table,
                              const RegisterHeading& heading) {
    const auto failed = [&](const QString& why) { return RegisterFailure(path, why); };
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(300);
        writer.setTitle(RegisterTitle);
        writer.setCreator(heading.Organisation);
        if (PaintRegister(writer, table, heading) == 0)
            return failed(QStringLiteral("страницы не нарисованы"));
    }
    QString error;
    if (!WriteFileAtomically(path, buffer.data(), ReadOnlyTarget::Replace, &error))
        return failed(error);
    return {true, {}, ExportFailure::None, {}};
}

ExportResult WriteRegister(const QString& path, RegisterFormat format, const DocumentTable& table,
                           const INIStorage& settings, const QDateTime& created,
                           const FindingList& findings) {
    const RegisterHeading heading = MakeRegisterHeading(table, settings, created);
    if (format == RegisterFormat::Pdf) return WriteRegisterPdf(path, table, heading);
    FindingList listed = findings;
    const FindingList amounts = RegisterAmountFindings(table, findings);
    listed.insert(listed.end(), amounts.begin(), amounts.end());
    const FindingList altered = XlsxValueFindings(table);
    listed.insert(listed.end(), altered.begin(), altered.end());
    ExportResult result = WriteRegisterXlsx(path, table, heading, listed);
    if (result.Ok)
        for (const Finding& finding : altered)
            result.Problems << FindingLine(finding);
    return result;
}
