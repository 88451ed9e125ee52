#include "reading/DocumentReader.h"

#include "reading/DocumentFile.h"
#include "reading/ReadingRun.h"
#include "text/DateParse.h"
#include "text/TextCoder.h"

#include <algorithm>
#include <cmath>

namespace {
// The fixed-point amount type holds about ±9.2e14 with four decimals.
constexpr double FixedPointLimit = 922337203685477.0;

bool IsBlank(QChar c, bool commaMark) {
    switch (c.unicode()) {
    case ' ':
    case '\t':
    case '\n':
    case 0x00A0: // no-break space, as grouped numbers are written
    case 0x202F: // narrow no-break space
        return true;
    default:
        return commaMark && c.isSpace();
    }
}

// The longest leading number of the text in C form ("-1234.5e2"), blanks dropped.
QByteArray LeadingNumber(const QString& text, QChar decimalMark, bool commaMark,
                         qsizetype* exponentAt) {
    QByteArray number;
    number.reserve(text.size());
    enum { Sign, Whole, Fraction, ExponentSign, Exponent } state = Sign;
    qsizetype mantissaDigits = 0;
    qsizetype exponentStart = -1;
    bool exponentDigits = false;
    for (const QChar c : text) {
        if (IsBlank(c, commaMark)) continue;
        const char16_t u = c.unicode();
        const bool digit = u >= '0' && u <= '9';
        if (state == Sign && (u == '+' || u == '-')) {
            number += char(u);
            state = Whole;
        } else if ((state == Sign || state == Whole) && c == decimalMark) {
            number += '.';
            state = Fraction;
        } else if (state <= Fraction && digit) {
            number += char(u);
            ++mantissaDigits;
            if (state == Sign) state = Whole;
        } else if (state <= Fraction && mantissaDigits > 0 && (u == 'e' || u == 'E')) {
            exponentStart = number.size();
            number += 'e';
            state = ExponentSign;
        } else if (state == ExponentSign && (u == '+' || u == '-')) {
            number += char(u);
            state = Exponent;
        } else if ((state == ExponentSign || state == Exponent) && digit) {
            number += char(u);
            exponentDigits = true;
            state = Exponent;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0) return {};
    if (exponentStart >= 0 && !exponentDigits) { // "12e" or "12e-": the number ends before 'e'
        number.truncate(exponentStart);
        exponentStart = -1;
    }
    *exponentAt = exponentStart;
    return number;
}

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
} // namespace

QString XmlText(const QString& raw, const std::atomic<bool>* cancel) {
    static const QString CdataOpen = QStringLiteral("<![CDATA[");
    if (!raw.contains(u'&') && !raw.contains(CdataOpen)) return raw;
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

double AmountValue(const QString& text) {
    // "12,50" is twelve and a half, as accountants write it; "1234.5" keeps its meaning.
    const bool commaMark = !text.contains(QLatin1Char('.')) && text.count(QLatin1Char(',')) == 1;
    qsizetype exponentAt = -1;
    QByteArray number = LeadingNumber(text, commaMark ? QLatin1Char(',') : QLatin1Char('.'),
                                      commaMark, &exponentAt);
    if (number.isEmpty()) return 0.0;
    bool ok = false;
    double value = number.toDouble(&ok);
    if ((!ok || !std::isfinite(value)) && exponentAt >= 0) {
        // An exponent beyond the range of numbers is not part of the number.
        number.truncate(exponentAt);
        value = number.toDouble(&ok);
    }
    if (!ok || !std::isfinite(value)) value = 0.0;
    if (std::fabs(value) < FixedPointLimit) value = std::nearbyint(value * 10000.0) / 10000.0;
    return value == 0.0 ? 0.0 : value; // no "-0"
}

QString AmountDisplayText(const QString& text, const QLocale& locale) {
    return locale.toCurrencyString(AmountValue(text));
}

DocumentReader::DocumentReader(const ColumnMap& columns, const TextCoder& coder,
                               const std::atomic<bool>* cancel)
    : m_coder(coder), m_cancel(cancel) {
    m_columns.reserve(columns.size());
    for (const ColumnDef& column : columns)
        m_columns.push_back({column.ElementNames(), column.IsAmount()});
}

QString DocumentReader::DisplayText(const QString& value) const {
    // Values without a digit, or long ones (a purpose of payment), are never dates: spare the
    // parser the bulk of the cells.
    constexpr qsizetype LongestDateText = 64;
    if (value.isEmpty() || value.size() > LongestDateText) return value;
    if (std::none_of(value.cbegin(), value.cend(), [](QChar c) { return c.isDigit(); }))
        return value;
    if (const std::optional<double> date = ParseDateText(value, m_coder.Locale()))
        return GeneralDateText(*date, m_coder.Locale());
    return value;
}

std::optional<DocumentRow> DocumentReader::ReadText(const QString& path,
                                                    const QString& text) const {
    DocumentRow row;
    row.SourcePath = path;
    row.Checked = true;
    row.Cells.reserve(m_columns.size());
    for (const PreparedColumn& column : m_columns) {
        QString value;
        for (const QString& name : column.ElementNames) {
            // Each search may cross the whole of a large document.
            if (Cancelled()) return std::nullopt;
            value = m_coder.ReadTag(text, name);
            if (!value.isEmpty()) break;
        }
        value = XmlText(value, m_cancel);
        if (Cancelled()) return std::nullopt;
        DocumentCell cell;
        if (column.IsAmount) {
            if (value.isEmpty()) return std::nullopt; // a document without an amount is not listed
            cell.DisplayText = AmountDisplayText(value, m_coder.Locale());
        } else {
            cell.DisplayText = DisplayText(value);
        }
        if (!row.Cells.empty()) // the first column keeps its display text only
            cell.RawValue = std::move(value);
        row.Cells.push_back(std::move(cell));
    }
    if (row.Cells.empty()) return std::nullopt; // no columns: nothing to make a row of
    return row;
}

std::optional<DocumentRow> DocumentReader::ReadFile(const QString& path, QString* problem) const {
    const std::optional<QByteArray> bytes = ReadDocumentBytes(path, problem);
    if (!bytes) return std::nullopt;
    return ReadBytes(path, *bytes);
}

std::optional<DocumentRow> DocumentReader::ReadBytes(const QString& path,
                                                     const QByteArray& bytes) const {
    return ReadText(path, m_coder.DecodeUTF8(bytes));
}

std::optional<DocumentRow> ReadDocumentFile(const QString& path, const ColumnMap& columns,
                                            const TextCoder& coder, QString* problem) {
    return DocumentReader(columns, coder).ReadFile(path, problem);
}
