#include "presentation/WidthSample.h"

#include <algorithm>
#include <functional>

std::vector<std::size_t> WidthSampleRows(const DocumentTable& table, int column,
                                         std::size_t spread) {
    const std::size_t count = table.Rows.size();
    std::vector<std::size_t> rows;
    if (count == 0 || spread == 0) return rows;
    if (count <= spread) {
        rows.resize(count);
        for (std::size_t r = 0; r < count; ++r)
            rows[r] = r;
        return rows;
    }
    for (std::size_t i = 0; i < spread; ++i)
        rows.push_back(spread == 1 ? 0 : i * (count - 1) / (spread - 1));
    // The longest texts, by characters: the widest, give or take the face's letters.
    constexpr std::size_t Longest = 8;
    std::vector<std::pair<qsizetype, std::size_t>> longest;
    for (std::size_t r = 0; r < count; ++r) {
        const qsizetype length = table.Rows[r].DisplayText(column).size();
        if (longest.size() < Longest) {
            longest.emplace_back(length, r);
            std::push_heap(longest.begin(), longest.end(), std::greater<>());
        } else if (length > longest.front().first) {
            std::pop_heap(longest.begin(), longest.end(), std::greater<>());
            longest.back() = {length, r};
            std::push_heap(longest.begin(), longest.end(), std::greater<>());
        }
    }
    for (const auto& entry : longest)
        rows.push_back(entry.second);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}
