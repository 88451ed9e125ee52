#include "export/RegisterPdfLayout.h"

#include "text/AmountInWords.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPdfWriter>
#include <QTextLayout>

#include <algorithm>

namespace {

using Style = RegisterPdfLayout::Style;
using Line = RegisterPdfLayout::Line;

// The printed columns by key; the ones a map lacks are left out. Fixed columns are as wide as
// their widest value, the text columns share the rest.
struct PrintedColumn {
    const char* Key;
    double Share; // of the room left to text; 0 for a fixed column
    bool Right;
};
constexpr PrintedColumn PrintedColumns[] = {
    {"Номер", 0, false},         {"Дата", 0, false},          {"Сумма", 0, true},
    {"Плательщик1", 1.0, false}, {"Получатель1", 1.0, false}, {"НазначениеПлатежа", 1.5, false},
};
static_assert(std::size(PrintedColumns) + 1 <= RegisterPdfLayout::MaxColumns,
              "a piece keeps the line ranges of at most MaxColumns cells");
// A fixed column never takes more than this share of the width: a value longer than that wraps.
constexpr double WidestFixedShare = 0.2;

// The device every measure is taken on: a PDF of the layout's resolution, as the file is. The
// lines it wraps keep their characters in texts.
class Measure {
public:
    explicit Measure(QString& texts) : m_texts(texts), m_writer(&m_buffer) {
        m_buffer.open(QIODevice::WriteOnly);
        m_writer.setResolution(int(RegisterPdfLayout::Dpi));
        m_writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                           QMarginsF(12, 10, 10, 10), QPageLayout::Millimeter));
    }
    double Width() const { return m_writer.width(); }
    double Height() const { return m_writer.height(); }
    double Advance(const QString& text, Style style) {
        return QFontMetricsF(RegisterFont(style), &m_writer).horizontalAdvance(text);
    }
    double LineHeight(Style style) {
        return QFontMetricsF(RegisterFont(style), &m_writer).lineSpacing();
    }
    // The text broken into lines no wider than width, added to lines: at blanks, or anywhere in
    // a word longer than a line, so that nothing is ever cut off.
    void Wrap(const QString& text, Style style, double width, std::vector<Line>& lines) {
        const double height = LineHeight(style);
        const std::size_t first = lines.size();
        QTextLayout layout(text, RegisterFont(style), &m_writer);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(std::max(width, 1.0));
            QStringView piece = QStringView(text).mid(line.textStart(), line.textLength());
            while (!piece.isEmpty() && piece.back().isSpace())
                piece.chop(1);
            lines.push_back({m_texts.size(), piece.size(), style, 0, height});
            m_texts.append(piece);
        }
        layout.endLayout();
        if (lines.size() == first) lines.push_back({m_texts.size(), 0, style, 0, height});
    }

private:
    QString& m_texts;
    QBuffer m_buffer;
    QPdfWriter m_writer;
};

// Stacks lines one under another from top; returns the height they take.
double Stack(std::vector<Line>& lines, double top = 0) {
    double y = top;
    for (Line& line : lines) {
        line.Top = y;
        y += line.Height;
    }
    return y - top;
}

QString CellText(const DocumentTable& table, const DocumentRow& row, int column) {
    const ColumnDef& def = table.Columns[size_t(column)];
    const QString value = row.ExportValue(column).simplified();
    if (def.IsAmount()) {
        if (const std::optional<qint64> kopecks = AmountKopecks(value))
            return KopecksText(*kopecks, QStringLiteral(","), QStringLiteral("\u00A0"));
        return value;
    }
    if (const std::optional<QDate> date = RegisterDate(def, value))
        return date->toString(QStringLiteral("dd.MM.yyyy"));
    return value;
}

} // namespace

QFont RegisterFont(Style style) {
    QFont font(QStringLiteral("DejaVu Sans"));
    double points = 8;
    switch (style) {
    case Style::Normal:
        break;
    case Style::Small:
        points = 6.5;
        break;
    case Style::Bold:
        font.setBold(true);
        break;
    case Style::Title:
        points = 13;
        font.setBold(true);
        break;
    case Style::Heading:
        points = 9;
        break;
    case Style::Note:
        points = 9;
        font.setBold(true);
        break;
    }
    font.setPointSizeF(points);
    return font;
}

QString SignatureLine(const QString& role, const QString& name) {
    const QString blank(20, u'_');
    return QStringLiteral("%1 %2 / %3 /").arg(role, blank, name.isEmpty() ? blank : name);
}

