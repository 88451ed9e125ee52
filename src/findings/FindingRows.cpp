#include "findings/FindingRows.h"

#include <algorithm>

FindingKind FindingRows::KindAt(std::size_t row) const {
    return row < m_whole.size() ? m_whole[row].Kind : FindingKind::Exported;
}

const QString& FindingRows::SourcePathAt(std::size_t row) const {
    return row < m_whole.size() ? m_whole[row].SourcePath
                                : m_exported[row - m_whole.size()].SourcePath;
}

Finding FindingRows::At(std::size_t row) const {
    if (row < m_whole.size()) return m_whole[row];
    const Exported& document = m_exported[row - m_whole.size()];
    Finding finding = FileFinding(FindingKind::Exported, document.SourcePath,
                                  m_whys[document.Why]);
    finding.SourcePath = document.SourcePath;
    return finding;
}

QString FindingRows::FieldAt(std::size_t row, int column) const {
    return row < m_whole.size() ? FindingField(m_whole[row], column)
                                : FindingField(At(row), column);
}

FindingList FindingRows::List() const {
    FindingList all;
    all.reserve(size());
    all.insert(all.end(), m_whole.cbegin(), m_whole.cend());
    for (std::size_t r = m_whole.size(); r < size(); ++r)
        all.push_back(At(r));
    return all;
}

std::vector<std::pair<FindingKind, qint64>> FindingRows::KindCounts() const {
    std::vector<std::pair<FindingKind, qint64>> counts;
    for (const FindingKind kind : AllFindingKinds()) {
        qint64 n = std::count_if(m_whole.cbegin(), m_whole.cend(),
                                 [kind](const Finding& f) { return f.Kind == kind; });
        if (kind == FindingKind::Exported) n += qint64(m_exported.size());
        if (n > 0) counts.emplace_back(kind, n);
    }
    return counts;
}

void FindingRows::AddExported(const QString& sourcePath, const QString& why) {
    // The documents of one save mostly come together: the last text is looked at first.
    std::uint32_t index = std::uint32_t(m_whys.size() - 1);
    if (m_whys.empty() || m_whys.back().constData() != why.constData()) {
        const auto known = m_whyIndex.constFind(why);
        index = known != m_whyIndex.cend() ? *known : std::uint32_t(m_whys.size());
        if (known == m_whyIndex.cend()) {
            m_whyIndex.insert(why, index);
            m_whys.push_back(why);
        }
    }
    m_exported.push_back({sourcePath, index});
}

void FindingRows::TakeExported(FindingRows&& other) {
    for (const Exported& document : other.m_exported)
        AddExported(document.SourcePath, other.m_whys[document.Why]);
    other.m_exported.clear();
    other.m_whys.clear();
    other.m_whyIndex.clear();
}
