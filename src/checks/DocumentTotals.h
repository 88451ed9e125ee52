#pragma once

#include "checks/OrganisationSide.h"
#include "reading/DocumentTable.h"

#include <QString>

#include <optional>

// The amount of a document in kopecks when its whole text is the sender's number (the number the
// statement writes). None when it is anything else ("50 руб.", "1e3"), has a fraction of a kopeck
// ("10.005") or is too large to add up; why says which. Such an amount is never rounded into a
// total: the total leaves it out and says so.
std::optional<qint64> AmountKopecks(const QString& text, QString* why = nullptr);
// AmountKopecks of a payment: none too for zero or below, which pays nothing (a refund comes as
// a payment the other way). The totals and the checks add and name amounts by this rule.
std::optional<qint64> PaymentKopecks(const QString& text, QString* why = nullptr);

// Adds the row's payment (PaymentKopecks of its amount column, -1 for none) to sum, or counts it
// in uncounted when it cannot be added exactly: the one rule of every total. Returns the payment.
std::optional<qint64> CountPayment(const DocumentRow& row, int amountColumn, qint64* sum,
                                   qint64* uncounted);

// Index of the first column keyed so (in any letter case), or -1.
int KeyedColumn(const ColumnMap& columns, QStringView key);
// Index of the amount column (the one keyed "Сумма"), or -1.
int AmountColumn(const ColumnMap& columns);

struct DocumentTotals {
    qint64 Checked = 0;   // checked documents
    qint64 All = 0;       // all documents
    qint64 Kopecks = 0;   // the sum of the checked amounts that are whole kopecks
    qint64 Uncounted = 0; // checked documents whose amount is left out of Kopecks
    // With the organisation's side known: the checked documents paid to it and by it. None
    // otherwise, or when an amount among them can't be added exactly.
    std::optional<qint64> Incoming;
    std::optional<qint64> Outgoing;
    bool ReadingStopped = false; // the table holds what a stopped reading had read

    bool Exact() const { return Uncounted == 0; }
};

// The totals of the table; the income and outgo of the organisation too when its side can be
// told (OrganisationSide::Known).
DocumentTotals ComputeTotals(const DocumentTable& table, const Organisation& org = {});

// Kopecks as rubles with two decimals, exactly: "-1234" with "," gives "-12,34". A non-empty
// group separator goes between groups of three digits of the rubles.
QString KopecksText(qint64 kopecks, const QString& decimalSeparator,
                    const QString& groupSeparator = {});

// "Отмечено: 12 из 15 · 1 234 567,89 ₽", with the account's " · поступило 60
// 000,00 · списано 37 386,64" (each when it could be added), and " · не учтено сумм: N" when
// amounts were left out; " (чтение остановлено)" after the count when the reading was stopped.
QString TotalsText(const DocumentTotals& totals);
