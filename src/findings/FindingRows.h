#pragma once

#include "findings/Findings.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

// The problems list's findings: those made whole, then the documents the export journal says
// went out already, kept as their row keys and their save's reason. A re-reading after a save
// finds every document exported: as whole findings a year's 100,000 would hold 40 MB, as these
// 3 MB. Each becomes a Finding of kind "уже выгружен" only when asked for.
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
    // A document gone out already, why ("уже выгружен в выписке ...") shared by its save's.
    void AddExported(const QString& sourcePath, const QString& why);
    // Takes the other's exported documents after these.
    void TakeExported(FindingRows&& other);

private:
    FindingList m_whole;
    std::vector<QString> m_whys; // one a save
    QHash<QString, std::uint32_t> m_whyIndex;
    struct Exported {
        QString SourcePath;
        std::uint32_t Why = 0; // into m_whys
    };
    std::vector<Exported> m_exported;
};
