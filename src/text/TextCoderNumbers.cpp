#include "text/TextCoder.h"

#include "text/LocaleMarks.h"

namespace {

bool HasDigit(QStringView text) {
    for (const QChar c : text)
        if (c.isDigit()) return true;
    return false;
}

} // namespace

QString TextCoder::LimDigit(qint32 Value, qint32 DigitNumber) const {
    if (DigitNumber < 0)
        throw TextCoderError(TextCoderError::InvalidArgument,
                             QStringLiteral("Invalid procedure call or argument"));
    return (QString(DigitNumber, QLatin1Char('0')) + QString::number(Value)).right(DigitNumber);
}

bool TextCoder::IsMultiSeparator(const QString& Value, const QString& separator) const {
    return Value.indexOf(separator) == Value.lastIndexOf(separator);
}

bool TextCoder::IsNumber(const QVariant& Value) const {
    QString text = ValueText(Value);
    if (text.isEmpty()) return false;
    const QString point = LocalPoint();
    const QString group = LocalGrpSpace();
    const QString currency = LocalCurrency();
    if (!point.isEmpty()) text.remove(point);
    if (!group.isEmpty()) text.remove(group);
    if (!currency.isEmpty()) {
        text.remove(currency);
        // The currency mark may also come without its spacing, or with an ordinary space.
        const QString bare = currency.trimmed();
        if (!bare.isEmpty()) text.remove(bare);
    }
    text.remove(QLatin1Char('.'));
    text.remove(QLatin1Char(','));
    text.remove(QLatin1Char(' '));
    // Accounting notation of a negative amount, as the locale writes it: "($12.00)".
    if (text.size() > 2 && text.startsWith(QLatin1Char('(')) && text.endsWith(QLatin1Char(')')))
        text = QLatin1Char('-') + text.mid(1, text.size() - 2);
    // What remains must be a plain number; the parsers' extras (nan, inf) have no digit.
    if (text.isEmpty() || !HasDigit(text)) return false;
    bool ok = false;
    m_locale.toDouble(text, &ok);
    if (!ok) QLocale::c().toDouble(text, &ok);
    return ok;
}

QString TextCoder::LocalPoint() const {
    return m_point;
}

QString TextCoder::LocalGrpSpace() const {
    return m_group;
}

QString TextCoder::LocalCurrency() const {
    return m_currency;
}

// The marks are cut out of what the locale's own formatting produces, so they always agree
// with the amounts formatted elsewhere in the program.
LocaleMarks LearnLocaleMarks(const QLocale& locale) {
    LocaleMarks marks;
    marks.Point = locale.toString(1.1, 'f', 1).mid(1, 1);
    if (!(locale.numberOptions() & QLocale::OmitGroupSeparator)) {
        const QString thousand = locale.toString(qlonglong(1000));
        // "1<mark>000"; a locale that does not group four digits gives no mark at all, and a
        // grouping mark is never a digit.
        if (thousand.size() > 4) {
            const QString mark = thousand.mid(1, thousand.size() - 4);
            if (!HasDigit(mark)) marks.Group = mark;
        }
    }
    marks.Currency = locale.toCurrencyString(1.0, QString(), 2);
    marks.Currency.remove(locale.toString(1.0, 'f', 2));
    return marks;
}
