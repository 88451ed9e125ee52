#pragma once

#include "reading/DocumentTable.h"

#include <QString>

class INIStorage;

// The organisation as a document names it: its account and its INN (ACC and INN of CONFIG.INI,
// blanks at their ends dropped).
struct Organisation {
    QString Account;
    QString Inn;

    bool operator==(const Organisation&) const = default;
};

Organisation ReadOrganisation(const INIStorage& settings);

enum class MoneyDirection { Other, Incoming, Outgoing };

// Which side of a document is the organisation's. The account decides; only for a treasury
// account (03...), which institutions served by one treasury office share, and with the INN set
// must that side's INN also be the organisation's (or be empty, or "0"). A commercial account
// paying a tax for someone else carries the taxpayer's INN as the payer's and stays ours.
// Resolved once per table; cheap per row.
class OrganisationSide {
public:
    OrganisationSide(const ColumnMap& columns, const Organisation& org);

    // ACC is 20 digits and both account columns exist: only then can a side be told.
    bool Known() const { return m_known; }
    bool IsPayer(const DocumentRow& row) const;
    bool IsPayee(const DocumentRow& row) const;
    // Outgoing when the organisation pays, Incoming when it is paid. A document with both sides
    // the organisation's (money moved within its own account) is Outgoing here, while IsPayer and
    // IsPayee both hold: the totals count it each way, so the balance nets to nothing.
    MoneyDirection Direction(const DocumentRow& row) const;

private:
    bool IsSide(const DocumentRow& row, int account, int inn) const;

    Organisation m_org;
    bool m_known = false;
    bool m_byInn = false; // a treasury account with the INN set
    int m_payerAccount = -1;
    int m_payeeAccount = -1;
    int m_payerInn = -1;
    int m_payeeInn = -1;
};
