#include "text/PluralForm.h"

QString PluralForm(const QString& word, qint64 n, int kind) {
    // Russian takes the form of the last digit, except that 11 to 14 (also in 111, 1012 ...)
    // take the form of "many".
    const qint64 lastTwo = n % 100;
    const qint64 last = n % 10;
    const bool teen = lastTwo >= 11 && lastTwo <= 19;
    if (!teen && last == 1) return word;
    if (!teen && last >= 2 && last <= 4)
        return word + (kind == 0 ? QStringLiteral("о") : QStringLiteral("а"));
    switch (kind) {
    case 0:
        return word + QStringLiteral("о");
    case 1:
        return word + QStringLiteral("ы");
    default:
        return word + QStringLiteral("ов");
    }
}
