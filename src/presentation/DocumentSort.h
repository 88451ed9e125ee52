#pragma once

#include "reading/DocumentTable.h"

#include <QLocale>
#include <QString>

#include <optional>
#include <vector>

// How a column is compared; the values are the list control's sort type codes.
enum class SortKind { Text = 1, Number = 2, Date = 4 };

// The kind of a column, judged by one of its cells. An amount column is numbers. Otherwise a
// cell the list shows as a date (in the locale's form) is a date, one whose text is a number as
// its sender wrote it is a number ("1.234,56" under any locale), and anything else is text.
SortKind SortKindFor(const DocumentCell& cell, bool amount, const QLocale& locale);

// The number a cell is sorted by: an amount by the value the list shows for it, any other cell
// by its sender's text. Nothing when the text holds no number.
std::optional<double> SortNumber(const DocumentCell& cell, bool amount);

// Stable sort of rows by a 0-based column, ascending or descending. Cells that do not read as the
// kind asks come after those that do either way, in text order (the same way) among themselves.
void SortDocumentRows(std::vector<DocumentRow>& rows, int column, SortKind kind, bool amount,
                      const QLocale& locale, bool descending = false);

// The same sort as an order of the rows' indices, the rows left in place (it may then run on
// another thread while the rows are shown). Sorts the order given, all the rows when none.
std::vector<std::size_t> SortedOrder(const std::vector<DocumentRow>& rows, int column,
                                     SortKind kind, bool amount, const QLocale& locale,
                                     bool descending = false, std::vector<std::size_t> order = {});
// Puts the rows in an order SortedOrder gave.
void PutInOrder(std::vector<DocumentRow>& rows, const std::vector<std::size_t>& order);
// The order of an archive's rows by their entries' names, as a folder's files are listed; a
// second entry of a name (its key ends "#" and its place) after the first.
std::vector<std::size_t> EntryNameOrder(const std::vector<DocumentRow>& rows);
