#include "reading/DocumentReader.h"

#include "reading/DecodeDocument.h"
#include "reading/DocumentFile.h"
#include "reading/ReadingRun.h"
#include "text/DateParse.h"
#include "text/DocumentNumber.h"
#include "text/PlainCurrency.h"
#include "text/TextCoder.h"

#include <algorithm>
#include <cmath>

namespace {
// The fixed-point amount type holds about ±9.2e14 with four decimals.
constexpr double FixedPointLimit = 922337203685477.0;

// The character a reference "&name;" stands for: the five predefined entities and character
// references; anything else (an undeclared entity, a reference to no character) is none.
std::optional<QString> Entity(QStringView name) {
    if (name == u"amp") return QStringLiteral("&");
    if (name == u"lt") return QStringLiteral("<");
    if (name == u"gt") return QStringLiteral(">");
    if (name == u"quot") return QStringLiteral("\"");
    if (name == u"apos") return QStringLiteral("'");
    if (name.size() < 2 || name[0] != u'#') return std::nullopt;
    const bool hex = name[1] == u'x';
    bool ok = false;
    const uint code = name.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
    if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return std::nullopt;
    const char32_t c = code;
    return QString::fromUcs4(&c, 1);
}

// Adds one line to what is said about a file.
void AddProblem(QString* problem, const QString& line) {
    if (!problem) return;
    if (!problem->isEmpty()) *problem += u'\n';
    *problem += line;
}

// A file left out: "Файл '…' пропущен: why" among the lines, a "пропущен" finding.
void SaySkipped(const QString& path, const QString& why, QString* problem,
                FindingList* findings) {
    AddProblem(problem, QStringLiteral("Файл '%1' пропущен: %2").arg(path, why));
    if (findings) findings->push_back(FileFinding(FindingKind::Skipped, path, why));
}

// "элементы <Summa>, <Amount> пусты или их нет", for a document left without an amount.
QString WhereLooked(const QStringList& names, const QString& caption) {
    if (names.isEmpty())
        return QStringLiteral("у колонки '%1' в TAG.INI не указано ни одного элемента")
            .arg(caption);
    QStringList tags;
    for (const QString& name : names)
        tags << u'<' + name + u'>';
    return (names.size() == 1 ? QStringLiteral("элемент %1 пуст или его нет")
                              : QStringLiteral("элементы %1 пусты или их нет"))
        .arg(tags.join(QStringLiteral(", ")));
}
} // namespace

QString XmlText(const QString& raw, const std::atomic<bool>* cancel) {
    static const QString CdataOpen = QStringLiteral("<![CDATA[");
    // Mostly neither a reference nor a CDATA section: two quick looks for a character.
    if (!raw.contains(u'&') && !raw.contains(u'<')) return raw;
    QString text;
    text.reserve(raw.size());
    const QStringView all(raw);
    for (qsizetype i = 0; i < raw.size();) {
        // A value of megabytes is decoded in one go: look at the cancel now and then.
        if (cancel && (i & 0xFFFF) == 0 && cancel->load(std::memory_order_relaxed)) break;
        if (raw[i] == u'<' && all.sliced(i).startsWith(CdataOpen)) {
            const qsizetype end = raw.indexOf(QLatin1String("]]>"), i + CdataOpen.size());
            const qsizetype from = i + CdataOpen.size();
            text += all.mid(from, end < 0 ? -1 : end - from);
            if (end < 0) break;
            i = end + 3;
            continue;
        }
        if (raw[i] == u'&') {
            // A reference is short ("&#x10FFFF;"): looking further for its ';' would make a
            // value full of '&' take quadratic time.
            constexpr qsizetype LongestReference = 10; // from '&' to ';'
            const qsizetype semicolon = all.mid(i + 1, LongestReference).indexOf(u';');
            if (semicolon >= 0) {
                if (const auto c = Entity(all.mid(i + 1, semicolon))) {
                    text += *c;
                    i += semicolon + 2;
                    continue;
                }
            }
        }
        text += raw[i++];
    }
    return text;
}

namespace {
double ValueOf(const std::optional<DocumentNumber>& number) {
    if (!number) return 0.0;
    double value = number->Value();
    if (std::fabs(value) < FixedPointLimit) value = std::nearbyint(value * 10000.0) / 10000.0;
    return value == 0.0 ? 0.0 : value; // no "-0"
}
} // namespace

double AmountValue(const QString& text) {
    return ValueOf(AmountNumber(text));
}

