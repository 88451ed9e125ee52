#pragma once

#include "checks/DocumentChecks.h"
#include "reading/DocumentTable.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// Text as the list's search compares it: lower case, "ё" as "е", and the no-break and narrow
// spaces that group the digits of a shown amount as plain spaces ("18 000" finds "18 000,00 ₽").
QString SearchFold(QStringView text);

// The quick filters beside the search box, in the order the box offers them.
enum class QuickFilter { All, WithProblems, Duplicates, Checked, Unchecked };

// The captions of the quick filters, in QuickFilter order ("все", "с замечаниями", ...).
const QStringList& QuickFilterCaptions();

// Which rows of a table the list shows: those where some column's display text contains the
// search text (SearchFold on both sides) and that pass the quick filter. The folded texts are
// kept once per distinct value (the reading shares one copy of a value among the rows that
// hold it), so a keystroke folds nothing and tests each distinct value once.
class DocumentFilter {
public:
    // Both return whether anything changed.
    bool SetSearch(const QString& text);
    bool SetQuick(QuickFilter quick);
    const QString& Search() const { return m_search; }
    QuickFilter Quick() const { return m_quick; }
    bool IsActive() const { return !m_needle.isEmpty() || m_quick != QuickFilter::All; }

    // The rows changed or moved (a reading, a sort): the index is made again when next needed.
    void Forget();

    // Whether the list shows row r of the table. The table and the checks are those of the
    // window; the row's check mark and the checks are read as they are now.
    bool Accepts(const DocumentTable& table, const DocumentChecks& checks, std::size_t r);

private:
    void Index(const DocumentTable& table);
    void Match();

    QString m_search, m_needle; // as typed, and folded
    QuickFilter m_quick = QuickFilter::All;

    bool m_indexed = false;
    std::size_t m_columns = 0;
    std::vector<QString> m_folded;     // each distinct display text, folded
    std::vector<std::uint32_t> m_cell; // row * m_columns + column -> index into m_folded
    // Whether each folded value contains m_matched; a longer search that begins with the last
    // one only tests the values that matched it.
    std::vector<char> m_matches;
    QString m_matched;
    bool m_matchedValid = false;
};

// With the list filtered: "Показано 3 из 12 · " before the totals text, and
// " (скрыто отмеченных: 2)" after it when checked documents are hidden, which the sum and the
// statement still take. Without a filter the totals text as it is.
QString FilteredTotalsText(const QString& totalsText, bool filtered, qint64 shown, qint64 all,
                           qint64 hiddenChecked);
