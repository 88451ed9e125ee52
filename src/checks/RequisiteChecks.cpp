#include "checks/RequisiteChecks.h"

#include "text/DateParse.h"

#include <array>

namespace {

bool AllDigits(QStringView text) {
    for (const QChar c : text)
        if (c < u'0' || c > u'9') return false;
    return true;
}

int Digit(QChar c) {
    return c.unicode() - u'0';
}

// The tax service's check digit: the weighted sum of the leading digits, modulo 11, modulo 10.
template <std::size_t N> int InnCheckDigit(QStringView digits, const std::array<int, N>& weights) {
    int sum = 0;
    for (std::size_t i = 0; i < N; ++i)
        sum += Digit(digits[qsizetype(i)]) * weights[i];
    return sum % 11 % 10;
}

} // namespace

RequisiteField RequisiteFieldOf(const QString& fieldKey) {
    for (const char16_t* date : {u"Дата", u"ДатаСписано", u"ДатаПоступило", u"ПоказательДаты"})
        if (fieldKey.compare(QStringView(date), Qt::CaseInsensitive) == 0)
            return {RequisiteKind::Date, {}};
    // "Корсчет" before "Счет": the one ends in the other.
    static const std::array<std::pair<QString, RequisiteKind>, 5> suffixes = {{
        {QStringLiteral("Корсчет"), RequisiteKind::CorrAccount},
        {QStringLiteral("Счет"), RequisiteKind::Account},
        {QStringLiteral("ИНН"), RequisiteKind::Inn},
        {QStringLiteral("КПП"), RequisiteKind::Kpp},
        {QStringLiteral("БИК"), RequisiteKind::Bic},
    }};
    for (const auto& [suffix, kind] : suffixes) {
        if (fieldKey.endsWith(suffix, Qt::CaseInsensitive))
            return {kind, fieldKey.left(fieldKey.size() - suffix.size())};
    }
    return {};
}

QStringView RequisiteText(const QString& value) {
    // Spaces only, as the statement trims its values: a tab or a no-break space reaches 1C.
    QStringView text(value);
    while (text.startsWith(u' '))
        text = text.sliced(1);
    while (text.endsWith(u' '))
        text.chop(1);
    return text;
}

QString InnProblem(QStringView inn) {
    // A payment order writes "0" where the payer has no ИНН or КПП: that is no number mistyped.
    if (inn.isEmpty() || inn == u"0") return {};
    if (!AllDigits(inn) || (inn.size() != 10 && inn.size() != 12))
        return QStringLiteral("ИНН должен состоять из 10 или 12 цифр");
    // The first two digits are a region or a tax office: none is numbered 00.
    if (inn.startsWith(u"00")) return QStringLiteral("ИНН не может начинаться с 00");
    static constexpr std::array<int, 9> Legal = {2, 4, 10, 3, 5, 9, 4, 6, 8};
    static constexpr std::array<int, 10> Personal11 = {7, 2, 4, 10, 3, 5, 9, 4, 6, 8};
    static constexpr std::array<int, 11> Personal12 = {3, 7, 2, 4, 10, 3, 5, 9, 4, 6, 8};
    const bool ok = inn.size() == 10 ? InnCheckDigit(inn, Legal) == Digit(inn[9])
                                     : InnCheckDigit(inn, Personal11) == Digit(inn[10]) &&
                                           InnCheckDigit(inn, Personal12) == Digit(inn[11]);
    return ok ? QString() : QStringLiteral("неверное контрольное число ИНН");
}

QString KppProblem(QStringView kpp) {
    if (kpp.isEmpty() || kpp == u"0") return {};
    bool ok = kpp.size() == 9;
    for (qsizetype i = 0; ok && i < kpp.size(); ++i) {
        const QChar c = kpp[i];
        const bool digit = c >= u'0' && c <= u'9';
        // The 5th and 6th characters (the reason code) may also be capital Latin letters.
        ok = digit || ((i == 4 || i == 5) && c >= u'A' && c <= u'Z');
    }
    return ok ? QString()
              : QStringLiteral("КПП должен состоять из 9 цифр (5-й и 6-й знаки могут быть "
                               "заглавными латинскими буквами)");
}

QString BicProblem(QStringView bic) {
    if (bic.isEmpty()) return {};
    if (bic.size() != 9 || !AllDigits(bic)) return QStringLiteral("БИК должен состоять из 9 цифр");
    // The country code: a bank's BIC begins with 04, a treasury office's with 00.
    if (!bic.startsWith(u'0')) return QStringLiteral("БИК должен начинаться с 0");
    return {};
}

QString AccountProblem(QStringView account, QStringView bic, bool correspondent) {
    if (account.isEmpty()) return {};
    if (account.size() != 20 || !AllDigits(account))
        return correspondent ? QStringLiteral("корреспондентский счет должен состоять из 20 цифр")
                             : QStringLiteral("счет должен состоять из 20 цифр");
    // Treasury accounts ("03...") are in rubles, code 643, and carry no control key.
    if (!correspondent && account.startsWith(u"03")) {
        return account.sliced(5, 3) == u"643"
                   ? QString()
                   : QStringLiteral("казначейский счет должен иметь 643 в 6–8-м знаках");
    }
    if (bic.isEmpty() || !BicProblem(bic).isEmpty()) return {};
    // The key is computed over 23 digits: three taken from the BIC, then the account, with the
    // weights 7 1 3 repeated; the sum of the products ends in 0. A correspondent account, an
    // account at a Bank of Russia division (BIC ending in 000, 001 or 002) and the single treasury
    // account ("40102...") take "0" and the BIC's 5th and 6th digits; any other account the BIC's
    // last three.
    const QStringView branch = bic.sliced(6);
    const bool bankOfRussia = correspondent || branch == u"000" || branch == u"001" ||
                              branch == u"002" || account.startsWith(u"40102");
    const std::array<QChar, 3> prefix = bankOfRussia ? std::array<QChar, 3>{u'0', bic[4], bic[5]}
                                                     : std::array<QChar, 3>{bic[6], bic[7], bic[8]};
    static constexpr std::array<int, 3> Weights = {7, 1, 3};
    int sum = 0;
    int i = 0;
    for (const QStringView part : {QStringView(prefix.data(), 3), account})
        for (const QChar c : part)
            sum += Digit(c) * Weights[std::size_t(i++ % 3)];
    if (sum % 10 == 0) return {};
    return correspondent
               ? QStringLiteral("корреспондентский счет не сходится с БИК %1 (ключ)").arg(bic)
               : QStringLiteral("счет не сходится с БИК %1 (ключ)").arg(bic);
}

QString TreasuryCorrAccountProblem(QStringView account, QStringView corrAccount) {
    if (!account.startsWith(u"03") || corrAccount.isEmpty() || corrAccount.startsWith(u"40102"))
        return {};
    return QStringLiteral("у казначейского счета корреспондентский счет — единый казначейский "
                          "счет 40102...");
}

QString DateProblem(QStringView date) {
    if (date.isEmpty() || date == u"0") return {};
    // The sender's forms only, read the same under any locale.
    if (ParseDateText(date.toString(), StatementLocale())) return {};
    return QStringLiteral("такой даты нет (ожидается ДД.ММ.ГГГГ)");
}
