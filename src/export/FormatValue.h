#pragma once

#include "export/BuildExportFile.h"

#include <QString>

#include <variant>

class TextCoder;

// A value for a placeholder: text (row values, the account) or a date-time counted in days since
// 1899-12-30 with the time of day as the fraction (the export date and time of day).
using PlaceholderValue = std::variant<QString, double>;

// True when "-" occurs at most once and "." occurs at most once.
bool HasSingleSeparators(const QString& text);

// The output text of a value: a date or time by the template's patterns, a number with the
// template's decimal separator and without the locale's group and currency marks, other text
// from after its last ":"; spaces at both ends removed.
QString FormatValue(const PlaceholderValue& value, const FormatSettings& formats,
                    const TextCoder& coder);

// Replaces every occurrence of the placeholder, in any letter case, from left to right; the text
// put in is not searched again.
void ReplacePlaceholderText(QString& block, const QString& placeholder, const QString& text);

// FormatValue, then ReplacePlaceholderText.
void ApplyPlaceholder(QString& block, const QString& placeholder, const PlaceholderValue& value,
                      const FormatSettings& formats, const TextCoder& coder);
