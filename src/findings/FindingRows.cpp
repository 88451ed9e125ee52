#include "findings/FindingRows.h"

#include <algorithm>

FindingKind FindingRows::KindAt(std::size_t row) const {
    return row < m_whole.size() ? m_whole[row].Kind : FindingKind::Exported;
}

const QString& FindingRows::SourcePathAt(std::size_t row) const {
    return row < m_whole.size() ? m_whole[row].SourcePath
                                : m_marks.SourcePathOf(m_exported[row - m_whole.size()]);
}

Finding FindingRows::At(std::size_t row) const {
    if (row < m_whole.size()) return m_whole[row];
    const std::uint32_t mark = m_exported[row - m_whole.size()];
    Finding finding =
        FileFinding(FindingKind::Exported, m_marks.SourcePathOf(mark), m_marks.WhyOf(mark));
    finding.SourcePath = m_marks.SourcePathOf(mark);
    return finding;
}

QString FindingRows::FieldAt(std::size_t row, int column) const {
    if (row < m_whole.size()) return FindingField(m_whole[row], column);
    // A sort asks at every comparison: the file's name (column 1, "Файл") is made only for its
    // own column.
    const std::uint32_t mark = m_exported[row - m_whole.size()];
    Finding finding;
    finding.Kind = FindingKind::Exported;
    finding.Why = m_marks.WhyOf(mark);
    if (column == 1) finding.File = DocumentName(m_marks.SourcePathOf(mark));
    return FindingField(finding, column);
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

void FindingRows::SetExported(ExportedMarks marks, std::vector<std::uint32_t> documents) {
    m_marks = std::move(marks);
    m_exported = std::move(documents);
}

void FindingRows::TakeExported(FindingRows&& other) {
    SetExported(std::exchange(other.m_marks, {}), std::exchange(other.m_exported, {}));
}
