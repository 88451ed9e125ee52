#include "checks/Requisites.h"

#include <algorithm>
#include <array>

namespace {

bool DigitsOnly(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

int Digit(QStringView text, qsizetype i) {
    return text[i].unicode() - u'0';
}

// The check digit that follows the digits weighted by weights: the weighted sum modulo 11,
// then modulo 10.
template <std::size_t N>
bool CheckDigitHolds(QStringView digits, const std::array<int, N>& weights) {
    int sum = 0;
    for (std::size_t i = 0; i < N; ++i)
        sum += Digit(digits, qsizetype(i)) * weights[i];
    return sum % 11 % 10 == Digit(digits, qsizetype(N));
}

constexpr std::array<int, 9> Inn10{2, 4, 10, 3, 5, 9, 4, 6, 8};
constexpr std::array<int, 10> Inn12First{7, 2, 4, 10, 3, 5, 9, 4, 6, 8};
constexpr std::array<int, 11> Inn12Second{3, 7, 2, 4, 10, 3, 5, 9, 4, 6, 8};

} // namespace

bool InnValid(QStringView inn) {
    if (!DigitsOnly(inn)) return false;
    if (inn.size() == 10) return CheckDigitHolds(inn, Inn10);
    if (inn.size() == 12)
        return CheckDigitHolds(inn, Inn12First) && CheckDigitHolds(inn, Inn12Second);
    return false;
}

bool AccountLengthValid(QStringView account) {
    return account.size() == 20 && DigitsOnly(account);
}