RegisterPdfLayout LayOutRegisterPdf(const DocumentTable& table, const RegisterHeading& heading,
                                    const RegisterMarks& marks) {
    RegisterPdfLayout out;
    Measure measure(out.Texts);
    out.Width = measure.Width();
    out.Height = measure.Height();
    const double mm = RegisterPdfLayout::Dpi / 25.4;
    out.Pad = 1.0 * mm;
    const double pad = out.Pad;
    out.FootHeight = measure.LineHeight(Style::Heading) + 2 * mm;

    // The columns: "№ п/п", then those of the map, each fixed one fitted to its widest value.
    struct Source {
        int Index; // in the table; -1 for "№ п/п"
        double Share;
    };
    std::vector<Source> sources{{-1, 0}};
    out.Columns.push_back({QStringLiteral("№ п/п"), {}, 0, 0, false});
    for (const PrintedColumn& printed : PrintedColumns) {
        const int index = KeyedColumn(table.Columns, QString::fromUtf8(printed.Key));
        if (index < 0) continue;
        sources.push_back({index, printed.Share});
        out.Columns.push_back({table.Columns[size_t(index)].Caption, {}, 0, 0, printed.Right});
    }
    const int payerInn = KeyedColumn(table.Columns, u"ПлательщикИНН");
    const int payerAccount = KeyedColumn(table.Columns, u"ПлательщикСчет");
    const int payeeInn = KeyedColumn(table.Columns, u"ПолучательИНН");
    const int payeeAccount = KeyedColumn(table.Columns, u"ПолучательСчет");

    std::vector<const DocumentRow*> rows;
    for (const DocumentRow& row : table.Rows)
        if (row.Checked) rows.push_back(&row);

    const double widestFixed = WidestFixedShare * out.Width;
    double fixedWidth = 0;
    double shares = 0;
    for (std::size_t c = 0; c < sources.size(); ++c) {
        RegisterPdfLayout::Column& column = out.Columns[c];
        if (sources[c].Share > 0) {
            shares += sources[c].Share;
            continue;
        }
        // A caption may wrap at its blanks, a value never: the widest word of the one, the
        // widest whole value of the other.
        double widest = 0;
        for (const QString& word : column.Caption.split(u' ', Qt::SkipEmptyParts))
            widest = std::max(widest, measure.Advance(word, Style::Bold));
        if (sources[c].Index < 0) {
            widest = std::max(widest, measure.Advance(QString::number(rows.size()) + DocumentMark,
                                                      Style::Normal));
        } else {
            for (const DocumentRow* row : rows)
                widest = std::max(widest, measure.Advance(CellText(table, *row, sources[c].Index),
                                                          Style::Normal));
        }
        column.Width = std::min(widest + 2 * pad + 1, widestFixed);
        fixedWidth += column.Width;
    }
    const double textRoom = std::max(out.Width - fixedWidth, 0.0);
    double left = 0;
    for (std::size_t c = 0; c < sources.size(); ++c) {
        RegisterPdfLayout::Column& column = out.Columns[c];
        if (sources[c].Share > 0) column.Width = textRoom * sources[c].Share / shares;
        column.Left = left;
        left += column.Width;
        measure.Wrap(column.Caption, Style::Bold, column.Width - 2 * pad, column.CaptionLines);
        out.HeaderHeight = std::max(out.HeaderHeight, Stack(column.CaptionLines) + 2 * pad);
    }

    // The title block and the end block.
    const auto addLines = [&](std::vector<Line>& block, const QString& text, Style style) {
        measure.Wrap(text, style, out.Width, block);
    };
    addLines(out.TitleLines, RegisterTitle, Style::Title);
    for (const QString& line :
         {RegisterOrganisationText(heading), RegisterPeriodText(heading),
          heading.Created.isValid() ? RegisterCreatedText(heading.Created) : QString()})
        if (!line.isEmpty()) addLines(out.TitleLines, line, Style::Heading);
    const double titleHeight = Stack(out.TitleLines) + 3 * mm;

    const QStringList totals = RegisterTotalTexts(heading);
    for (qsizetype i = 0; i < totals.size(); ++i) {
        addLines(out.EndLines, totals[i], Style::Note);
        if (i < qsizetype(heading.TotalLines.size()) && heading.TotalLines[size_t(i)].Exact())
            addLines(out.EndLines, AmountInWords(heading.TotalLines[size_t(i)].Kopecks),
                     Style::Heading);
    }
    if (!marks.Footnote.isEmpty()) addLines(out.EndLines, marks.Footnote, Style::Heading);
    for (const QString& line :
         {QString(), SignatureLine(QStringLiteral("Руководитель"), heading.Director), QString(),
          SignatureLine(QStringLiteral("Главный бухгалтер"), heading.ChiefAccountant)})
        addLines(out.EndLines, line, Style::Heading);
    const double endHeight = 3 * mm + Stack(out.EndLines, 3 * mm);

    // Pages: a row that fits goes whole; one that would fit an empty page starts one; a taller
    // one is cut at a line and goes on over the next pages. The totals need room under the last
    // row: when it lacks, that row starts the page they go on. One row's lines are held at a
    // time, in blocks kept from row to row.
    const double smallHeight = measure.LineHeight(Style::Small);
    const double bottom = out.Height - out.FootHeight;
    std::vector<std::size_t> pageStarts{0}; // each page's first piece
    out.Pages.push_back({});
    double y = titleHeight;
    const auto newPage = [&] {
        out.Pages.push_back({});
        pageStarts.push_back(out.Pieces.size());
        y = 0;
    };
    const auto pageTop = [&](RegisterPdfLayout::Page& page) {
        if (!page.Header) {
            page.Header = true;
            page.HeaderTop = y;
            y += out.HeaderHeight;
        }
    };
    const auto pageEmpty = [&] { return pageStarts.back() == out.Pieces.size(); };
    const double continuedHeight = smallHeight;
    std::vector<std::vector<Line>> cells(sources.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const DocumentRow& row = *rows[r];
        for (std::size_t c = 0; c < sources.size(); ++c) {
            std::vector<Line>& cell = cells[c];
            cell.clear();
            const double width = out.Columns[c].Width - 2 * pad;
            const int index = sources[c].Index;
            QString text =
                index < 0 ? QString::number(r + 1) +
                                (marks.Marked.contains(row.SourcePath) ? DocumentMark : QString())
                          : CellText(table, row, index);
            measure.Wrap(text, Style::Normal, width, cell);
            // The payer and the payee: their INN and account under the name, smaller.
            const QString key = index < 0 ? QString() : table.Columns[size_t(index)].FieldKey();
            const bool payer = key.compare(u"Плательщик1", Qt::CaseInsensitive) == 0;
            const bool payee = key.compare(u"Получатель1", Qt::CaseInsensitive) == 0;
            if (payer || payee) {
                const int inn = payer ? payerInn : payeeInn;
                const int account = payer ? payerAccount : payeeAccount;
                for (const auto& [prefix, at] :
                     {std::pair{QStringLiteral("ИНН "), inn}, {QStringLiteral("сч. "), account}}) {
                    const QString value = at < 0 ? QString() : row.ExportValue(at).simplified();
                    if (value.isEmpty()) continue;
                    measure.Wrap(prefix + value, Style::Small, width, cell);
                }
            }
        }
        const int number = int(r) + 1;
        const bool last = r + 1 == rows.size();
        const double reserve = last ? endHeight : 0;
        // A cut of the row: where the lines taken of each cell end, and the piece's height.
        struct Cut {
            std::array<std::size_t, RegisterPdfLayout::MaxColumns> To{};
            double Height = 0;
            bool Any = false; // a line taken
        };
        std::array<std::size_t, RegisterPdfLayout::MaxColumns> from{}; // each cell's next line
        bool continued = false;
        // The lines of every cell from `from` on that fit the height (all of them by default).
        const auto take = [&](double limit) {
            Cut cut;
            const double top = pad + (continued ? continuedHeight : 0);
            double used = 0;
            for (std::size_t c = 0; c < cells.size(); ++c) {
                std::size_t to = from[c];
                double h = 0;
                while (to < cells[c].size() && h + cells[c][to].Height <= limit) {
                    h += cells[c][to++].Height;
                    cut.Any = true;
                }
                cut.To[c] = to;
                used = std::max(used, h);
            }
            cut.Height = used + top + pad;
            return cut;
        };
        const auto place = [&](const Cut& cut) {
            RegisterPdfLayout::Piece piece{number, continued, y, cut.Height, {}};
            for (std::size_t c = 0; c < cells.size(); ++c) {
                piece.Cells[c] = out.Lines.size();
                double top = pad + (continued ? continuedHeight : 0);
                for (std::size_t i = from[c]; i < cut.To[c]; ++i) {
                    Line line = cells[c][i];
                    line.Top = top;
                    top += line.Height;
                    out.Lines.push_back(line);
                }
            }
            piece.Cells[cells.size()] = out.Lines.size();
            y += piece.Height;
            out.Pieces.push_back(piece);
        };
        while (true) {
            RegisterPdfLayout::Page& page = out.Pages.back();
            const double room = bottom - y - (page.Header ? 0 : out.HeaderHeight);
            const double fresh = bottom - out.HeaderHeight;
            const double lineTop = 2 * pad + (continued ? continuedHeight : 0);
            const Cut whole = take(1e18);
            if (whole.Height + reserve <= room) {
                pageTop(page);
                place(whole);
                break;
            }
            if (!continued && !pageEmpty() && whole.Height + reserve <= fresh) {
                newPage();
                continue;
            }
            // Too tall for a page: as much as fits here, the rest over the next pages. The last
            // row keeps a line back for the page the totals go on.
            double limit = room - lineTop;
            if (last && whole.Height <= room) limit -= reserve;
            Cut part = take(limit);
            if (!part.Any && pageEmpty()) part = take(room - lineTop);
            if (!part.Any && !pageEmpty()) {
                newPage();
                continue;
            }
            pageTop(page);
            bool allTaken = true;
            for (std::size_t c = 0; c < cells.size(); ++c)
                allTaken = allTaken && part.To[c] == cells[c].size();
            if (!part.Any || allTaken) {
                // Nothing more can be cut: the row goes whole, the totals after it.
                place(whole);
                break;
            }
            place(part);
            from = part.To;
            continued = true;
            newPage();
        }
    }
    if (y + endHeight > bottom && !pageEmpty()) newPage();
    out.Pages.back().EndTop = y;
    pageStarts.push_back(out.Pieces.size());
    for (std::size_t p = 0; p < out.Pages.size(); ++p)
        out.Pages[p].Pieces = std::span<const RegisterPdfLayout::Piece>(out.Pieces).subspan(
            pageStarts[p], pageStarts[p + 1] - pageStarts[p]);
    return out;
}