namespace {
// The locale's currency text of an exact count of kopecks: its pattern for one ruble with the
// digits put in whole. None when the locale writes its currency without two decimals.
std::optional<QString> ExactCurrencyText(qint64 kopecks, const QLocale& locale) {
    const bool negative = kopecks < 0;
    const quint64 magnitude = negative ? 0 - quint64(kopecks) : quint64(kopecks);
    const QString one = locale.toString(1.0, 'f', 2);
    QString pattern = locale.toCurrencyString(negative ? -1.0 : 1.0);
    const qsizetype at = pattern.indexOf(one);
    if (at < 0) return std::nullopt;
    const QString digits = locale.toString(qulonglong(magnitude / 100)) + locale.decimalPoint() +
                           QStringLiteral("%1").arg(uint(magnitude % 100), 2, 10, QLatin1Char('0'));
    return pattern.replace(at, one.size(), digits);
}
} // namespace

namespace {
// The amount as the list shows it, of its number as AmountNumber reads it.
QString CurrencyText(const std::optional<DocumentNumber>& number, const QLocale& locale) {
    // Past 2^53 kopecks a double loses kopecks (92233720368547758.07 would show ...758,00): such
    // an amount is shown from its digits.
    constexpr qint64 DoubleExact = qint64(1) << 53;
    if (number) {
        const std::optional<qint64> kopecks = number->Scaled(2);
        if (kopecks && (*kopecks > DoubleExact || *kopecks < -DoubleExact))
            if (std::optional<QString> exact = ExactCurrencyText(*kopecks, locale)) return *exact;
    }
    return locale.toCurrencyString(ValueOf(number));
}
} // namespace

QString AmountDisplayText(const QString& text, const QLocale& locale) {
    return CurrencyText(AmountNumber(text), locale);
}

namespace {
QStringList AllElementNames(const ColumnMap& columns) {
    QStringList names;
    for (const ColumnDef& column : columns)
        names += column.ElementNames();
    return names;
}
} // namespace

DocumentReader::DocumentReader(const ColumnMap& columns, const TextCoder& coder,
                               const std::atomic<bool>* cancel, RowUse use)
    : m_scanner(AllElementNames(columns)), m_coder(coder), m_cancel(cancel), m_use(use) {
    m_columns.reserve(columns.size());
    for (const ColumnDef& column : columns) {
        PreparedColumn prepared;
        prepared.ElementNames = column.ElementNames();
        for (const QString& name : std::as_const(prepared.ElementNames))
            prepared.Slots.push_back(m_scanner.Slot(name));
        prepared.IsAmount = column.IsAmount();
        prepared.Caption = column.Caption;
        m_columns.push_back(std::move(prepared));
    }
    m_lastCells.resize(m_columns.size());
    m_lastCells8.resize(m_columns.size());
    m_lastRaw8.resize(m_columns.size());
    m_recurrence.resize(m_columns.size());
}

QString DocumentReader::DisplayText(const QString& value) const {
    // Values without a digit, or long ones (a purpose of payment), are never dates: spare the
    // parser the bulk of the cells.
    constexpr qsizetype LongestDateText = 64;
    if (value.isEmpty() || value.size() > LongestDateText) return value;
    if (std::none_of(value.cbegin(), value.cend(), [](QChar c) { return c.isDigit(); }))
        return value;
    const std::optional<double> date = ParseDateText(value, m_coder.Locale());
    return date ? GeneralDateText(*date, m_coder.Locale()) : value;
}

namespace {
// Short values only: those are the ones that recur (names, banks, tax numbers, dates).
constexpr qsizetype LongestShared = 64;
// Enough for the recurring values of any source; past it a pool starts again, so that a year of
// unique numbers does not keep a node each.
constexpr std::size_t MostShared = 16384;
} // namespace

void DocumentReader::Share(QString& value) const {
    if (value.isEmpty() || value.size() > LongestShared) return;
    if (std::size_t(m_shared.size()) >= MostShared) m_shared.clear();
    // One hash for the look-up and the keeping: an equal value already kept stays, and is taken.
    value = *m_shared.insert(value);
}

const PlainCurrency& DocumentReader::Currency() const {
    if (!m_currency) m_currency = std::make_unique<PlainCurrency>(m_coder.Locale());
    return *m_currency;
}

bool DocumentReader::TakeKnown(size_t, QStringView found, DocumentCell& cell) const {
    // '&' may begin a reference and '<' a CDATA section: those values take the decoding path.
    if (found.isEmpty() || found.size() > LongestShared ||
        std::any_of(found.begin(), found.end(), [](QChar c) { return c == u'&' || c == u'<'; }))
        return false;
    // Looked up by the document's own characters: a value met before costs no copy at all.
    if (const auto known = m_known.constFind(found); known != m_known.cend()) {
        cell = *known;
        return true;
    }
    if (std::size_t(m_known.size()) >= MostShared) m_known.clear();
    const QString raw = found.toString();
    cell = DocumentCell(m_use == RowUse::List ? DisplayText(raw) : raw, raw);
    // The key looks into the kept text, which never changes and lives as long as the entry.
    m_known.emplace(QStringView(cell.RawValue()), cell);
    return true;
}

