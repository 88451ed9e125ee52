#include "text/PlainCurrency.h"

#include <algorithm>

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
            if (kopecks >= Beyond ||
                Text(kopecks) != locale.toCurrencyString(double(kopecks) / 100))
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
    const qsizetype groups = (count - 1) / 3;
    QString text(m_prefix.size() + count + groups * m_group.size() + m_decimal.size() + 2 +
                     m_suffix.size(),
                 Qt::Uninitialized);
    QChar* out = text.data();
    const auto put = [&](const QString& piece) {
        std::copy(piece.cbegin(), piece.cend(), out);
        out += piece.size();
    };
    put(m_prefix);
    for (int i = count - 1; i >= 0; --i) {
        *out++ = QLatin1Char(digits[i]);
        if (i > 0 && i % 3 == 0) put(m_group);
    }
    put(m_decimal);
    *out++ = QLatin1Char(char('0' + kopecks % 100 / 10));
    *out++ = QLatin1Char(char('0' + kopecks % 10));
    put(m_suffix);
    return text;
}
