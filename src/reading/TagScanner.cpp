#include "reading/TagScanner.h"

#include <algorithm>
#include <cstring>

namespace {

// ReadTag's content rule from just after the opening tag. plainEnd receives where the closing
// tag starts when the content holds no '<' at all, else -1.
QStringView ContentFrom(QStringView text, qsizetype from, QStringView closer, qsizetype* plainEnd) {
    // Mostly the content holds no markup and its own closing tag is the next '<': a short plain
    // look, which for values of a few dozen characters costs less than the library's calls.
    const QChar* const chars = text.data();
    const qsizetype size = text.size();
    qsizetype stop = from;
    while (stop < size && chars[stop] != u'<')
        ++stop;
    const bool closes =
        size - stop >= closer.size() &&
        std::memcmp(chars + stop, closer.data(), size_t(closer.size()) * sizeof(QChar)) == 0;
    *plainEnd = closes ? stop : -1;
    if (stop == size)
        stop = -1;
    else if (!closes)
        stop = text.indexOf(closer, stop);
    if (stop < 0) stop = text.indexOf(QLatin1String("</"), from);
    if (stop < 0) return {};
    QStringView content = text.mid(from, stop - from);
    const auto crLfAt = [&](qsizetype at) {
        return content.size() >= 2 && content[at] == u'\r' && content[at + 1] == u'\n';
    };
    if (crLfAt(0)) content = content.mid(2);
    if (crLfAt(content.size() - 2)) content.chop(2);
    return content;
}

} // namespace

TagScanner::TagScanner(const QStringList& names) : m_firsts(0x10000) {
    for (const QString& name : names) {
        if (m_slots.contains(name)) continue;
        m_slots.insert(name, int(m_names.size()));
        m_names.append(name);
        m_closers.append(QStringLiteral("</") + name + QLatin1Char('>'));
    }
    // The views point into m_names, which is not changed after this.
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        const QString& name = m_names.at(i);
        if (name.contains(u'>')) {
            m_odd.push_back(int(i));
        } else {
            m_plain[Bucket(name)].push_back(int(i));
            ++m_plainCount;
            // What follows the '<' of "<name>": the empty name is followed by its '>'.
            m_firsts.setBit(name.isEmpty() ? u'>' : name.front().unicode());
            m_longest = std::max(m_longest, name.size());
        }
    }
}

int TagScanner::PlainSlot(QStringView name) const {
    for (const int slot : m_plain[Bucket(name)])
        if (QStringView(m_names.at(slot)) == name) return slot;
    return -1;
}

void TagScanner::Scan(QStringView text, std::vector<QStringView>& contents,
                      const std::atomic<bool>* cancel) const {
    contents.assign(size_t(m_names.size()), QStringView());
    qsizetype plainEnd = -1;
    for (const int slot : m_odd) {
        const QString open = QLatin1Char('<') + m_names.at(slot) + QLatin1Char('>');
        const qsizetype at = text.indexOf(open);
        if (at >= 0)
            contents[size_t(slot)] =
                ContentFrom(text, at + open.size(), m_closers.at(slot), &plainEnd);
    }
    // A name without '>' occurs as "<name>" exactly where a '<' is followed by the name and then
    // by the first '>' after that '<'. Every '<' is tried, since the text between it and that
    // '>' may hold another '<' ("<<b>").
    std::vector<bool> found(size_t(m_names.size()), false);
    qsizetype left = m_plainCount;
    qsizetype close = -1;
    qsizetype tried = 0;
    // Plain loops rather than the library's searches: the next '<' or '>' is mostly a few dozen
    // characters on, where a call costs more than the looking.
    const QChar* const chars = text.data();
    const qsizetype size = text.size();
    const auto next = [&](char16_t c, qsizetype from) {
        while (from < size && chars[from] != c)
            ++from;
        return from < size ? from : qsizetype(-1);
    };
    for (qsizetype open = next(u'<', 0); open >= 0 && left > 0; open = next(u'<', open + 1)) {
        // A document of megabytes of '<' is scanned a while: look at the cancel now and then.
        if (cancel && (++tried & 0xFFFF) == 0 && cancel->load(std::memory_order_relaxed)) return;
        if (open + 1 < size && !m_firsts.testBit(chars[open + 1].unicode())) continue;
        if (close < open && (close = next(u'>', open + 1)) < 0) break;
        const qsizetype length = close - open - 1;
        if (length > m_longest) continue;
        const QStringView name = text.mid(open + 1, length);
        const int hit = PlainSlot(name);
        if (hit < 0 || found[size_t(hit)]) continue;
        found[size_t(hit)] = true;
        --left;
        contents[size_t(hit)] = ContentFrom(text, close + 1, m_closers.at(hit), &plainEnd);
        // Content without a '<' holds no tag to try: the next '<' is its closing tag's.
        if (plainEnd > close && !name.contains(u'<')) open = plainEnd - 1;
    }
}