namespace {
QString Decoded(QStringView found) {
    return found.toString();
}
// Well-formed UTF-8 (the document was checked whole) into a text of exactly its length: the
// library's decoding takes room for a unit per byte, and a row keeps its values for good.
QString Decoded(QByteArrayView found) {
    const auto* const bytes = reinterpret_cast<const uchar*>(found.data());
    const qsizetype size = found.size();
    if (std::all_of(bytes, bytes + size, [](uchar c) { return c < 0x80; }))
        return QString::fromLatin1(found);
    qsizetype units = 0;
    for (qsizetype i = 0; i < size; ++i)
        units += (bytes[i] & 0xC0) != 0x80 ? (bytes[i] >= 0xF0 ? 2 : 1) : 0;
    QString text(units, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < size;) {
        const uchar c = bytes[i];
        if (c < 0x80) {
            *out++ = c;
            i += 1;
        } else if (c < 0xE0) {
            *out++ = char16_t((c & 0x1F) << 6 | (bytes[i + 1] & 0x3F));
            i += 2;
        } else if (c < 0xF0) {
            *out++ = char16_t((c & 0x0F) << 12 | (bytes[i + 1] & 0x3F) << 6 |
                              (bytes[i + 2] & 0x3F));
            i += 3;
        } else {
            const char32_t code = char32_t(c & 0x07) << 18 | char32_t(bytes[i + 1] & 0x3F) << 12 |
                                  char32_t(bytes[i + 2] & 0x3F) << 6 | (bytes[i + 3] & 0x3F);
            *out++ = QChar::highSurrogate(code);
            *out++ = QChar::lowSurrogate(code);
            i += 4;
        }
    }
    return text;
}
} // namespace

bool DocumentReader::TakeKnown(size_t column, QByteArrayView found, DocumentCell& cell) const {
    // A value's characters are at most its bytes: longer ones may still be short enough, and are
    // decoded to see.
    if (found.isEmpty() || found.size() > 4 * LongestShared || found.contains('&') ||
        found.contains('<'))
        return false;
    // A column whose values have not recurred for a while (a document's number, its purpose)
    // is not looked up for the next many documents: each look and keeping cost a hash and a
    // node, for nothing. The cell is the same either way.
    constexpr int MissesToSkip = 32, Skipped = 1024;
    Recurrence& recurs = m_recurrence[column];
    const std::string_view key(found.data(), size_t(found.size()));
    if (recurs.Skip == 0) {
        if (const auto known = m_known8.find(key); known != m_known8.end()) {
            cell = known->second;
            recurs.Misses = 0;
            return true;
        }
        if (++recurs.Misses == MissesToSkip) recurs.Skip = Skipped;
    } else if (--recurs.Skip == 0) {
        recurs.Misses = 0;
    }
    const QString raw = Decoded(found);
    if (raw.size() > LongestShared) return false;
    cell = DocumentCell(m_use == RowUse::List ? DisplayText(raw) : raw, raw);
    if (recurs.Skip > 0) return true;
    if (m_known8.size() >= MostShared) m_known8.clear();
    m_known8.emplace(key, cell);
    return true;
}

bool DocumentReader::SameAsLast(size_t column, QStringView found, DocumentCell& cell) const {
    const DocumentCell& last = m_lastCells[column];
    if (last.IsEmpty() || found != last.RawValue()) return false;
    cell = last;
    return true;
}

bool DocumentReader::SameAsLast(size_t column, QByteArrayView found, DocumentCell& cell) const {
    const DocumentCell& last = m_lastCells8[column];
    const std::string_view bytes(found.data(), size_t(found.size()));
    if (last.IsEmpty() || bytes != m_lastRaw8[column]) return false;
    cell = last;
    return true;
}

void DocumentReader::KeepLast(size_t column, QStringView, const DocumentCell& cell) const {
    m_lastCells[column] = cell;
}

void DocumentReader::KeepLast(size_t column, QByteArrayView found, const DocumentCell& cell) const {
    m_lastCells8[column] = cell;
    m_lastRaw8[column].assign(found.data(), size_t(found.size()));
}

std::optional<DocumentRow> DocumentReader::ReadText(const QString& path, const QString& text,
                                                    QString* problem,
                                                    FindingList* findings) const {
    std::vector<QStringView> contents;
    m_scanner.Scan(text, contents, m_cancel);
    if (Cancelled()) return std::nullopt;
    return ReadContents(path, contents, problem, findings);
}

