#include "export/FormatValue.h"

#include "export/DatePattern.h"
#include "export/NumberMarks.h"
#include "text/DateParse.h"
#include "text/TextCoder.h"
#include "text/TrimSpaces.h"

#include <QVariant>

#include <cmath>

namespace {

// The date and the time of day of a day count, split by hand: a date-time in local time would
// ask the time zone on every value (slow) and move times that a clock change skips.
QString FormatDateTime(double value, const FormatSettings& formats, const TextCoder& coder) {
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
    return FormatDatePattern(pattern, date, time, coder.Locale());
}

// The number rule's replacements, made in one pass: at each position the first mark that matches
// is replaced and the scan goes on after it. The separator put in is never looked at again, so a
// separator that is also one of the marks (a "," under a locale that groups with ",", or a space)
// stays in the number instead of being removed by a later replacement.
QString PlainNumber(const QString& text, const FormatSettings& formats, const NumberMarks& marks) {
    struct Swap {
        QString From;
        const QString* To;
    };
    static const QString Nothing;
    const Swap swaps[] = {
        {marks.Point, &formats.DecimalSeparator},
        {marks.Group, &Nothing},
        {marks.Currency, &Nothing},
        {marks.CurrencyMark, &Nothing},
        {QStringLiteral(","), &formats.DecimalSeparator},
        {QStringLiteral("."), &formats.DecimalSeparator},
        {QStringLiteral(" "), &Nothing},
    };
    QString out;
    out.reserve(text.size());
    const QStringView view(text);
    for (qsizetype i = 0; i < text.size();) {
        bool swapped = false;
        const QChar c = text[i].toCaseFolded();
        for (const Swap& s : swaps) {
            if (!s.From.isEmpty() && s.From[0].toCaseFolded() == c &&
                view.mid(i, s.From.size()).compare(s.From, Qt::CaseInsensitive) == 0) {
                out += *s.To;
                i += s.From.size();
                swapped = true;
                break;
            }
        }
        if (!swapped) out += text[i++];
    }
    return out;
}

// The next occurrence in any letter case. A placeholder begins with "{", which has no other
// case: only the places of that character are compared, much faster than a case-folding scan.
qsizetype FindPlaceholder(const QString& block, const QString& placeholder, qsizetype from) {
    const QChar first = placeholder.front();
    if (first.toLower() != first || first.toUpper() != first)
        return block.indexOf(placeholder, from, Qt::CaseInsensitive);
    const QStringView rest = QStringView(placeholder).mid(1);
    for (qsizetype at = block.indexOf(first, from); at >= 0; at = block.indexOf(first, at + 1)) {
        if (QStringView(block).mid(at + 1, rest.size()).compare(rest, Qt::CaseInsensitive) == 0)
            return at;
    }
    return -1;
}

} // namespace

NumberMarks NumberMarks::Of(const TextCoder& coder) {
    NumberMarks marks;
    marks.Point = coder.LocalPoint();
    marks.Group = coder.LocalGrpSpace(); // empty, never a digit, where the locale shows no grouping
    marks.Currency = coder.LocalCurrency();
    QString mark = marks.Currency;
    mark.remove(u' ').remove(QChar(0x00A0)).remove(QChar(0x202F));
    marks.CurrencyMark = mark == marks.Currency ? QString() : mark;
    return marks;
}

bool HasSingleSeparators(const QString& text) {
    return text.count(u'-') <= 1 && text.count(u'.') <= 1;
}

QString FormatValue(const PlaceholderValue& value, const FormatSettings& formats,
                    const TextCoder& coder, const NumberMarks& marks) {
    if (const double* dateTime = std::get_if<double>(&value))
        return TrimSpaces(FormatDateTime(*dateTime, formats, coder));

    const QString& text = std::get<QString>(value);
    if (!HasSingleSeparators(text)) {
        if (const std::optional<double> parsed = ParseDateText(text, coder.Locale()))
            return TrimSpaces(FormatDateTime(*parsed, formats, coder));
    }
    if (coder.IsNumber(QVariant(text))) return TrimSpaces(PlainNumber(text, formats, marks));
    const qsizetype colon = text.lastIndexOf(u':');
    return TrimSpaces(colon < 0 ? text : text.mid(colon + 1));
}

QString FormatValue(const PlaceholderValue& value, const FormatSettings& formats,
                    const TextCoder& coder) {
    return FormatValue(value, formats, coder, NumberMarks::Of(coder));
}

void ReplacePlaceholderText(QString& block, const QString& placeholder, const QString& text) {
    if (placeholder.isEmpty()) return;
    qsizetype at = FindPlaceholder(block, placeholder, 0);
    if (at < 0) return;
    QString out;
    out.reserve(block.size() + text.size());
    qsizetype from = 0;
    while (at >= 0) {
        out += QStringView(block).mid(from, at - from);
        out += text;
        from = at + placeholder.size();
        at = FindPlaceholder(block, placeholder, from);
    }
    out += QStringView(block).mid(from);
    block = std::move(out);
}

void ApplyPlaceholder(QString& block, const QString& placeholder, const PlaceholderValue& value,
                      const FormatSettings& formats, const TextCoder& coder) {
    ReplacePlaceholderText(block, placeholder, FormatValue(value, formats, coder));
}
