#include "checks/DocumentFilter.h"

#include <QHash>

QString SearchFold(QStringView text) {
    QString folded = text.toString().toLower();
    for (QChar& c : folded) {
        switch (c.unicode()) {
        case u'ё':
            c = u'е';
            break;
        case 0x00A0: // no-break space
        case 0x202F: // narrow no-break space
        case 0x2009: // thin space
            c = u' ';
            break;
        default:
            break;
        }
    }
    return folded;
}

const QStringList& QuickFilterCaptions() {
    static const QStringList captions{QStringLiteral("все"), QStringLiteral("с замечаниями"),
                                      QStringLiteral("повторы"), QStringLiteral("отмеченные"),
                                      QStringLiteral("неотмеченные")};
    return captions;
}

bool DocumentFilter::SetSearch(const QString& text) {
    if (text == m_search) return false;
    m_search = text;
    const QString needle = SearchFold(text);
    if (needle == m_needle) return false;
    m_needle = needle;
    return true;
}

bool DocumentFilter::SetQuick(QuickFilter quick) {
    if (quick == m_quick) return false;
    m_quick = quick;
    return true;
}

void DocumentFilter::Forget() {
    m_indexed = false;
    m_folded.clear();
    m_cell.clear();
    m_matches.clear();
    m_matchedValid = false;
}

void DocumentFilter::Index(const DocumentTable& table) {
    Forget();
    m_columns = table.Columns.size();
    m_cell.resize(table.Rows.size() * m_columns);
    // Equal values of different rows share one buffer: its address finds the value met before.
    // Keyed by where the text lies and how long it is.
    using Key = std::pair<const QChar*, qsizetype>;
    QHash<Key, std::uint32_t> known;
    known.reserve(qsizetype(table.Rows.size()));
    // A column often holds the value of the row before (one payer, one bank): no look-up then.
    std::vector<std::pair<Key, std::uint32_t>> last(m_columns, {Key{nullptr, 0}, 0});
    for (std::size_t r = 0; r < table.Rows.size(); ++r) {
        const DocumentRow& row = table.Rows[r];
        for (std::size_t c = 0; c < m_columns; ++c) {
            const QString& text = row.DisplayText(int(c));
            const Key key{text.constData(), text.size()};
            if (key != last[c].first) {
                auto it = known.find(key);
                if (it == known.end()) {
                    it = known.insert(key, std::uint32_t(m_folded.size()));
                    QString folded = SearchFold(text);
                    // Digits, dates and lower-case text fold to themselves: keep the one copy.
                    m_folded.push_back(folded == text ? text : std::move(folded));
                }
                last[c] = {key, *it};
            }
            m_cell[r * m_columns + c] = last[c].second;
        }
    }
    m_indexed = true;
}

void DocumentFilter::Match() {
    if (m_matchedValid && m_matched == m_needle) return;
    const bool narrower = m_matchedValid && m_needle.startsWith(m_matched);
    if (!narrower) m_matches.assign(m_folded.size(), 1);
    for (std::size_t v = 0; v < m_folded.size(); ++v)
        if (m_matches[v]) m_matches[v] = m_folded[v].contains(m_needle) ? 1 : 0;
    m_matched = m_needle;
    m_matchedValid = true;
}

bool DocumentFilter::Accepts(const DocumentTable& table, const DocumentChecks& checks,
                             std::size_t r) {
    if (r >= table.Rows.size()) return false;
    const DocumentRow& row = table.Rows[r];
    switch (m_quick) {
    case QuickFilter::All:
        break;
    case QuickFilter::WithProblems:
        if (!checks.Cells.contains(row.SourcePath) && !checks.IsDuplicate(row.SourcePath))
            return false;
        break;
    case QuickFilter::Duplicates:
        if (!checks.IsDuplicate(row.SourcePath)) return false;
        break;
    case QuickFilter::Checked:
        if (!row.Checked) return false;
        break;
    case QuickFilter::Unchecked:
        if (row.Checked) return false;
        break;
    }
    if (m_needle.isEmpty()) return true;
    if (!m_indexed || m_cell.size() != table.Rows.size() * table.Columns.size()) Index(table);
    Match();
    const std::uint32_t* cells = m_cell.data() + r * m_columns;
    for (std::size_t c = 0; c < m_columns; ++c)
        if (m_matches[cells[c]]) return true;
    return false;
}

QString FilteredTotalsText(const QString& totalsText, bool filtered, qint64 shown, qint64 all,
                           qint64 hiddenChecked) {
    if (!filtered) return totalsText;
    QString text = QStringLiteral("Показано %1 из %2 · ").arg(shown).arg(all) + totalsText;
    if (hiddenChecked > 0) text += QStringLiteral(" (скрыто отмеченных: %1)").arg(hiddenChecked);
    return text;
}
