#pragma once

#include "reading/DocumentTable.h"
#include "reading/ReadingRun.h"
#include "reading/TagScanner.h"
#include "text/DocumentNumber.h"
#include "text/PlainCurrency.h"

#include <QHash>
#include <QLocale>
#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TextCoder;

// The text an element's content stands for, as an XML reader gives it: "&amp;", "&quot;", the
// other predefined entities and character references ("&#1055;", "&#x41F;") decoded, CDATA
// sections unwrapped. Undeclared entities and markup stay as written. A raised cancel flag ends
// the decoding early (the text is then incomplete, and the caller drops it).
QString XmlText(const QString& raw, const std::atomic<bool>* cancel = nullptr);

// The number an amount text stands for, read by the document number rule (ReadDocumentNumber),
// or the number it begins with when words follow; 0 when it holds none. Rounded to 4 decimals
// while it fits the fixed-point amount range.
double AmountValue(const QString& text);

// The amount as the list shows it: the locale's currency format of AmountValue.
QString AmountDisplayText(const QString& text, const QLocale& locale);

// Turns document files into rows. The column map is split once here, not once per document,
// which matters when an archive holds tens of thousands of them. Values that recur from document
// to document share one copy, so a year of documents fits in memory: a reader is therefore used
// by one thread at a time. A raised cancel flag stops the reading inside a long document too:
// the row being read is then none.
class DocumentReader {
public:
    DocumentReader(const ColumnMap& columns, const TextCoder& coder,
                   const std::atomic<bool>* cancel = nullptr, RowUse use = RowUse::List);

    // The row of one file, or none: no amount, or the file could not be read. problem receives
    // one line per thing worth saying about the file (why it was left out, an amount that is no
    // number, an encoding that had to be guessed), each naming the file; a row may come with one.
    // findings receive the same, each once, as findings naming the file by its name (a row's
    // SourcePath is for the caller to set).
    std::optional<DocumentRow> ReadFile(const QString& path, QString* problem = nullptr,
                                        FindingList* findings = nullptr) const;
    // The row of a document's bytes, decoded by DecodeDocument; problem as for ReadFile.
    std::optional<DocumentRow> ReadBytes(const QString& path, const QByteArray& bytes,
                                         QString* problem = nullptr,
                                         FindingList* findings = nullptr) const;
    // The row of an already decoded document text; problem as for ReadFile.
    std::optional<DocumentRow> ReadText(const QString& path, const QString& text,
                                        QString* problem = nullptr,
                                        FindingList* findings = nullptr) const;

private:
    struct PreparedColumn {
        QStringList ElementNames;
        std::vector<int> Slots; // of the element names, in their order, in m_scanner
        bool IsAmount = false;
        QString Caption;
    };

    QString DisplayText(const QString& value) const;
    // Makes value share the text of an equal value read before.
    void Share(QString& value) const;
    // The cell of a short text value without markup, from the values met before when it is one
    // of them (its text and display shared); false for a value that needs decoding or is long.
    bool TakeKnown(size_t column, QStringView found, DocumentCell& cell) const;
    bool TakeKnown(size_t column, QByteArrayView utf8, DocumentCell& cell) const;
    // The column's last such cell when found is its text; kept as the last after TakeKnown.
    bool SameAsLast(size_t column, QStringView found, DocumentCell& cell) const;
    bool SameAsLast(size_t column, QByteArrayView utf8, DocumentCell& cell) const;
    void KeepLast(size_t column, QStringView found, const DocumentCell& cell) const;
    void KeepLast(size_t column, QByteArrayView utf8, const DocumentCell& cell) const;
    // The row of a plain UTF-8 document (IsPlainUtf8), scanned as bytes.
    std::optional<DocumentRow> ReadUtf8(const QString& path, QByteArrayView bytes, QString* problem,
                                        FindingList* findings) const;
    // The row of the elements' contents found by the scan, as views into the document.
    template <typename View>
    std::optional<DocumentRow> ReadContents(const QString& path, const std::vector<View>& contents,
                                            QString* problem, FindingList* findings) const;
    // The list's amounts, written as the locale writes them; made at the first.
    const PlainCurrency& Currency() const;
    bool Cancelled() const { return m_cancel && m_cancel->load(std::memory_order_relaxed); }

    std::vector<PreparedColumn> m_columns;
    TagScanner m_scanner;
    mutable QSet<QString> m_shared; // amounts and decoded values
    // Short plain values of the text columns, keyed by a view into their own raw text: the rows
    // that hold one share its cell.
    mutable QHash<QStringView, DocumentCell> m_known;
    // Each column's last such cell: the next document mostly has the same payer, bank, ...
    mutable std::vector<DocumentCell> m_lastCells;
    // The same for documents read as UTF-8 bytes, keyed by their bytes.
    struct BytesHash {
        using is_transparent = void;
        size_t operator()(std::string_view bytes) const {
            return std::hash<std::string_view>()(bytes);
        }
    };
    mutable std::unordered_map<std::string, DocumentCell, BytesHash, std::equal_to<>> m_known8;
    mutable std::vector<DocumentCell> m_lastCells8;
    mutable std::vector<std::string> m_lastRaw8;
    mutable std::vector<QByteArrayView> m_contents8;
    // Per column, how its values have recurred lately (see TakeKnown).
    struct Recurrence {
        int Misses = 0; // looked up in a row and not found
        int Skip = 0;   // values still to take without a look
    };
    mutable std::vector<Recurrence> m_recurrence;
    mutable std::unique_ptr<PlainCurrency> m_currency;
    const TextCoder& m_coder;
    const std::atomic<bool>* m_cancel;
    RowUse m_use;
};
