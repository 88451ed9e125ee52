#pragma once

#include "export/BuildExportFile.h"
#include "text/DateParse.h"

#include <QHash>
#include <QLocale>
#include <QString>

#include <variant>
#include <vector>

// A value for a placeholder: text (row values, the account) or a date-time counted in days since
// 1899-12-30 with the time of day as the fraction (the export date and time of day).
using PlaceholderValue = std::variant<QString, double>;

// True when "-" occurs at most once and "." occurs at most once.
bool HasSingleSeparators(const QString& text);

// The output text of a value: a date or time by the template's patterns, a number as its sender
// wrote it with the template's decimal separator put in once, other text whole (or from after its
// last ":" when the template asks for that); every run of line breaks inside it becomes one space
// so that a value stays on its line, and spaces at both ends are removed. The reader's locale
// plays no part.
QString FormatValue(const PlaceholderValue& value, const FormatSettings& formats);

// An amount's output text: with formats.Decimals set, a number gets that many decimals, zeros
// padding a shorter fraction; a longer fraction, or text that is no number, is FormatValue's.
QString FormatAmount(const QString& value, const FormatSettings& formats);
// Whether the amount has more decimals than formats.Decimals asks for (and so is written with
// them all).
bool HasExtraDecimals(const QString& value, const FormatSettings& formats);

// A block of template text cut at its placeholders once, then filled for every row. Only the
// template's own text is searched: what is put in is never searched again, so a value holding
// braces ("ООО {ПолучательСчет}") reaches the statement as its sender wrote it.
class PlaceholderBlock {
public:
    // slotOf: each placeholder, braces included and case-folded ("{сумма}"), with the index of
    // its text in what Fill gets. A "{name}" of the block is found in any letter case.
    PlaceholderBlock(const QString& block, const QHash<QString, int>& slotOf);
    // Appends the block with every placeholder replaced by texts[its slot].
    void Fill(QString& out, const std::vector<QString>& texts) const;

private:
    struct Piece {
        QString Text;  // the template's text before the placeholder
        int Slot = -1; // the placeholder after it; -1 for the block's tail
    };
    std::vector<Piece> m_pieces;
};
