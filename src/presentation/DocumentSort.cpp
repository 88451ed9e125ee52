#include "presentation/DocumentSort.h"

#include "reading/DocumentReader.h"
#include "reading/FolderListing.h"
#include "text/DateParse.h"
#include "text/DocumentNumber.h"

#include <QCollator>
#include <QHash>
#include <QThread>

#include <algorithm>
#include <functional>
#include <numeric>
#include <thread>

namespace {

const DocumentCell& CellOf(const DocumentRow& row, int column) {
    return row.Cell(column);
}

template <typename Key>
void SortByKey(const std::vector<DocumentRow>& rows, std::vector<std::size_t>& order, int column,
               const QCollator& collator, bool descending,
               const std::function<std::optional<Key>(const DocumentCell&)>& keyOf) {
    struct Entry {
        std::optional<Key> Value;
        std::size_t Index;
    };
    std::vector<Entry> entries;
    entries.reserve(order.size());
    for (const std::size_t i : order) {
        entries.push_back({keyOf(CellOf(rows[i], column)), i});
    }
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        if (a.Value && b.Value) return descending ? *b.Value < *a.Value : *a.Value < *b.Value;
        // Cells not of the kind stay last either way.
        if (a.Value || b.Value) return a.Value.has_value();
        const int order =
            collator.compare(rows[a.Index].DisplayText(column), rows[b.Index].DisplayText(column));
        return descending ? order > 0 : order < 0;
    });
    for (std::size_t i = 0; i < entries.size(); ++i)
        order[i] = entries[i].Index;
}

// Each row's collation key for its text in the column, paired with the row's index. A key is
// made once per distinct text, and on every core for many texts, each thread with a collator of
// its own (a collator is not to be shared between threads).
std::vector<std::pair<QCollatorSortKey, std::size_t>>
RowSortKeys(const std::vector<DocumentRow>& rows, int column, const QLocale& locale) {
    QHash<QString, std::size_t> slot;
    std::vector<QString> texts;
    std::vector<std::size_t> slotOf;
    slotOf.reserve(rows.size());
    for (const DocumentRow& row : rows) {
        const QString& text = row.DisplayText(column);
        auto found = slot.constFind(text);
        if (found == slot.cend()) {
            found = slot.insert(text, texts.size());
            texts.push_back(text);
        }
        slotOf.push_back(*found);
    }
    std::vector<std::optional<QCollatorSortKey>> made(texts.size());
    const auto make = [&](std::size_t from, std::size_t to) {
        QCollator collator(locale);
        collator.setNumericMode(false);
        for (std::size_t i = from; i < to; ++i)
            made[i] = collator.sortKey(texts[i]);
    };
    constexpr std::size_t ParallelFrom = 2000;
    const std::size_t workers =
        texts.size() < ParallelFrom ? 1 : std::size_t(std::max(1, QThread::idealThreadCount()));
    const std::size_t share = (texts.size() + workers - 1) / workers;
    std::vector<std::thread> threads;
    for (std::size_t w = 1; w < workers; ++w)
        threads.emplace_back(make, std::min(texts.size(), w * share),
                             std::min(texts.size(), (w + 1) * share));
    make(0, std::min(texts.size(), share));
    for (std::thread& thread : threads)
        thread.join();

    std::vector<std::pair<QCollatorSortKey, std::size_t>> keys;
    keys.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        keys.emplace_back(*made[slotOf[i]], i);
    return keys;
}

} // namespace

SortKind SortKindFor(const DocumentCell& cell, bool amount, const QLocale& locale) {
    if (amount) return SortKind::Number;
    // A date needs two separators, so no number is taken for one; but "05.03.2024" would read as
    // a number with grouped digits, so dates are asked first.
    if (ParseDateText(cell.DisplayText(), locale)) return SortKind::Date;
    if (ReadDocumentNumber(cell.RawValue())) return SortKind::Number;
    return SortKind::Text;
}

std::optional<double> SortNumber(const DocumentCell& cell, bool amount) {
    if (amount) return AmountValue(cell.RawValue());
    const std::optional<DocumentNumber> number = ReadDocumentNumber(cell.RawValue());
    if (!number) return std::nullopt;
    return number->Value();
}

std::vector<std::size_t> SortedOrder(const std::vector<DocumentRow>& rows, int column,
                                     SortKind kind, bool amount, const QLocale& locale,
                                     bool descending, std::vector<std::size_t> order) {
    if (order.empty()) {
        order.resize(rows.size());
        std::iota(order.begin(), order.end(), std::size_t(0));
    }
    QCollator collator(locale);
    collator.setNumericMode(false);
    switch (kind) {
    case SortKind::Number:
        SortByKey<double>(rows, order, column, collator, descending,
                          [&](const DocumentCell& c) { return SortNumber(c, amount); });
        break;
    case SortKind::Date:
        SortByKey<double>(rows, order, column, collator, descending, [&](const DocumentCell& c) {
            return ParseDateText(c.DisplayText(), locale);
        });
        break;
    case SortKind::Text: {
        // Collation keys are computed once per distinct text rather than once per comparison,
        // on every core: a year of purposes of payment takes a second on one.
        std::vector<std::pair<QCollatorSortKey, std::size_t>> all =
            RowSortKeys(rows, column, locale);
        std::vector<std::pair<QCollatorSortKey, std::size_t>> keys;
        keys.reserve(order.size());
        for (const std::size_t i : order)
            keys.push_back(std::move(all[i]));
        std::stable_sort(keys.begin(), keys.end(), [descending](const auto& a, const auto& b) {
            return descending ? b.first.compare(a.first) < 0 : a.first.compare(b.first) < 0;
        });
        for (std::size_t i = 0; i < keys.size(); ++i)
            order[i] = keys[i].second;
        break;
    }
    }
    return order;
}

void PutInOrder(std::vector<DocumentRow>& rows, const std::vector<std::size_t>& order) {
    std::vector<DocumentRow> sorted;
    sorted.reserve(order.size());
    for (const std::size_t i : order)
        sorted.push_back(std::move(rows[i]));
    rows = std::move(sorted);
}

void SortDocumentRows(std::vector<DocumentRow>& rows, int column, SortKind kind, bool amount,
                      const QLocale& locale, bool descending) {
    PutInOrder(rows, SortedOrder(rows, column, kind, amount, locale, descending));
}

std::vector<std::size_t> EntryNameOrder(const std::vector<DocumentRow>& rows) {
    std::vector<QStringView> names;
    names.reserve(rows.size());
    for (const DocumentRow& row : rows) {
        QStringView name = QStringView(row.SourcePath);
        name = name.mid(name.lastIndexOf(u'/') + 1);
        const qsizetype mark = name.lastIndexOf(u'#');
        if (mark > 0 && name.left(mark).endsWith(QLatin1String(".xml"), Qt::CaseInsensitive))
            name = name.left(mark);
        names.push_back(name);
    }
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return NameBefore(names[a], names[b]); });
    return order;
}
