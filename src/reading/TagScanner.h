#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <atomic>
#include <string>
#include <string_view>
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
    int SlotCount() const { return int(m_wide.Names.size()); }

    // contents[slot] = what ReadTag(text, name) returns, as a view into text (empty when absent).
    // A raised cancel flag ends the scan early, its contents then incomplete.
    void Scan(QStringView text, std::vector<QStringView>& contents,
              const std::atomic<bool>* cancel = nullptr) const;
    // The same on the bytes of a valid UTF-8 text, before any decoding: every character the rules
    // look at is ASCII, and no byte of a longer character is, so each content is the UTF-8 of
    // what the decoded text would give.
    void Scan(QByteArrayView utf8, std::vector<QByteArrayView>& contents,
              const std::atomic<bool>* cancel = nullptr) const;

    // The names and their closing tags in one form of text: UTF-16 units or UTF-8 bytes.
    template <typename Char> struct Form {
        std::vector<std::basic_string<Char>> Names;   // one per slot
        std::vector<std::basic_string<Char>> Closers; // "</name>" per slot
        // Names without '>', by a cheap mark of their first and last units and length: a tag's
        // look-up is then mostly one comparison, no hashing of text.
        std::vector<std::vector<int>> Plain;
        qsizetype PlainCount = 0;
        std::vector<bool> Firsts; // first units of those names: "</..." is mostly skipped
        std::vector<int> Odd;     // slots of names holding '>', searched for on their own
        qsizetype Longest = 0;
    };

private:
    Form<char16_t> m_wide;
    Form<char> m_utf8;
    QHash<QString, int> m_slots;
};
