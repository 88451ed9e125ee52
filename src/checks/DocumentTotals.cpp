#include "checks/DocumentTotals.h"

#include "checks/OrganisationAccount.h"
#include "checks/RequisiteChecks.h"
#include "text/DocumentNumber.h"

QString KopecksText(qint64 kopecks, const QString& decimalSeparator,
                    const QString& groupSeparator) {
    // Digits of the magnitude; the most negative value has no positive twin in qint64.
    const bool negative = kopecks < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(kopecks) : quint64(kopecks);
    QString digits = QString::number(magnitude);
    if (digits.size() < 3) digits = QString(3 - digits.size(), u'0') + digits;
    const QString rubles = digits.left(digits.size() - 2);
    QString out;
    if (negative) out += u'-';
    for (qsizetype i = 0; i < rubles.size(); ++i) {
        if (i > 0 && (rubles.size() - i) % 3 == 0) out += groupSeparator;
        out += rubles[i];
    }
    return out + decimalSeparator + digits.right(2);
}

std::optional<qint64> AmountKopecks(const QString& text, QString* why) {
    if (const std::optional<qint64> plain = PlainKopecks(text)) return plain;
    // Only a whole number counts: the statement writes "50 руб." or "1e3" as they stand, so a
    // total with 50,00 or 1,00 for them would not agree with its lines.
    const std::optional<DocumentNumber> number = ReadDocumentNumber(text);
    if (!number) {
        if (why) *why = QStringLiteral("сумма не число, в итог не вошла");
        return std::nullopt;
    }
    std::optional<qint64> kopecks = number->Scaled(2);
    if (!kopecks) {
        if (why) {
            const QString beyond = number->Fraction.mid(2);
            const bool fraction = beyond.count(u'0') != beyond.size();
            *why = fraction ? QStringLiteral("сумма с долями копейки, в итог не вошла")
                            : QStringLiteral("сумма слишком велика, в итог не вошла");
        }
        return std::nullopt;
    }
    return kopecks;
}

std::optional<qint64> PaymentKopecks(const QString& text, QString* why) {
    const std::optional<qint64> kopecks = AmountKopecks(text, why);
    if (!kopecks || *kopecks > 0) return kopecks;
    if (why) *why = QStringLiteral("сумма платежа должна быть больше нуля");
    return std::nullopt;
}

int KeyedColumn(const ColumnMap& columns, QStringView key) {
    for (std::size_t c = 0; c < columns.size(); ++c)
        if (columns[c].FieldKey().compare(key, Qt::CaseInsensitive) == 0) return int(c);
    return -1;
}

int AmountColumn(const ColumnMap& columns) {
    for (std::size_t c = 0; c < columns.size(); ++c)
        if (columns[c].IsAmount()) return int(c);
    return -1;
}

namespace {
// Adds kopecks to a sum that stays none once an amount could not be added.
void AddTo(std::optional<qint64>& sum, const std::optional<qint64>& kopecks) {
    qint64 added = 0;
    if (sum && kopecks && !__builtin_add_overflow(*sum, *kopecks, &added))
        sum = added;
    else
        sum.reset();
}
} // namespace

std::optional<qint64> CountPayment(const DocumentRow& row, int amountColumn, qint64* sum,
                                   qint64* uncounted) {
    const std::optional<qint64> kopecks =
        amountColumn < 0 ? std::nullopt : PaymentKopecks(row.ExportValue(amountColumn));
    qint64 added = 0;
    if (kopecks && !__builtin_add_overflow(*sum, *kopecks, &added))
        *sum = added;
    else
        ++*uncounted;
    return kopecks;
}

DocumentTotals ComputeTotals(const DocumentTable& table, const Organisation& org) {
    DocumentTotals totals;
    totals.All = qint64(table.Rows.size());
    const int amount = AmountColumn(table.Columns);
    const OrganisationSide side(table.Columns, org);
    if (side.Known()) {
        totals.Incoming = 0;
        totals.Outgoing = 0;
    }
    for (const DocumentRow& row : table.Rows) {
        if (!row.Checked) continue;
        ++totals.Checked;
        const std::optional<qint64> kopecks =
            CountPayment(row, amount, &totals.Kopecks, &totals.Uncounted);
        if (!side.Known()) continue;
        if (side.IsPayee(row)) AddTo(totals.Incoming, kopecks);
        if (side.IsPayer(row)) AddTo(totals.Outgoing, kopecks);
    }
    return totals;
}

QString TotalsText(const DocumentTotals& totals) {
    QString text = QStringLiteral("Отмечено: %1 из %2%3 · %4 ₽")
                       .arg(totals.Checked)
                       .arg(totals.All)
                       // "из N" is not all there was: the rest was never read.
                       .arg(totals.ReadingStopped ? QStringLiteral(" (чтение остановлено)")
                                                  : QString())
                       .arg(KopecksText(totals.Kopecks, QStringLiteral(","), QStringLiteral(" ")));
    if (totals.Incoming)
        text += QStringLiteral(" · поступило ") +
                KopecksText(*totals.Incoming, QStringLiteral(","), QStringLiteral(" "));
    if (totals.Outgoing)
        text += QStringLiteral(" · списано ") +
                KopecksText(*totals.Outgoing, QStringLiteral(","), QStringLiteral(" "));
    if (!totals.Exact()) text += QStringLiteral(" · не учтено сумм: %1").arg(totals.Uncounted);
    return text;
}
