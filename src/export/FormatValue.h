#pragma once

#include "export/BuildExportFile.h"

#include <QLocale>
#include <QString>

#include <variant>

// A value for a placeholder: text (row values, the account) or a date-time counted in days since
// 1899-12-30 with the time of day as the fraction (the export date and time of day).
using PlaceholderValue = std::variant<QString, double>;

// True when "-" occurs at most once and "." occurs at most once.
bool HasSingleSeparators(const QString& text);

// The locale of the statement: 1C reads it on Russian systems whoever makes it, so the names and
// the ":" and "/" of date patterns come from here, never from the reader's locale.
const QLocale& StatementLocale();

// The output text of a value: a date or time by the template's patterns, a number as its sender
// wrote it with the template's decimal separator put in once, other text from after its last
// ":"; spaces at both ends removed. The reader's locale plays no part.
QString FormatValue(const PlaceholderValue& value, const FormatSettings& formats);

// Replaces every occurrence of the placeholder, in any letter case, from left to right; the text
// put in is not searched again.
void ReplacePlaceholderText(QString& block, const QString& placeholder, const QString& text);

// FormatValue, then ReplacePlaceholderText.
void ApplyPlaceholder(QString& block, const QString& placeholder, const PlaceholderValue& value,
                      const FormatSettings& formats);
