#include "checks/OrganisationSide.h"

#include "checks/DocumentTotals.h"
#include "checks/OrganisationAccount.h"
#include "checks/RequisiteChecks.h"

Organisation ReadOrganisation(const INIStorage& settings) {
    return {ReadOrganisationAccount(settings), ReadOrganisationInn(settings)};
}

OrganisationSide::OrganisationSide(const ColumnMap& columns, const Organisation& org) : m_org(org) {
    m_payerAccount = KeyedColumn(columns, u"ПлательщикСчет");
    m_payeeAccount = KeyedColumn(columns, u"ПолучательСчет");
    m_payerInn = KeyedColumn(columns, u"ПлательщикИНН");
    m_payeeInn = KeyedColumn(columns, u"ПолучательИНН");
    m_known = m_payerAccount >= 0 && m_payeeAccount >= 0 &&
              OrganisationAccountProblem(org.Account).isEmpty();
    m_byInn = m_known && org.Account.startsWith(QLatin1String("03")) && !org.Inn.isEmpty();
}

bool OrganisationSide::IsSide(const DocumentRow& row, int account, int inn) const {
    if (!m_known || RequisiteText(row.ExportValue(account)) != m_org.Account) return false;
    if (!m_byInn || inn < 0) return true;
    const QStringView sideInn = RequisiteText(row.ExportValue(inn));
    return sideInn.isEmpty() || sideInn == u"0" || sideInn == m_org.Inn;
}

bool OrganisationSide::IsPayer(const DocumentRow& row) const {
    return IsSide(row, m_payerAccount, m_payerInn);
}

bool OrganisationSide::IsPayee(const DocumentRow& row) const {
    return IsSide(row, m_payeeAccount, m_payeeInn);
}

MoneyDirection OrganisationSide::Direction(const DocumentRow& row) const {
    if (IsPayer(row)) return MoneyDirection::Outgoing;
    if (IsPayee(row)) return MoneyDirection::Incoming;
    return MoneyDirection::Other;
}
