#include "shell/DocumentSort.h"

#include "text/DateParse.h"
#include "text/TextCoder.h"

#include <QCollator>

#include <algorithm>
#include <cmath>
#include <functional>

SortKind SortKindFor(const QString& text, const TextCoder& coder) {
    // A text is sorted as a number only when it can also be read as one ("05.03.2024"
    // passes a loose numeric test but is a date).
    if (coder.IsNumber(text) && ListNumberValue(text, coder)) return SortKind::Number;
    if (ParseDateText(text, coder.Locale())) return SortKind::Date;
    return SortKind::Text;
}

std::optional<double> ListNumberValue(const QString& text, const TextCoder& coder) {
    const QLocale& locale = coder.Locale();
    bool ok = false;
    double value = locale.toDouble(text.trimmed(), &ok);
    // "nan" and "inf" parse, but a NaN key would break the ordering the sort relies on.
    if (ok) return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;

    // A currency amount: drop the symbol and every kind of space (the group mark of some
    // locales is a no-break space), then read what is left as a plain number.
    QString plain = text;
    const QString symbol = locale.currencySymbol();
    if (!symbol.isEmpty()) plain.remove(symbol);
    bool negative = false;
    plain = plain.trimmed();
    if (plain.startsWith(u'(') && plain.endsWith(u')')) {
        negative = true;
        plain = plain.mid(1, plain.size() - 2);
    }
    QString compact;
    compact.reserve(plain.size());
    for (const QChar c : plain) {
        if (!c.isSpace() && c != QChar(0x202F) && c != QChar(0x00A0)) compact.append(c);
    }
    if (compact.isEmpty()) return std::nullopt;
    QLocale noGroups = locale;
    noGroups.setNumberOptions(locale.numberOptions() & ~QLocale::RejectGroupSeparator);
    value = noGroups.toDouble(compact, &ok);
    if (!ok) value = QLocale::c().toDouble(compact, &ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

namespace {

template <typename Key>
void SortByKey(std::vector<DocumentRow>& rows, int column, const QCollator& collator,
               const std::function<std::optional<Key>(const QString&)>& keyOf) {
    struct Entry {
        std::optional<Key> Value;
        std::size_t Index;
    };
    std::vector<Entry> entries;
    entries.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        entries.push_back({keyOf(rows[i].DisplayText(column)), i});
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

void SortDocumentRows(std::vector<DocumentRow>& rows, int column, SortKind kind,
                      const TextCoder& coder) {
    QCollator collator(coder.Locale());
    collator.setNumericMode(false);
    switch (kind) {
    case SortKind::Number:
        SortByKey<double>(rows, column, collator,
                          [&](const QString& t) { return ListNumberValue(t, coder); });
        break;
    case SortKind::Date:
        SortByKey<double>(rows, column, collator,
                          [&](const QString& t) { return ParseDateText(t, coder.Locale()); });
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
