#include "app/StatementLines.h"

#include "text/Cp1251.h"

#include <algorithm>
#include <cstring>

namespace {

// Each byte of the code page with its letter case folded; itself when the folded letter is no
// byte of the code page.
const std::array<unsigned char, 256>& FoldedBytes() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const QString folded = Cp1251::Decode(QByteArray(1, char(b))).toCaseFolded();
            const QByteArray bytes = Cp1251::Encode(folded);
            t[size_t(b)] = b != 0 && bytes.size() == 1 && Cp1251::CanEncode(folded)
                               ? static_cast<unsigned char>(bytes[0])
                               : static_cast<unsigned char>(b);
        }
        return t;
    }();
    return table;
}

} // namespace

int StatementLines::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_starts.size());
}

QVariant StatementLines::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    return role == Qt::DisplayRole ? QVariant(Line(index.row())) : QVariant();
}

void StatementLines::Clear() {
    beginResetModel();
    m_chunks.clear();
    m_chunks.shrink_to_fit();
    m_starts = {0};
    m_size = 0;
    m_widest = 0;
    endResetModel();
}

void StatementLines::Append(const std::vector<QByteArray>& pieces) {
    const int lastRow = int(m_starts.size()) - 1;
    std::vector<qsizetype> starts;
    for (const QByteArray& piece : pieces)
        Take(piece, starts);
    emit dataChanged(index(lastRow), index(lastRow));
    if (starts.empty()) return;
    beginInsertRows({}, lastRow + 1, lastRow + int(starts.size()));
    m_starts.insert(m_starts.end(), starts.begin(), starts.end());
    endInsertRows();
}

void StatementLines::Take(const QByteArray& piece, std::vector<qsizetype>& starts) {
    if (piece.isEmpty()) return;
    const qsizetype base = m_size;
    const qsizetype open = starts.empty() ? m_starts.back() : starts.back();
    qsizetype lineStart = open;
    bool ended = false;
    for (qsizetype at = 0; at < piece.size();) {
        const void* found = std::memchr(piece.constData() + at, '\n', size_t(piece.size() - at));
        if (!found) break;
        const qsizetype end = base + (static_cast<const char*>(found) - piece.constData());
        m_widest = std::max(m_widest, end - lineStart);
        starts.push_back(lineStart = end + 1);
        ended = true;
        at = end + 1 - base;
    }
    m_widest = std::max(m_widest, base + piece.size() - lineStart);
    // Pieces are kept as they come (one whole copy would be copied again at every growth); a
    // line begun in the last one moves into the next with its end, so a line is never split.
    if (m_chunks.empty() || open == m_size)
        m_chunks.push_back({m_size, piece});
    else if (!ended)
        m_chunks.back().Bytes += piece;
    else
        m_chunks.push_back({open, ChunkOf(open).Bytes.sliced(open - ChunkOf(open).Base) + piece});
    m_size += piece.size();
}

const StatementLines::Chunk& StatementLines::ChunkOf(qsizetype offset) const {
    const auto after = std::upper_bound(m_chunks.begin(), m_chunks.end(), offset,
                                        [](qsizetype at, const Chunk& c) { return at < c.Base; });
    return *std::prev(after);
}

QByteArray StatementLines::LineBytes(int row) const {
    const qsizetype start = m_starts[size_t(row)];
    const bool ended = size_t(row) + 1 < m_starts.size();
    qsizetype end = ended ? m_starts[size_t(row) + 1] - 1 : m_size;
    if (end == start) return {};
    const Chunk& chunk = ChunkOf(start);
    const char* bytes = chunk.Bytes.constData() + (start - chunk.Base);
    if (ended && bytes[end - start - 1] == '\r') --end;
    return QByteArray::fromRawData(bytes, end - start);
}

QString StatementLines::Line(int row) const {
    return row >= 0 && row < rowCount() ? Cp1251::Decode(LineBytes(row)) : QString();
}

QString StatementLines::Text() const {
    QByteArray bytes;
    bytes.reserve(m_size);
    for (std::size_t k = 0; k < m_chunks.size(); ++k) {
        const qsizetype end = k + 1 < m_chunks.size() ? m_chunks[k + 1].Base : m_size;
        bytes += m_chunks[k].Bytes.first(end - m_chunks[k].Base);
    }
    return Cp1251::Decode(bytes);
}

int StatementLines::FindLine(const QString& text, int row, bool backward) const {
    if (text.isEmpty() || !Cp1251::CanEncode(text)) return -1;
    const std::array<unsigned char, 256>& fold = FoldedBytes();
    QByteArray what = Cp1251::Encode(text);
    for (char& c : what)
        c = char(fold[static_cast<unsigned char>(c)]);
    const auto holds = [&](int r) {
        const QByteArray line = LineBytes(r);
        const qsizetype last = line.size() - what.size();
        for (qsizetype at = 0; at <= last; ++at) {
            qsizetype k = 0;
            while (k < what.size() && fold[static_cast<unsigned char>(line[at + k])] ==
                                          static_cast<unsigned char>(what[k]))
                ++k;
            if (k == what.size()) return true;
        }
        return false;
    };
    for (int r = row; r >= 0 && r < rowCount(); r += backward ? -1 : 1)
        if (holds(r)) return r;
    return -1;
}
