#include "presentation/DocumentFilter.h"

#include "checks/DocumentTotals.h"

#include <QRegularExpression>

#include <algorithm>

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
                                      QStringLiteral("неотмеченные"),
                                      QStringLiteral("не выгруженные")};
    return captions;
}

namespace {

// Stands for a character that SearchFold does not turn into one character of its own (a
// surrogate, "İ"): the whole text is folded then. Nothing folded is an upper-case letter.
constexpr char16_t FoldWhole = u'A';

// What SearchFold makes of each character of the basic plane on its own.
const std::vector<char16_t>& CharFolds() {
    static const std::vector<char16_t> folds = [] {
        std::vector<char16_t> table(0x10000);
        constexpr int chunk = 256;
        for (int base = 0; base < 0x10000; base += chunk) {
            QString chars(chunk, Qt::Uninitialized);
            for (int i = 0; i < chunk; ++i) {
                const char16_t c = char16_t(base + i);
                chars[i] = QChar::isSurrogate(c) ? QChar(u' ') : QChar(c);
            }
            const QString folded = SearchFold(chars);
            for (int i = 0; i < chunk; ++i) {
                const char16_t c = char16_t(base + i);
                if (QChar::isSurrogate(c)) {
                    table[c] = FoldWhole;
                } else if (folded.size() == chunk) { // one for one throughout
                    table[c] = folded[i].unicode();
                } else {
                    const QString one = SearchFold(QStringView(&c, 1));
                    table[c] = one.size() == 1 ? one[0].unicode() : FoldWhole;
                }
            }
        }
        return table;
    }();
    return folds;
}

std::uint64_t SlotHash(const QChar* data, qsizetype size) {
    return (std::uint64_t(reinterpret_cast<std::uintptr_t>(data)) ^ (std::uint64_t(size) << 48)) *
           0x9E3779B97F4A7C15ULL;
}

constexpr int SlotBits = 16;

} // namespace

std::optional<qint64> AmountQuery(const QString& text) {
    static const QRegularExpression amount(QStringLiteral("^\\d+(?:[.,]\\d{1,2})?$"));
    QString compact = text;
    compact.remove(QRegularExpression(QStringLiteral("[\\s\\x{00A0}\\x{202F}]")));
    if (!amount.match(compact).hasMatch()) return std::nullopt;
    return AmountKopecks(compact);
}

bool DocumentFilter::SetSearch(const QString& text) {
    if (text == m_search) return false;
    m_search = text;
    m_amount = AmountQuery(text);
    const QString needle = SearchFold(text);
    if (needle == m_needle) return false;
    m_needle = needle;
    m_matchCurrent = false;
    return true;
}

bool DocumentFilter::SetQuick(QuickFilter quick) {
    if (quick == m_quick) return false;
    m_quick = quick;
    return true;
}

void DocumentFilter::Forget() {
    m_indexed = false;
    m_values.clear();
    m_slots.clear();
    m_whole.clear();
    m_folded.clear();
    m_cell.clear();
    m_movedKeys.clear();
    m_matches.clear();
    m_matchedValid = false;
    m_matchCurrent = false;
}

void DocumentFilter::Prepare(const DocumentTable& table, const std::vector<std::size_t>& order) {
    if (!m_indexed && !table.Rows.empty()) Index(table, order);
}

void DocumentFilter::AdoptIndex(DocumentFilter&& learnt) {
    learnt.m_search = std::move(m_search);
    learnt.m_needle = std::move(m_needle);
    learnt.m_amount = m_amount;
    learnt.m_quick = m_quick;
    *this = std::move(learnt);
    m_matchedValid = false;
    m_matchCurrent = false;
}

void DocumentFilter::RowsMoving(const DocumentTable& table) {
    // Moved again before the index followed: the keys of its own order still hold.
    if (!m_indexed || !m_movedKeys.empty()) return;
    m_movedKeys.reserve(table.Rows.size());
    for (const DocumentRow& row : table.Rows)
        m_movedKeys.push_back(row.SourcePath.constData());
}

void DocumentFilter::FollowRows(const DocumentTable& table) {
    const std::vector<const QChar*> keys = std::move(m_movedKeys);
    m_movedKeys.clear();
    if (!m_indexed) return;
    // Unless each row is found where it was, the cells are looked up again (the values stay).
    m_indexed = false;
    if (keys.size() != table.Rows.size() || table.Columns.size() != m_columns ||
        m_cell.size() != keys.size() * m_columns)
        return;
    std::vector<std::pair<std::uintptr_t, std::uint32_t>> before(keys.size());
    for (std::size_t r = 0; r < keys.size(); ++r)
        before[r] = {reinterpret_cast<std::uintptr_t>(keys[r]), std::uint32_t(r)};
    std::sort(before.begin(), before.end());
    for (std::size_t i = 1; i < before.size(); ++i)
        if (before[i].first == before[i - 1].first) return; // rows that cannot be told apart
    std::vector<std::uint32_t> cell(m_cell.size());
    for (std::size_t r = 0; r < table.Rows.size(); ++r) {
        const auto key = reinterpret_cast<std::uintptr_t>(table.Rows[r].SourcePath.constData());
        const auto it = std::lower_bound(before.begin(), before.end(),
                                         std::pair<std::uintptr_t, std::uint32_t>{key, 0});
        if (it == before.end() || it->first != key) return;
        std::copy_n(m_cell.begin() + std::ptrdiff_t(it->second * m_columns), m_columns,
                    cell.begin() + std::ptrdiff_t(r * m_columns));
    }
    m_cell = std::move(cell);
    m_indexed = true;
}

