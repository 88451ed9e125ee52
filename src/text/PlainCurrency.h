#pragma once

#include <QLocale>
#include <QString>

// A locale's currency text of a whole count of kopecks, as QLocale::toCurrencyString writes
// kopecks / 100, made from the locale's pattern for 1.00 with the digits put in: the list shows
// an amount for every document, and the locale's own writing of each is most of its reading.
// Only where that gives the locale's text for amounts of every size tried (groups of three, two
// decimals, Western digits); elsewhere Usable is false and the locale writes each amount itself.
class PlainCurrency {
public:
    explicit PlainCurrency(const QLocale& locale);

    // Amounts from 0 to under 10^11 rubles, in a locale where the pattern holds.
    bool Usable(qint64 kopecks) const;
    QString Text(qint64 kopecks) const;

private:
    bool m_usable = false;
    QString m_prefix, m_suffix, m_group, m_decimal;
};
