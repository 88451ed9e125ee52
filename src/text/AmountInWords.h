#pragma once

#include <QString>
#include <QStringList>

// An amount in kopecks as a register writes it under its total: the roubles in words with the
// currency in its plural form, the kopecks in digits ("Сто двадцать пять тысяч рублей 00
// копеек", "Двадцать один рубль 50 копеек"). Covers every value a total can hold (up to
// quintillions of kopecks); a negative amount starts with "Минус".
QString AmountInWords(qint64 kopecks);
