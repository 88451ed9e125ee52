#include "export/FormatValue.h"

#include "export/DatePattern.h"
#include "text/DateParse.h"
#include "text/DocumentNumber.h"
#include "text/TrimSpaces.h"

#include <algorithm>
#include <cmath>

namespace {

// The date and the time of day of a day count, split by hand: a date-time in local time would
// ask the time zone on every value (slow) and move times that a clock change skips.
QString FormatDateTime(double value, const FormatSettings& formats) {
    constexpr qint64 MsecsPerDay = 86400000;
    const QString& pattern = value < 1 ? formats.TimeFormat : formats.DateFormat;
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6) return QString();
    double whole = std::trunc(value);
    qint64 msecs = std::llround(std::fabs(value - whole) * MsecsPerDay);
    if (msecs >= MsecsPerDay) {
        msecs -= MsecsPerDay;
        whole += value < 0 ? -1 : 1;
    }
    const QDate date = QDate(1899, 12, 30).addDays(qint64(whole));
    const QTime time = QTime::fromMSecsSinceStartOfDay(int(msecs));
    return FormatDatePattern(pattern, date, time, StatementLocale());
}

// Every run of CR and LF inside a value becomes one space: the statement is read line by line,
// and a value's second line would be a line without its key.
QString OnOneLine(const QString& text) {
    if (!text.contains(u'\n') && !text.contains(u'\r')) return text;
    QString out;
    out.reserve(text.size());
    bool inBreak = false;
    for (const QChar c : text) {
        const bool lineBreak = c == u'\n' || c == u'\r';
        if (!lineBreak)
            out += c;
        else if (!inBreak)
            out += u' ';
        inBreak = lineBreak;
    }
    return out;
}

} // namespace

bool HasSingleSeparators(const QString& text) {
    return text.count(u'-') <= 1 && text.count(u'.') <= 1;
}

QString FormatValue(const PlaceholderValue& value, const FormatSettings& formats) {
    if (const double* dateTime = std::get_if<double>(&value))
        return TrimSpaces(FormatDateTime(*dateTime, formats));

    const QString& text = std::get<QString>(value);
    if (!HasSingleSeparators(text)) {
        if (const std::optional<double> parsed = ParseDateText(text, StatementLocale()))
            return TrimSpaces(FormatDateTime(*parsed, formats));
    }
    if (const std::optional<DocumentNumber> number = ReadDocumentNumber(text))
        return TrimSpaces(number->Text(formats.DecimalSeparator));
    const qsizetype colon = formats.AfterColon ? text.lastIndexOf(u':') : -1;
    return TrimSpaces(OnOneLine(colon < 0 ? text : text.mid(colon + 1)));
}

QString FormatAmount(const QString& value, const FormatSettings& formats) {
    if (formats.Decimals < 0) return FormatValue(value, formats);
    std::optional<DocumentNumber> number = ReadDocumentNumber(value);
    if (!number || number->Fraction.size() > formats.Decimals) return FormatValue(value, formats);
    number->Fraction += QString(formats.Decimals - number->Fraction.size(), u'0');
    number->HasMark = formats.Decimals > 0;
    return TrimSpaces(number->Text(formats.DecimalSeparator));
}

bool HasExtraDecimals(const QString& value, const FormatSettings& formats) {
    if (formats.Decimals < 0) return false;
    const std::optional<DocumentNumber> number = ReadDocumentNumber(value);
    return number && number->Fraction.size() > formats.Decimals;
}

PlaceholderBlock::PlaceholderBlock(const QString& block, const QHash<QString, int>& slotOf) {
    qsizetype from = 0;
    // No placeholder is longer than the longest name: a longer "{...}" is not looked up, so a
    // block of many "{" before one far "}" takes linear time.
    qsizetype longest = 0;
    for (auto it = slotOf.cbegin(); it != slotOf.cend(); ++it)
        longest = std::max(longest, it.key().size());
    // Each "{" with the nearest "}" after it: a name never holds "}", and one "{" inside a
    // name ("{a{b}") still finds "{b}". The nearest "}" is found once for all the "{" before it.
    qsizetype close = -1;
    for (qsizetype open = block.indexOf(u'{'); open >= 0; open = block.indexOf(u'{', open + 1)) {
        if (close <= open) close = block.indexOf(u'}', open + 1);
        if (close < 0) break;
        // Case folding may change a name's length a little: allow for it.
        if (close - open + 1 > 2 * longest + 8) continue;
        const auto found = slotOf.constFind(block.mid(open, close - open + 1).toCaseFolded());
        if (found == slotOf.cend()) continue;
        m_pieces.push_back({block.mid(from, open - from), *found});
        from = close + 1;
        open = close;
    }
    m_pieces.push_back({block.mid(from), -1});
}

void PlaceholderBlock::Fill(QString& out, const std::vector<QString>& texts) const {
    for (const Piece& piece : m_pieces) {
        out += piece.Text;
        if (piece.Slot >= 0) out += texts[size_t(piece.Slot)];
    }
}
