#include "checks/DocumentKey.h"

#include "checks/DocumentTotals.h"
#include "checks/RequisiteChecks.h"
#include "text/DateParse.h"

#include <cmath>

namespace {

QString DayText(const QString& value) {
    const QString text = value.trimmed();
    const std::optional<double> date = ParseDateText(text, StatementLocale());
    return date ? QString::number(std::trunc(*date), 'f', 0) : text;
}

QStringView Requisite(const DocumentRow& row, int column) {
    return column < 0 ? QStringView() : RequisiteText(row.ExportValue(column));
}

} // namespace

DocumentKeys::DocumentKeys(const ColumnMap& columns)
    : m_number(KeyedColumn(columns, u"Номер")), m_date(KeyedColumn(columns, u"Дата")),
      m_amount(AmountColumn(columns)), m_payerAccount(KeyedColumn(columns, u"ПлательщикСчет")),
      m_payeeAccount(KeyedColumn(columns, u"ПолучательСчет")),
      m_payerInn(KeyedColumn(columns, u"ПлательщикИНН")) {}

QString DocumentKeys::Key(const DocumentRow& row, QHash<QString, QString>* dates) const {
    if (!Usable()) return {};
    QStringView number = RequisiteText(row.ExportValue(m_number));
    if (number.trimmed().isEmpty()) return {};
    number = number.trimmed();
    while (number.size() > 1 && number.startsWith(u'0'))
        number = number.sliced(1);

    const QString& dateValue = row.ExportValue(m_date);
    const QString day = dates ? Remembered(*dates, dateValue, DayText) : DayText(dateValue);

    const std::optional<qint64> kopecks = AmountKopecks(row.ExportValue(m_amount));
    QStringView inn = Requisite(row, m_payerInn);
    if (inn == u"0") inn = {};
    const QStringView payer = Requisite(row, m_payerAccount);
    const QStringView payee = Requisite(row, m_payeeAccount);
    const QString amount =
        kopecks ? QString::number(*kopecks) : row.ExportValue(m_amount).trimmed();
    // One allocation for the key: it is made for every document of every statement.
    const QChar gap(0x1f);
    QString key;
    key.reserve(number.size() + day.size() + amount.size() + payer.size() + payee.size() +
                inn.size() + 5);
    key.append(number).append(gap).append(day).append(gap).append(amount).append(gap);
    key.append(payer).append(gap).append(payee).append(gap).append(inn);
    return key;
}

QString DocumentKey(const ColumnMap& columns, const DocumentRow& row) {
    return DocumentKeys(columns).Key(row);
}
