#pragma once

#include "findings/ExportedMarks.h"
#include "findings/Findings.h"

#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

// The problems list's findings: those made whole, then the documents the export journal says
// went out already, kept as their places among the journal's marks. A re-reading after a save
// finds every document exported: as whole findings a year's 100,000 would hold 40 MB, as these
// 0.4 MB beside the marks. Each becomes a Finding of kind "уже выгружен" only when asked for.
class FindingRows {
public:
    FindingRows() = default;
    FindingRows(FindingList whole) : m_whole(std::move(whole)) {} // NOLINT: a list is rows

    std::size_t size() const { return m_whole.size() + m_exported.size(); }
    bool empty() const { return size() == 0; }
    FindingKind KindAt(std::size_t row) const;
    // The row key of the finding's document; empty when none.
    const QString& SourcePathAt(std::size_t row) const;
    Finding At(std::size_t row) const;
    // One field by column, as FindingField gives it.
    QString FieldAt(std::size_t row, int column) const;
    // Every row as a Finding, in order.
    FindingList List() const;
    // How many rows of each kind, kinds in their order, kinds with none left out.
    std::vector<std::pair<FindingKind, qint64>> KindCounts() const;

    // The findings made whole, all before the exported documents.
    FindingList& Whole() { return m_whole; }
    const FindingList& Whole() const { return m_whole; }
    // The documents gone out already, in the order given, after the findings made whole.
    void SetExported(ExportedMarks marks, std::vector<std::uint32_t> documents);
    // Takes the other's exported documents in place of these.
    void TakeExported(FindingRows&& other);

private:
    FindingList m_whole;
    ExportedMarks m_marks;
    std::vector<std::uint32_t> m_exported; // into m_marks
};
