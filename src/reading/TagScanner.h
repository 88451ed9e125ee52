#pragma once

#include <QBitArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <atomic>
#include <vector>

// Finds the contents of a fixed set of elements in one scan of a document, with exactly the
// results TextCoder::ReadTag gives name by name: the first "<name>" (exact, case-sensitive, no
// attributes), up to the first "</name>" after it or else the first "</", one CR LF trimmed at
// each end. A document with 23 columns of two names each is then read once instead of up to 46
// times, most of them to the end for names that are not there.
class TagScanner {
public:
    explicit TagScanner(const QStringList& names);

    // The slot of a name given to the constructor (names given twice share one slot); -1 otherwise.
    int Slot(const QString& name) const { return m_slots.value(name, -1); }
    int SlotCount() const { return int(m_names.size()); }

    // contents[slot] = what ReadTag(text, name) returns, as a view into text (empty when absent).
    // A raised cancel flag ends the scan early, its contents then incomplete.
    void Scan(QStringView text, std::vector<QStringView>& contents,
              const std::atomic<bool>* cancel = nullptr) const;

private:
    QStringList m_names;             // one per slot
    QStringList m_closers;           // "</name>" per slot
    // Names found by the scan, those without '>', by a cheap mark of their first and last
    // characters and length: a tag's look-up is then mostly one comparison, no hashing of text.
    static size_t Bucket(QStringView name) {
        return name.isEmpty() ? 0
                              : (size_t(name.front().unicode()) * 31 + size_t(name.size()) * 7 +
                                 size_t(name.back().unicode())) % BucketCount;
    }
    static constexpr size_t BucketCount = 1021;
    int PlainSlot(QStringView name) const;
    std::vector<std::vector<int>> m_plain = std::vector<std::vector<int>>(BucketCount);
    qsizetype m_plainCount = 0;
    QBitArray m_firsts;              // first characters of those names: "</..." is mostly skipped
    std::vector<int> m_odd;          // slots of names holding '>', searched for on their own
    QHash<QString, int> m_slots;
    qsizetype m_longest = 0;
};
