#pragma once

#include "reading/DocumentTable.h"

#include <QHash>
#include <QString>

// What makes two documents one payment: the number without its leading zeros ("000055" is 55),
// the day of the date however written, the amount in kopecks (its text when it is not a number),
// the payer's and the payee's accounts, and the payer's ИНН when there is one ("0" is none).
// Two people without an ИНН paying №1 of the same day and sum from their own accounts are two
// payments. Resolved once per column map.
class DocumentKeys {
public:
    explicit DocumentKeys(const ColumnMap& columns);

    // A number, a date and an amount column exist: without them no two documents can be told one.
    bool Usable() const { return m_number >= 0 && m_date >= 0 && m_amount >= 0; }
    // Empty when the document has no number (or the map lacks a column of the key). dates, when
    // given, keeps the day of each date text met, for the next documents of the same statement.
    QString Key(const DocumentRow& row, QHash<QString, QString>* dates = nullptr) const;

private:
    int m_number = -1;
    int m_date = -1;
    int m_amount = -1;
    int m_payerAccount = -1;
    int m_payeeAccount = -1;
    int m_payerInn = -1;
};

// What make gives for text, worked out once and kept in known: the few dates of a statement recur
// in every document. Texts that never recur are let go past a bound.
template <typename Make>
QString Remembered(QHash<QString, QString>& known, const QString& text, Make make) {
    if (const auto found = known.constFind(text); found != known.cend()) return *found;
    constexpr qsizetype MostKnown = 4096;
    if (known.size() >= MostKnown) known.clear();
    return *known.insert(text, make(text));
}

// The key of one document; for many, make one DocumentKeys and ask it.
QString DocumentKey(const ColumnMap& columns, const DocumentRow& row);
