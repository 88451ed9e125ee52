#include "text/TextCoder.h"

#include <cmath>

namespace {

const char* const Units[10] = {"",      "один ",  "два ",  "три ",    "четыре ",
                               "пять ", "шесть ", "семь ", "восемь ", "девять "};
const char* const UnitsFeminine[10] = {"",      "одна ",  "две ",  "три ",    "четыре ",
                                       "пять ", "шесть ", "семь ", "восемь ", "девять "};
const char* const Tens[10] = {
    "",           "десять ",     "двадцать ",  "тридцать ",    "сорок ",
    "пятьдесят ", "шестьдесят ", "семьдесят ", "восемьдесят ", "девяносто "};
const char* const Hundreds[10] = {"",         "сто ",      "двести ",  "триста ",    "четыреста ",
                                  "пятьсот ", "шестьсот ", "семьсот ", "восемьсот ", "девятьсот "};
const char* const Teens[10] = {"десять ",       "одиннадцать ", "двенадцать ",  "тринадцать ",
                               "четырнадцать ", "пятнадцать ",  "шестнадцать ", "семнадцать ",
                               "восемнадцать ", "девятнадцать "};

QString W(const char* word) {
    return QString::fromUtf8(word);
}

// Scale word for 1, 2-4 and the rest.
QString Scale(int digit, const char* one, const char* few, const char* many) {
    if (digit == 1) return W(one);
    if (digit >= 2 && digit <= 4) return W(few);
    return W(many);
}

} // namespace

QString TextCoder::StringSumm(double n) const {
    if (!(n > 0)) return QStringLiteral("ноль");
    if (!std::isfinite(n)) return {};
    const double billions = std::floor(n / 1e9);
    // fmod is exact: the part below a billion of any amount, where subtracting the billions
    // would leave a rounding error far beyond the range of an integer.
    const qint64 below = qint64(std::fmod(std::floor(n), 1e9));
    int d[10] = {};
    qint64 rest = below;
    for (int k = 1; k <= 9; ++k) {
        d[k] = int(rest % 10);
        rest /= 10;
    }

    QString out;
    if (billions >= 1 && billions < 10) {
        const int b = int(billions);
        out += W(Units[b]) + Scale(b, "миллиард ", "миллиарда ", "миллиардов ");
    }

    out += W(Hundreds[d[9]]);
    if (d[8] == 1) {
        out += W(Teens[d[7]]) + W("миллионов ");
    } else {
        out += W(Tens[d[8]]) + W(Units[d[7]]);
        if (d[7] || d[8] || d[9]) out += Scale(d[7], "миллион ", "миллиона ", "миллионов ");
    }

    out += W(Hundreds[d[6]]);
    if (d[4] == 0 && d[5] == 0 && d[6] != 0) out += W(" тысяч ");
    if (d[5] == 1) {
        out += W(Teens[d[4]]) + W("тысяч ");
    } else {
        out += W(Tens[d[5]]);
        if (d[4] == 0) {
            if (d[5] >= 2) out += W("тысяч ");
        } else {
            out += W(UnitsFeminine[d[4]]) + Scale(d[4], "тысяча ", "тысячи ", "тысяч ");
        }
    }

    out += W(Hundreds[d[3]]);
    if (d[2] == 1)
        out += W(Teens[d[1]]);
    else
        out += W(Tens[d[2]]) + W(Units[d[1]]);
    return out.trimmed();
}
