#pragma once

#include "export/Register.h"

#include <QFont>
#include <QString>
#include <QStringList>

#include <array>
#include <span>
#include <vector>

// The printed register laid out once, in units of 1/1200 inch on the printable area of a
// landscape A4 page, so that the printer, the print preview and the PDF file break its pages
// alike. Every text is broken into lines here: nothing is wrapped or clipped when painting.
// A year's register has millions of lines: they, their texts, the pieces and the pages are each
// kept in one block, not one each, so that the layout leaves no small blocks behind on the heap
// of the thread that made it. Move only: the pages' pieces point into it.
struct RegisterPdfLayout {
    static constexpr double Dpi = 1200;
    static constexpr std::size_t MaxColumns = 7; // "№ п/п" and the six printed ones

    enum class Style { Normal, Small, Bold, Title, Heading, Note };
    struct Line {
        qsizetype Start = 0; // of its characters in Texts
        qsizetype Length = 0;
        Style Kind = Style::Normal;
        double Top = 0; // from the top of its cell, or of its block
        double Height = 0;
    };
    struct Column {
        QString Caption;
        std::vector<Line> CaptionLines;
        double Left = 0;
        double Width = 0;
        bool Right = false; // amounts line up at the right
    };
    // A document's row on a page, or the part of it a page holds.
    struct Piece {
        int Number = 0;         // its "№ п/п"
        bool Continued = false; // a part after the first: headed "(продолжение)"
        double Top = 0;
        double Height = 0;
        // Column c's lines are Lines[Cells[c]] up to Lines[Cells[c + 1]].
        std::array<std::size_t, MaxColumns + 1> Cells{};
    };
    struct Page {
        bool Header = false; // the table's header row: only on a page with rows
        double HeaderTop = 0;
        std::span<const Piece> Pieces;
        double EndTop = -1; // where the totals and the signatures begin; -1 when not here
    };

    RegisterPdfLayout() = default;
    RegisterPdfLayout(RegisterPdfLayout&&) = default;
    RegisterPdfLayout& operator=(RegisterPdfLayout&&) = default;

    QString Text(const Line& line) const {
        return QString::fromRawData(Texts.constData() + line.Start, line.Length);
    }
    std::span<const Line> CellLines(const Piece& piece, std::size_t column) const {
        return {Lines.data() + piece.Cells[column], piece.Cells[column + 1] - piece.Cells[column]};
    }

    double Width = 0; // of the printable area
    double Height = 0;
    double Pad = 0;        // inside a cell
    double FootHeight = 0; // "Стр. N из M" at the foot of every page
    std::vector<Column> Columns;
    double HeaderHeight = 0;
    std::vector<Line> TitleLines; // on the first page, above the table
    std::vector<Line> EndLines;   // under the last row
    std::vector<Page> Pages;
    std::vector<Piece> Pieces; // of every page, page by page
    std::vector<Line> Lines;   // of every piece's cells, piece by piece
    QString Texts;             // of every line
};

// The fonts of the register, at their size on a device of Dpi dots per inch.
QFont RegisterFont(RegisterPdfLayout::Style style);

// Lays out the checked documents of the table in table order: the title block; "№ п/п" (with a
// mark for a document the checks named), number, date, amount, the payer and the payee each
// with INN and account under the name, the purpose; the header row on every page with rows; a
// row taller than a page goes on over the next pages; the totals, the footnote and the
// signatures under the table, kept together with at least its last row.
RegisterPdfLayout LayOutRegisterPdf(const DocumentTable& table, const RegisterHeading& heading,
                                    const RegisterMarks& marks = {});

// "Руководитель ____________________ / Иванов И. И. /", the name's room left blank without one.
QString SignatureLine(const QString& role, const QString& name);
