#pragma once

#include "checks/DocumentChecks.h"
#include "reading/DocumentTable.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

// Text as the list's search compares it: lower case, "ё" as "е", and the no-break and narrow
// spaces that group the digits of a shown amount as plain spaces ("18 000" finds "18 000,00 ₽").
QString SearchFold(QStringView text);

// The kopecks a search text stands for when it reads as an amount typed as a bank or 1C prints
// it: digits (blanks between them allowed) with an optional "," or "." and up to two decimals.
std::optional<qint64> AmountQuery(const QString& text);

// The quick filters beside the search box, in the order the box offers them.
enum class QuickFilter { All, WithProblems, Duplicates, Checked, Unchecked, NotExported };

// The captions of the quick filters, in QuickFilter order ("все", "с замечаниями", ...).
const QStringList& QuickFilterCaptions();

// Which rows of a table the list shows: those where some column's display text contains the
// search text (SearchFold on both sides), or whose amount is the search text's (AmountQuery), and
// that pass the quick filter. What is learnt of the
// texts is kept once per distinct value (the reading shares one copy of a value among the rows
// that hold it), keyed by that copy, so a sort keeps it. Texts are folded a character at a time
// while they are searched; only the rare ones whose case does not map one character to one are
// folded whole, once.
class DocumentFilter {
public:
    // Both return whether anything changed.
    bool SetSearch(const QString& text);
    bool SetQuick(QuickFilter quick);
    bool IsActive() const { return !m_needle.isEmpty() || m_quick != QuickFilter::All; }

    // New rows (a reading): everything is learnt again, by Prepare or when next needed.
    void Forget();
    // Learns which cells hold which values now, so that the first keystroke need not; with an
    // order (as PutInOrder takes it), the rows as they will stand once put in it. Reads only the
    // table, so a filter of its own may learn on another thread while the table stays as it is.
    void Prepare(const DocumentTable& table, const std::vector<std::size_t>& order = {});
    // Takes what another filter has learnt; the search and the quick filter stay this one's.
    void AdoptIndex(DocumentFilter&& learnt);
    // The same rows are about to be put in another order (a sort): what is known of their
    // values is kept, and the index follows the rows when next needed.
    void RowsMoving(const DocumentTable& table);

    // Whether the list shows row r of the table. The table and the checks are those of the
    // window; the row's check mark and the checks are read as they are now.
    bool Accepts(const DocumentTable& table, const DocumentChecks& checks, std::size_t r);

private:
    struct Slot {
        const QChar* data = nullptr; // nullptr: free
        std::uint32_t size = 0;
        std::uint32_t value = 0;
    };
    std::uint32_t ValueOf(const QString& text);
    void Index(const DocumentTable& table, const std::vector<std::size_t>& order = {});
    void FollowRows(const DocumentTable& table);
    void Match();
    bool Contains(std::uint32_t value);

    QString m_search, m_needle; // as typed, and folded
    std::optional<qint64> m_amount; // the search text as an amount
    QuickFilter m_quick = QuickFilter::All;

    // Each display text met (a copy sharing its buffer, which also keeps the buffer from being
    // reused for another text while it is a key), and a direct-mapped table from a buffer to
    // its place here; a value whose place another took is kept twice, no more often.
    std::vector<QString> m_values;
    std::vector<Slot> m_slots;
    // The values that must be folded whole, folded; the others are folded as they are searched.
    std::vector<char> m_whole;
    QHash<std::uint32_t, QString> m_folded;

    bool m_indexed = false;
    std::size_t m_columns = 0;
    std::vector<std::uint32_t> m_cell; // row * m_columns + column -> index into m_values
    // Once rows have moved since the index was made: each row's file path buffer, in the
    // index's order.
    std::vector<const QChar*> m_movedKeys;
    // Whether each value contains m_matched; a longer search that begins with the last one only
    // tests the values that matched it.
    std::vector<char> m_matches;
    QString m_matched;
    bool m_matchedValid = false;
    bool m_matchCurrent = false; // m_matches is for m_needle
};

// With the list filtered: "Показано 3 из 12 · " before the totals text, and
// " (скрыто отмеченных: 2)" after it when checked documents are hidden, which the sum and the
// statement still take. Without a filter the totals text as it is.
QString FilteredTotalsText(const QString& totalsText, bool filtered, qint64 shown, qint64 all,
                           qint64 hiddenChecked);

// The rows (table indices, in the order given) as the list shows them, for the clipboard: a line
// of the captions, then a line per row, TAB between fields, LF line ends; a TAB or a line end in
// a value becomes a space.
QString ListRowsText(const DocumentTable& table, const std::vector<int>& rows);
