#include "export/MoneyMove.h"

#include "checks/DocumentTotals.h"

#include <array>

MoneyDates::MoneyDates(const ColumnMap& columns, const Organisation& org)
    : m_side(columns, org), m_date(KeyedColumn(columns, u"Дата")),
      m_debited(KeyedColumn(columns, u"ДатаСписано")),
      m_credited(KeyedColumn(columns, u"ДатаПоступило")) {}

QString MoneyDates::Value(const DocumentRow& row, int column) const {
    return column < 0 ? QString() : row.ExportValue(column);
}

QString MoneyDates::Outgoing(const DocumentRow& row) const {
    const QString debited = Value(row, m_debited);
    if (!debited.trimmed().isEmpty() || !m_side.IsPayer(row)) return debited;
    return Value(row, m_date);
}

QString MoneyDates::Incoming(const DocumentRow& row) const {
    const QString credited = Value(row, m_credited);
    if (!credited.trimmed().isEmpty() || !m_side.IsPayee(row)) return credited;
    return Value(row, m_date);
}

QString MoneyDates::Moved(const DocumentRow& row) const {
    switch (m_side.Direction(row)) {
    case MoneyDirection::Outgoing:
        return Outgoing(row);
    case MoneyDirection::Incoming:
        return Incoming(row);
    case MoneyDirection::Other:
        break;
    }
    return Value(row, m_date);
}

namespace {

struct KindCode {
    int Code;
    const char16_t* Name;
};

constexpr std::array<KindCode, 5> Kinds = {{
    {1, u"Платежное поручение"},
    {2, u"Платежное требование"},
    {6, u"Инкассовое поручение"},
    {16, u"Платежный ордер"},
    {17, u"Банковский ордер"},
}};

} // namespace

const QStringList& DocumentKinds() {
    static const QStringList kinds = [] {
        QStringList names;
        for (const KindCode& kind : Kinds)
            names << QString::fromUtf16(kind.Name);
        return names;
    }();
    return kinds;
}

QString DocumentKindOf(const QString& paymentKind) {
    // The code as a whole number: "01" and "1" are one kind; "1a" or "01.0" is none of them.
    const QString code = paymentKind.trimmed();
    bool number = !code.isEmpty() && code.size() <= 3;
    for (const QChar c : code)
        number = number && c >= u'0' && c <= u'9';
    const int value = number ? code.toInt() : 0;
    for (std::size_t k = 0; k < Kinds.size(); ++k)
        if (Kinds[k].Code == value) return DocumentKinds()[qsizetype(k)];
    return DocumentKinds().front();
}