std::optional<DocumentRow> DocumentReader::ReadUtf8(const QString& path, QByteArrayView bytes,
                                                    QString* problem,
                                                    FindingList* findings) const {
    m_scanner.Scan(bytes, m_contents8, m_cancel);
    if (Cancelled()) return std::nullopt;
    return ReadContents(path, m_contents8, problem, findings);
}

template <typename View>
std::optional<DocumentRow> DocumentReader::ReadContents(const QString& path,
                                                        const std::vector<View>& contents,
                                                        QString* problem,
                                                        FindingList* findings) const {
    DocumentRow row;
    row.SourcePath = path;
    row.Checked = true;
    row.Cells.reserve(m_columns.size());
    for (size_t c = 0; c < m_columns.size(); ++c) {
        const PreparedColumn& column = m_columns[c];
        DocumentCell cell;
        QString value;
        bool known = false;
        // A value is empty when its decoded text is: "<![CDATA[]]>" gives way to the next alias.
        for (const int slot : column.Slots) {
            const View found = contents[size_t(slot)];
            if (found.isEmpty()) continue;
            if (!column.IsAmount && SameAsLast(c, found, cell)) {
                known = true;
                break;
            }
            if (!column.IsAmount && TakeKnown(c, found, cell)) {
                KeepLast(c, found, cell);
                known = true;
                break;
            }
            value = XmlText(Decoded(found), m_cancel);
            if (Cancelled()) return std::nullopt;
            if (!value.isEmpty()) break;
        }
        if (known) {
            row.Cells.push_back(std::move(cell));
            continue;
        }
        QString display;
        if (column.IsAmount) {
            if (value.isEmpty()) {
                // A document without an amount is not listed, but never without a word.
                SaySkipped(path,
                           QStringLiteral("в нем нет суммы (%1)")
                               .arg(WhereLooked(column.ElementNames, column.Caption)),
                           problem, findings);
                return std::nullopt;
            }
            // Mostly plain digits: read and shown without the general rule and the locale's
            // own writing of the amount.
            if (const std::optional<qint64> plain = PlainKopecks(value);
                plain && (m_use == RowUse::Statement || Currency().Usable(*plain))) {
                Share(value);
                row.Cells.emplace_back(
                    m_use == RowUse::Statement ? value : Currency().Text(*plain), value);
                continue;
            }
            // The statement takes the amount as written; when it is no number, the list's
            // figure is not what 1C will get, and the user must know. The checks make its
            // finding, naming the value.
            // Read once: the number a list shows is the one read, or what AmountNumber makes of
            // a text that is none.
            const std::optional<DocumentNumber> read = ReadDocumentNumber(value);
            const bool number = read.has_value();
            if (m_use == RowUse::List || !number)
                display = CurrencyText(number ? read : AmountNumber(value), m_coder.Locale());
            if (!number)
                AddProblem(problem,
                           QStringLiteral("Файл '%1': сумма '%2' не является числом (в списке: "
                                          "%3; в выписку она попадет как есть)")
                               .arg(path, value, display));
            if (m_use == RowUse::Statement) display = value;
        } else if (m_use == RowUse::List) {
            display = DisplayText(value);
        } else {
            display = value;
        }
        Share(value);
        if (display.isSharedWith(value) || display == value)
            display = value;
        else
            Share(display);
        row.Cells.emplace_back(display, value);
    }
    if (row.Cells.empty()) { // no columns: nothing to make a row of
        SaySkipped(path, QStringLiteral("в TAG.INI нет ни одной колонки"), problem, findings);
        return std::nullopt;
    }
    return row;
}

std::optional<DocumentRow> DocumentReader::ReadBytes(const QString& path, const QByteArray& bytes,
                                                     QString* problem,
                                                     FindingList* findings) const {
    // Mostly UTF-8 that says so: looked through as it is, with no decoded copy of the whole.
    if (IsPlainUtf8(bytes)) return ReadUtf8(path, bytes, problem, findings);
    QString encoding;
    const QString text = DecodeDocument(bytes, &encoding);
    if (!encoding.isEmpty()) {
        AddProblem(problem, QStringLiteral("Файл '%1': %2").arg(path, encoding));
        if (findings) findings->push_back(FileFinding(FindingKind::Unread, path, encoding));
    }
    return ReadText(path, text, problem, findings);
}

std::optional<DocumentRow> DocumentReader::ReadFile(const QString& path, QString* problem,
                                                    FindingList* findings) const {
    const std::optional<QByteArray> bytes = ReadDocumentBytes(path, problem, findings);
    if (!bytes) return std::nullopt;
    return ReadBytes(path, *bytes, problem, findings);
}
