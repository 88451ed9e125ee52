#pragma once

#include "checks/OrganisationSide.h"
#include "reading/DocumentTable.h"

#include <QString>
#include <QStringList>

// The dates 1C posts a document on: {OutgoingDate} is its ДатаСписано, or its Дата when that is
// empty and the organisation pays; {IncomingDate} its ДатаПоступило, or its Дата when that is
// empty and the organisation is paid. A date the document carries is never blanked (the payer
// bank's debit date on an incoming document stays). The texts are the document's own, for the
// statement to format as it formats every value.
class MoneyDates {
public:
    MoneyDates(const ColumnMap& columns, const Organisation& org);

    const OrganisationSide& Side() const { return m_side; }
    QString Outgoing(const DocumentRow& row) const;
    QString Incoming(const DocumentRow& row) const;
    // The date the money moved on: the outgoing one for the organisation's payment, the incoming
    // one for a payment to it, else the document's Дата.
    QString Moved(const DocumentRow& row) const;

private:
    QString Value(const DocumentRow& row, int column) const;

    OrganisationSide m_side;
    int m_date = -1;
    int m_debited = -1;
    int m_credited = -1;
};

// The kinds of document 1C tells apart, in the order a statement's header lists them.
const QStringList& DocumentKinds();
// The kind of a document from its ВидОплаты: 01 Платежное поручение, 02 Платежное требование,
// 06 Инкассовое поручение, 16 Платежный ордер, 17 Банковский ордер; any other value, or none,
// is a payment order.
QString DocumentKindOf(const QString& paymentKind);
