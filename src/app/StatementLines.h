#pragma once

#include <QAbstractListModel>
#include <QByteArray>

#include <array>
#include <deque>
#include <vector>

// A statement's Windows-1251 bytes as a list of lines, decoded only when a line is shown: a
// year's statement of a hundred megabytes is kept as its bytes and a start per line. Lines end
// as 1C reads them (LF, the CR before it no character of the line); the bytes after the last
// line end make one more line, empty when the statement ends with one.
class StatementLines : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void Clear();
    // More of the statement, in its order; a piece may end in the middle of a line.
    void Append(const QByteArray& piece) { Append(std::vector<QByteArray>{piece}); }
    // Several pieces in one change of the rows.
    void Append(const std::vector<QByteArray>& pieces);
    QString Line(int row) const;
    // The longest line's length, in characters.
    qsizetype WidestLine() const { return m_widest; }
    // The whole statement, decoded, line ends and all.
    QString Text() const;
    // The first line from row on (back to row when backward) holding the text in any letter
    // case; -1 when none there.
    int FindLine(const QString& text, int row, bool backward) const;

private:
    // Statement bytes from Base on; every whole line lies in one chunk.
    struct Chunk {
        qsizetype Base = 0;
        QByteArray Bytes;
    };
    const Chunk& ChunkOf(qsizetype offset) const;
    // Keeps a piece's bytes; the starts of the lines it ends go to starts.
    void Take(const QByteArray& piece, std::vector<qsizetype>& starts);
    QByteArray LineBytes(int row) const;

    std::vector<Chunk> m_chunks;
    qsizetype m_size = 0;
    std::deque<qsizetype> m_starts{0}; // a deque grows without copying what it holds
    qsizetype m_widest = 0;            // in characters
};
