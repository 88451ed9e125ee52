#include "text/PlainCurrency.h"

namespace {
constexpr qint64 Beyond = qint64(10000000000000); // kopecks: 10^11 rubles
} // namespace

PlainCurrency::PlainCurrency(const QLocale& locale) {
    const QString one = locale.toString(1.0, 'f', 2);
    const QString pattern = locale.toCurrencyString(1.0);
    const qsizetype at = pattern.indexOf(one);
    if (at < 0 || locale.zeroDigit() != QLatin1String("0")) return;
    m_prefix = pattern.left(at);
    m_suffix = pattern.mid(at + one.size());
    m_group = locale.groupSeparator();
    m_decimal = locale.decimalPoint();
    m_usable = true;
    // Every count of digits, groups starting at each place, kopecks and none.
    qint64 nines = 9;
    for (qint64 probe = 1; probe < Beyond; probe *= 10, nines = nines * 10 + 9) {
        for (const qint64 kopecks : {probe, probe + probe / 3, nines}) {
            if (kopecks >= Beyond || Text(kopecks) != locale.toCurrencyString(double(kopecks) / 100))
                m_usable = false;
        }
    }
    m_usable = m_usable && Text(0) == locale.toCurrencyString(0.0);
}

bool PlainCurrency::Usable(qint64 kopecks) const {
    return m_usable && kopecks >= 0 && kopecks < Beyond;
}

QString PlainCurrency::Text(qint64 kopecks) const {
    char digits[24];
    int count = 0;
    qint64 rubles = kopecks / 100;
    do {
        digits[count++] = char('0' + rubles % 10);
        rubles /= 10;
    } while (rubles > 0);
    QString text;
    text.reserve(m_prefix.size() + m_suffix.size() + count * 2 + 4);
    text += m_prefix;
    for (int i = count - 1; i >= 0; --i) {
        text += QLatin1Char(digits[i]);
        if (i > 0 && i % 3 == 0) text += m_group;
    }
    text += m_decimal;
    text += QLatin1Char(char('0' + kopecks % 100 / 10));
    text += QLatin1Char(char('0' + kopecks % 10));
    text += m_suffix;
    return text;
}
