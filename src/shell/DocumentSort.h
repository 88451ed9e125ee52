#pragma once

#include "reading/DocumentTable.h"

#include <QString>

#include <optional>
#include <vector>

class TextCoder;

// How a column is compared; the values are the list control's sort type codes.
enum class SortKind { Text = 1, Number = 2, Date = 4 };

// Number when the text passes the coder's numeric test (currency amounts included), else date
// when the date parser accepts it, else text.
SortKind SortKindFor(const QString& text, const TextCoder& coder);

// The numeric value of a list text under the coder's locale: plain numbers, grouped numbers and
// currency amounts ("1 234,50 ₽"). Nothing when the text holds no such number.
std::optional<double> ListNumberValue(const QString& text, const TextCoder& coder);

// Stable ascending sort of rows by the display text of a 0-based column. Texts that do not
// parse as the kind asks come after those that do, in text order among themselves.
void SortDocumentRows(std::vector<DocumentRow>& rows, int column, SortKind kind,
                      const TextCoder& coder);
