#pragma once

#include "reading/DocumentTable.h"

#include <cstddef>
#include <vector>

// The rows whose texts a column's width is fitted to: up to spread rows spread evenly over the
// whole table (the first and the last among them), and the few with the longest text in that
// column, so that a later sort brings no clipped value to the top.
std::vector<std::size_t> WidthSampleRows(const DocumentTable& table, int column,
                                         std::size_t spread);