std::uint32_t DocumentFilter::ValueOf(const QString& text) {
    // Equal values of different rows share one buffer: its address finds the value met before.
    // The table forgets a value when another lands on its place, so a value now and then is
    // kept twice: cheaper than a table that holds them all.
    const QChar* data = text.constData();
    const auto size = std::uint32_t(text.size());
    Slot& slot = m_slots[std::size_t(SlotHash(data, size) >> (64 - SlotBits))];
    if (slot.data == data && slot.size == size) return slot.value;
    const auto value = std::uint32_t(m_values.size());
    m_values.push_back(text);
    m_whole.push_back(0);
    slot = {data, size, value};
    return value;
}

void DocumentFilter::Index(const DocumentTable& table, const std::vector<std::size_t>& order) {
    m_columns = table.Columns.size();
    m_cell.assign(table.Rows.size() * m_columns, 0);
    if (m_slots.empty()) {
        m_slots.resize(std::size_t(1) << SlotBits);
        m_values.reserve(table.Rows.size() * 2);
        m_whole.reserve(table.Rows.size() * 2);
    }
    // A column often holds the value of the row before (one payer, one bank): no look-up then.
    struct Last {
        const QChar* data = nullptr;
        qsizetype size = 0;
        std::uint32_t value = 0;
    };
    std::vector<Last> last(m_columns);
    std::uint32_t* cell = m_cell.data();
    const bool ordered = order.size() == table.Rows.size();
    for (std::size_t r = 0; r < table.Rows.size(); ++r) {
        const DocumentRow& row = table.Rows[ordered ? order[r] : r];
        const std::size_t held = std::min(m_columns, row.Cells.size());
        for (std::size_t c = 0; c < m_columns; ++c, ++cell) {
            const QString& text = c < held ? row.Cells[c].DisplayText() : row.DisplayText(int(c));
            Last& l = last[c];
            if (text.constData() != l.data || text.size() != l.size)
                l = {text.constData(), text.size(), ValueOf(text)};
            *cell = l.value;
        }
    }
    m_indexed = true;
}

bool DocumentFilter::Contains(std::uint32_t value) {
    if (m_whole[value]) return m_folded.value(value).contains(m_needle);
    const QString& text = m_values[value];
    const char16_t* folds = CharFolds().data();
    const auto* s = reinterpret_cast<const char16_t*>(text.constData());
    const auto* needle = reinterpret_cast<const char16_t*>(m_needle.constData());
    const qsizetype n = text.size(), m = m_needle.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t f = folds[s[i]];
        if (f == FoldWhole) {
            m_whole[value] = 1;
            const QString folded = SearchFold(text);
            m_folded.insert(value, folded);
            return folded.contains(m_needle);
        }
        // A match ends before any character folded whole: FoldWhole is no folded character.
        if (f != needle[0] || i + m > n) continue;
        qsizetype k = 1;
        while (k < m && folds[s[i + k]] == needle[k])
            ++k;
        if (k == m) return true;
    }
    return false;
}

void DocumentFilter::Match() {
    if (m_matchCurrent) return;
    const bool known = m_matchedValid && m_matches.size() == m_values.size();
    if (!(known && m_matched == m_needle)) {
        if (!(known && m_needle.startsWith(m_matched))) m_matches.assign(m_values.size(), 1);
        for (std::size_t v = 0; v < m_values.size(); ++v)
            if (m_matches[v]) m_matches[v] = Contains(std::uint32_t(v)) ? 1 : 0;
        m_matched = m_needle;
        m_matchedValid = true;
    }
    m_matchCurrent = true;
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
    case QuickFilter::NotExported:
        if (checks.Exported.contains(row.SourcePath)) return false;
        break;
    case QuickFilter::Checked:
        if (!row.Checked) return false;
        break;
    case QuickFilter::Unchecked:
        if (row.Checked) return false;
        break;
    }
    if (m_needle.isEmpty()) return true;
    if (!m_movedKeys.empty()) FollowRows(table);
    if (!m_indexed || m_cell.size() != table.Rows.size() * table.Columns.size()) {
        Index(table);
        m_matchCurrent = false; // values may have been added
    }
    Match();
    const std::uint32_t* cells = m_cell.data() + r * m_columns;
    for (std::size_t c = 0; c < m_columns; ++c)
        if (m_matches[cells[c]]) return true;
    // "718000,75" finds "718 000,75 ₽": the amount by its value, as the sender wrote it.
    if (!m_amount) return false;
    const int amount = AmountColumn(table.Columns);
    return amount >= 0 && AmountKopecks(row.ExportValue(amount)) == m_amount;
}

QString FilteredTotalsText(const QString& totalsText, bool filtered, qint64 shown, qint64 all,
                           qint64 hiddenChecked) {
    if (!filtered) return totalsText;
    QString text = QStringLiteral("Показано %1 из %2 · ").arg(shown).arg(all) + totalsText;
    if (hiddenChecked > 0) text += QStringLiteral(" (скрыто отмеченных: %1)").arg(hiddenChecked);
    return text;
}

QString ListRowsText(const DocumentTable& table, const std::vector<int>& rows) {
    QStringList captions;
    for (const ColumnDef& column : table.Columns)
        captions << column.Caption;
    QString text = captions.join(u'\t') + u'\n';
    for (const int r : rows) {
        if (r < 0 || size_t(r) >= table.Rows.size()) continue;
        for (int c = 0; c < int(table.Columns.size()); ++c) {
            QString field = table.Rows[size_t(r)].DisplayText(c);
            field.replace(u'\t', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
            text += (c ? QStringLiteral("\t") : QString()) + field;
        }
        text += u'\n';
    }
    return text;
}
