#include "shell/DocumentSort.h"

#include "reading/DocumentReader.h"
#include "text/DateParse.h"
#include "text/DocumentNumber.h"

#include <QCollator>

#include <algorithm>
#include <functional>

namespace {

DocumentCell CellOf(const DocumentRow& row, int column) {
    return {row.DisplayText(column), row.ExportValue(column)};
}

template <typename Key>
void SortByKey(std::vector<DocumentRow>& rows, int column, const QCollator& collator,
               const std::function<std::optional<Key>(const DocumentCell&)>& keyOf) {
    struct Entry {
        std::optional<Key> Value;
        std::size_t Index;
    };
    std::vector<Entry> entries;
    entries.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        entries.push_back({keyOf(CellOf(rows[i], column)), i});
    }
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        if (a.Value && b.Value) return *a.Value < *b.Value;
        if (a.Value || b.Value) return a.Value.has_value();
        return collator.compare(rows[a.Index].DisplayText(column),
                                rows[b.Index].DisplayText(column)) < 0;
    });
    std::vector<DocumentRow> sorted;
    sorted.reserve(rows.size());
    for (const Entry& e : entries)
        sorted.push_back(std::move(rows[e.Index]));
    rows = std::move(sorted);
}

} // namespace

SortKind SortKindFor(const DocumentCell& cell, bool amount, const QLocale& locale) {
    if (amount) return SortKind::Number;
    // A date needs two separators, so no number is taken for one; but "05.03.2024" would read as
    // a number with grouped digits, so dates are asked first.
    if (ParseDateText(cell.DisplayText, locale)) return SortKind::Date;
    if (ReadDocumentNumber(cell.RawValue)) return SortKind::Number;
    return SortKind::Text;
}

std::optional<double> SortNumber(const DocumentCell& cell, bool amount) {
    if (amount) return AmountValue(cell.RawValue);
    const std::optional<DocumentNumber> number = ReadDocumentNumber(cell.RawValue);
    if (!number) return std::nullopt;
    return number->Value();
}

void SortDocumentRows(std::vector<DocumentRow>& rows, int column, SortKind kind, bool amount,
                      const QLocale& locale) {
    QCollator collator(locale);
    collator.setNumericMode(false);
    switch (kind) {
    case SortKind::Number:
        SortByKey<double>(rows, column, collator,
                          [&](const DocumentCell& c) { return SortNumber(c, amount); });
        break;
    case SortKind::Date:
        SortByKey<double>(rows, column, collator, [&](const DocumentCell& c) {
            return ParseDateText(c.DisplayText, locale);
        });
        break;
    case SortKind::Text: {
        // Collation keys are computed once per row rather than once per comparison.
        std::vector<std::pair<QCollatorSortKey, std::size_t>> keys;
        keys.reserve(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            keys.emplace_back(collator.sortKey(rows[i].DisplayText(column)), i);
        }
        std::stable_sort(keys.begin(), keys.end(),
                         [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
        std::vector<DocumentRow> sorted;
        sorted.reserve(rows.size());
        for (const auto& k : keys)
            sorted.push_back(std::move(rows[k.second]));
        rows = std::move(sorted);
        break;
    }
    }
}
