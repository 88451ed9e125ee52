#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

// The documents the export journal says went out already, each with where it went ("'b.txt' от
// 09.12.2026 14:05") and why a save is asked about it ("уже выгружен в выписке ..."), looked up
// by row key. A re-reading after a save marks every document: kept ordered by the keys' hashes,
// a mark holds 32 bytes where a hash table of texts held 55, and the problems list's rows of
// those documents share them. Copies share one store; a change makes a store of its own.
class ExportedMarks {
public:
    bool isEmpty() const { return !m_store || m_store->Marks.empty(); }
    std::size_t size() const { return m_store ? m_store->Marks.size() : 0; }
    bool contains(const QString& sourcePath) const { return Find(sourcePath) >= 0; }
    // Where the document went; null when it did not.
    const QString* Where(const QString& sourcePath) const;
    // Marks documents, each (row key, where, why); a document marked already keeps its mark.
    void Add(const std::vector<std::pair<QString, std::pair<QString, QString>>>& marks);
    void clear() { m_store.reset(); }

    // The mark of one document, found by Find: its index in the store.
    std::int64_t Find(const QString& sourcePath) const;
    const QString& SourcePathOf(std::int64_t mark) const;
    const QString& WhyOf(std::int64_t mark) const;

private:
    struct Mark {
        std::uint32_t Hash = 0;
        std::uint32_t Save = 0; // into Saves
        QString SourcePath;
    };
    struct Store {
        std::vector<Mark> Marks;                        // by Hash, then SourcePath
        std::vector<std::pair<QString, QString>> Saves; // where and why, one a save
    };
    std::shared_ptr<const Store> m_store;
};
