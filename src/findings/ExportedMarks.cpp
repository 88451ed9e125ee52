#include "findings/ExportedMarks.h"

#include <QHash>

#include <algorithm>

namespace {
std::uint32_t MarkHash(const QString& sourcePath) {
    return std::uint32_t(qHash(sourcePath));
}
} // namespace

std::int64_t ExportedMarks::Find(const QString& sourcePath) const {
    if (isEmpty()) return -1;
    const std::vector<Mark>& marks = m_store->Marks;
    const std::uint32_t hash = MarkHash(sourcePath);
    auto at = std::lower_bound(marks.cbegin(), marks.cend(), hash,
                               [](const Mark& mark, std::uint32_t h) { return mark.Hash < h; });
    for (; at != marks.cend() && at->Hash == hash; ++at)
        if (at->SourcePath == sourcePath) return at - marks.cbegin();
    return -1;
}

const QString* ExportedMarks::Where(const QString& sourcePath) const {
    const std::int64_t mark = Find(sourcePath);
    return mark < 0 ? nullptr : &m_store->Saves[m_store->Marks[std::size_t(mark)].Save].first;
}

const QString& ExportedMarks::SourcePathOf(std::int64_t mark) const {
    return m_store->Marks[std::size_t(mark)].SourcePath;
}

const QString& ExportedMarks::WhyOf(std::int64_t mark) const {
    return m_store->Saves[m_store->Marks[std::size_t(mark)].Save].second;
}

void ExportedMarks::Add(const std::vector<std::pair<QString, std::pair<QString, QString>>>& marks) {
    auto store = m_store ? std::make_shared<Store>(*m_store) : std::make_shared<Store>();
    QHash<QString, std::uint32_t> saves;
    for (std::uint32_t s = 0; s < store->Saves.size(); ++s)
        saves.insert(store->Saves[s].first, s);
    const std::size_t before = store->Marks.size();
    store->Marks.reserve(before + marks.size());
    for (const auto& [sourcePath, texts] : marks) {
        if (contains(sourcePath)) continue;
        auto save = saves.constFind(texts.first);
        if (save == saves.cend()) {
            save = saves.insert(texts.first, std::uint32_t(store->Saves.size()));
            store->Saves.push_back(texts);
        }
        store->Marks.push_back({MarkHash(sourcePath), *save, sourcePath});
    }
    const auto order = [](const Mark& a, const Mark& b) {
        return a.Hash != b.Hash ? a.Hash < b.Hash : a.SourcePath < b.SourcePath;
    };
    std::stable_sort(store->Marks.begin() + std::ptrdiff_t(before), store->Marks.end(), order);
    std::inplace_merge(store->Marks.begin(), store->Marks.begin() + std::ptrdiff_t(before),
                       store->Marks.end(), order);
    // One document given twice in the same call: its first mark stays.
    store->Marks.erase(std::unique(store->Marks.begin(), store->Marks.end(),
                                   [](const Mark& a, const Mark& b) {
                                       return a.Hash == b.Hash && a.SourcePath == b.SourcePath;
                                   }),
                       store->Marks.end());
    store->Marks.shrink_to_fit();
    m_store = std::move(store);
}
