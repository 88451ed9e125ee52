#include "text/DocumentNumber.h"

#include <charconv>
#include <limits>
#include <string>

namespace {

bool IsGroupBlank(QChar c) {
    switch (c.unicode()) {
    case u' ':
    case 0x00A0: // no-break space
    case 0x202F: // narrow no-break space
    case 0x2009: // thin space
    case u'\'':
    case 0x2019: // typographic apostrophe, as Swiss grouping writes it
        return true;
    default:
        return false;
    }
}

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool IsMinus(QChar c) {
    return c == u'-' || c == QChar(0x2212); // the typographic minus is still a minus
}

// The part of the text that may belong to a number: the blanks at its ends dropped.
QStringView Trimmed(QStringView text) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text[from].isSpace())
        ++from;
    while (to > from && text[to - 1].isSpace())
        --to;
    return text.sliced(from, to - from);
}

} // namespace

QString DocumentNumber::Text(const QString& decimalSeparator) const {
    QString out;
    out.reserve(Whole.size() + Fraction.size() + decimalSeparator.size() + 1);
    if (!Sign.isNull()) out += Sign;
    out += Whole;
    if (HasMark) {
        out += decimalSeparator;
        out += Fraction;
    }
    return out;
}

double DocumentNumber::Value() const {
    // C notation, never the locale's; every list row asks, so no allocation for usual amounts.
    std::string c;
    c.reserve(size_t(Whole.size() + Fraction.size()) + 3);
    if (Sign == u'-') c += '-';
    c += Whole.isEmpty() ? std::string("0") : Whole.toStdString();
    if (!Fraction.isEmpty()) c += '.' + Fraction.toStdString();
    double value = 0.0;
    const auto [end, error] = std::from_chars(c.data(), c.data() + c.size(), value);
    const bool ok = error == std::errc() && end == c.data() + c.size();
    return ok && value != 0.0 ? value : 0.0; // no "-0"; out of range is none
}

std::optional<qint64> DocumentNumber::Scaled(int decimals) const {
    constexpr qint64 Max = std::numeric_limits<qint64>::max();
    qint64 value = 0;
    auto push = [&](QChar digit) {
        const int d = digit.unicode() - u'0';
        if (value > (Max - d) / 10) return false;
        value = value * 10 + d;
        return true;
    };
    for (const QChar c : Whole)
        if (!push(c)) return std::nullopt;
    for (qsizetype i = 0; i < qsizetype(decimals); ++i)
        if (!push(i < Fraction.size() ? Fraction[i] : QChar(u'0'))) return std::nullopt;
    for (qsizetype i = decimals; i < Fraction.size(); ++i)
        if (Fraction[i] != u'0') return std::nullopt; // a fraction of a kopeck
    return Sign == u'-' ? -value : value;
}

std::optional<qint64> PlainKopecks(QStringView text) {
    constexpr qsizetype MostWholeDigits = 15;
    const qsizetype size = text.size();
    qsizetype at = 0;
    qint64 kopecks = 0;
    for (; at < size && IsDigit(text[at]); ++at) {
        if (at == MostWholeDigits) return std::nullopt;
        kopecks = kopecks * 10 + (text[at].unicode() - u'0');
    }
    if (at == 0) return std::nullopt;
    int decimals = 0;
    if (at < size && (text[at] == u'.' || text[at] == u',')) {
        for (++at; at < size && decimals < 2 && IsDigit(text[at]); ++at, ++decimals)
            kopecks = kopecks * 10 + (text[at].unicode() - u'0');
    }
    if (at != size) return std::nullopt;
    for (; decimals < 2; ++decimals)
        kopecks *= 10;
    return kopecks;
}

std::optional<DocumentNumber> ReadDocumentNumber(QStringView text) {
    text = Trimmed(text);
    DocumentNumber number;
    qsizetype at = 0;
    if (!text.isEmpty() && (IsMinus(text[0]) || text[0] == u'+')) {
        number.Sign = IsMinus(text[0]) ? QChar(u'-') : QChar(u'+');
        ++at;
    }
    // Which of "." and "," is the decimal mark: decided by the whole text before any digit is
    // taken, since the last mark decides.
    qsizetype points = 0, commas = 0, lastPoint = -1, lastComma = -1, digits = 0;
    for (qsizetype i = at; i < text.size(); ++i) {
        const QChar c = text[i];
        if (IsDigit(c)) {
            ++digits;
        } else if (c == u'.') {
            ++points;
            lastPoint = i;
        } else if (c == u',') {
            ++commas;
            lastComma = i;
        } else if (!IsGroupBlank(c)) {
            return std::nullopt;
        }
    }
    if (digits == 0) return std::nullopt;
    QChar mark; // null: every "." or "," groups digits
    if (points > 0 && commas > 0) {
        mark = lastPoint > lastComma ? QChar(u'.') : QChar(u',');
        if ((mark == u'.' ? points : commas) > 1) return std::nullopt; // "1.234.5,6.7"
    } else if (points == 1) {
        mark = u'.';
    } else if (commas == 1) {
        mark = u',';
    }
    number.Whole.reserve(digits);
    for (qsizetype i = at; i < text.size(); ++i) {
        const QChar c = text[i];
        if (IsDigit(c)) {
            (number.HasMark ? number.Fraction : number.Whole) += c;
        } else if (c == mark) {
            number.HasMark = true;
        }
    }
    return number;
}

std::optional<DocumentNumber> ReadLeadingNumber(QStringView text) {
    text = Trimmed(text);
    qsizetype end = 0;
    if (end < text.size() && (IsMinus(text[end]) || text[end] == u'+')) ++end;
    while (end < text.size() && (IsDigit(text[end]) || text[end] == u'.' || text[end] == u',' ||
                                 IsGroupBlank(text[end])))
        ++end;
    // Marks and blanks at the end of the run belong to what follows ("12.50. руб").
    while (end > 0 && !IsDigit(text[end - 1]))
        --end;
    return ReadDocumentNumber(text.first(end));
}

std::optional<DocumentNumber> AmountNumber(QStringView text) {
    std::optional<DocumentNumber> number = ReadDocumentNumber(text);
    if (!number) number = ReadLeadingNumber(text);
    return number;
}
