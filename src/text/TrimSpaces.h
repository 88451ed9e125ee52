#pragma once

#include <QString>

// Removes the spaces (U+0020 only; tabs and no-break spaces stay) at both ends, as the column map,
// the settings and the statement values are trimmed.
inline QString TrimSpaces(const QString& text) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text[from] == u' ')
        ++from;
    while (to > from && text[to - 1] == u' ')
        --to;
    return text.mid(from, to - from);
}
