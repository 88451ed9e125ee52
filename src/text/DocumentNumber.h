#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// A number as the sender of a payment document wrote it, read from its own text: the reader's
// locale plays no part. Blanks (space, no-break space, narrow no-break space, thin space) and
// apostrophes group digits. When both "." and "," occur, the last of them is the decimal mark and
// the other groups digits; when only one of them occurs, it is the decimal mark if it occurs once
// and groups digits if it occurs more often ("12,50" and "12.50" are twelve and a half,
// "1.234.567" is a million and more).
struct DocumentNumber {
    QChar Sign;           // '-' or '+' as written; null when there is none
    QString Whole;        // the digits before the decimal mark, grouping dropped, zeros kept
    QString Fraction;     // the digits after it, exactly as many as written
    bool HasMark = false; // a decimal mark was written (possibly with no digits after it)

    // The digits with the separator put in once, the sign and the decimals as written:
    // "2 500,75" with "." gives "2500.75", "7300.00" with "," gives "7300,00".
    QString Text(const QString& decimalSeparator) const;
    // The value as a double: for display and sorting, never for the statement or for totals.
    double Value() const;
    // The value in units of 10^-decimals (kopecks for 2), exactly: none when it has non-zero
    // digits beyond those decimals or does not fit 64 bits.
    std::optional<qint64> Scaled(int decimals) const;
};

// The kopecks of an amount written plainly: digits, then at most one "." or "," and two digits,
// at most 15 digits before it; what ReadDocumentNumber(text)->Scaled(2) gives, at a fraction of
// its cost. None for anything else, which ReadDocumentNumber then reads.
std::optional<qint64> PlainKopecks(QStringView text);

// The whole text, blanks at its ends aside, as a number; none when it is anything else.
std::optional<DocumentNumber> ReadDocumentNumber(QStringView text);

// The longest leading part of the text that reads as a number ("1 234,50 руб." gives 1234.50);
// none when the text does not begin with one.
std::optional<DocumentNumber> ReadLeadingNumber(QStringView text);

// The number of an amount: the whole text as a number, or the number it begins with when words
// follow ("1 234,50 руб."); none when it holds none. The list, its totals and the statement all
// read amounts by this rule.
std::optional<DocumentNumber> AmountNumber(QStringView text);
