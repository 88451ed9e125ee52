#include "export/Register.h"

#include "checks/DocumentChecks.h"
#include "checks/OrganisationAccount.h"
#include "reading/ReadingRun.h"
#include "settings/INIStorage.h"
#include "text/DateParse.h"

#include <QSet>

namespace {

// The largest kopecks count of 15 digits: beyond it a double no longer holds every kopeck.
constexpr qint64 LargestExactKopecks = 999'999'999'999'999;

} // namespace

bool IsDateColumn(const ColumnDef& column) {
    return column.FieldKey().startsWith(QStringLiteral("Дата"), Qt::CaseInsensitive);
}

std::optional<QDate> RegisterDate(const ColumnDef& column, const QString& value) {
    if (!IsDateColumn(column) || value.trimmed().isEmpty()) return std::nullopt;
    // The sender's date forms only: the reader's locale must not decide what a date is.
    const std::optional<double> ole = ParseDateText(value.trimmed(), QLocale::c());
    if (!ole || *ole < 1) return std::nullopt;
    return DateTimeFromOleDate(*ole).date();
}

std::optional<qint64> RegisterAmount(const QString& text, QString* why) {
    std::optional<qint64> kopecks = AmountKopecks(text, why);
    if (!kopecks) return std::nullopt;
    if (*kopecks > LargestExactKopecks || *kopecks < -LargestExactKopecks) {
        if (why) *why = QStringLiteral("сумма длиннее 15 цифр, записана текстом");
        return std::nullopt;
    }
    return kopecks;
}

RegisterCell RegisterCellKind(const ColumnDef& column, const QString& value) {
    if (column.IsAmount()) return RegisterAmount(value) ? RegisterCell::Amount : RegisterCell::Text;
    if (IsDateColumn(column)) {
        // A spreadsheet counts days from 1900 and takes 1900 for a leap year: an earlier day
        // would show as another, so it stays as written.
        const std::optional<QDate> day = RegisterDate(column, value);
        return day && *day >= QDate(1900, 3, 1) ? RegisterCell::Date : RegisterCell::Text;
    }
    const QString key = column.FieldKey();
    for (const char* requisite : {"ИНН", "КПП", "БИК", "Счет", "Корсчет"})
        if (key.endsWith(QString::fromUtf8(requisite), Qt::CaseInsensitive))
            return RegisterCell::Text;
    const QString text = value.trimmed();
    if (text.isEmpty() || text.size() > 15 || text.startsWith(u'0')) return RegisterCell::Text;
    for (const QChar c : text)
        if (c < u'0' || c > u'9') return RegisterCell::Text;
    return RegisterCell::Number;
}

RegisterHeading MakeRegisterHeading(const DocumentTable& table, const INIStorage& settings,
                                    const QDateTime& created) {
    RegisterHeading heading;
    heading.Organisation =
        settings.ReadVal(Organization, QStringLiteral("Name"), QString()).toString().trimmed();
    heading.Account = ReadOrganisationAccount(settings);
    heading.Created = created;
    heading.Totals = ComputeTotals(table, heading.Account);
    const int dateColumn = KeyedColumn(table.Columns, u"Дата");
    if (dateColumn < 0) return heading;
    for (const DocumentRow& row : table.Rows) {
        if (!row.Checked) continue;
        const std::optional<QDate> date =
            RegisterDate(table.Columns[size_t(dateColumn)], row.ExportValue(dateColumn));
        if (!date) continue;
        if (heading.First.isNull() || *date < heading.First) heading.First = *date;
        if (heading.Last.isNull() || *date > heading.Last) heading.Last = *date;
    }
    return heading;
}

QString RegisterPeriodText(const RegisterHeading& heading) {
    if (heading.First.isNull()) return {};
    const QString first = heading.First.toString(QStringLiteral("dd.MM.yyyy"));
    if (heading.First == heading.Last) return QStringLiteral("за ") + first;
    return QStringLiteral("за период ") + first + QStringLiteral(" – ") +
           heading.Last.toString(QStringLiteral("dd.MM.yyyy"));
}

QString RegisterCountText(qint64 count) {
    return QStringLiteral("Итого: %1 %2")
        .arg(count)
        .arg(PluralForm(QStringLiteral("документ"), count, 2));
}

QString RegisterTotalText(const DocumentTotals& totals) {
    const QString count = RegisterCountText(totals.Checked);
    if (!totals.Exact())
        return count + QStringLiteral(" · не учтено сумм: %1").arg(totals.Uncounted);
    return count + QStringLiteral(" на сумму ") +
           KopecksText(totals.Kopecks, QStringLiteral(","), QStringLiteral("\u00A0")) +
           QStringLiteral(" ₽");
}

FindingList RegisterAmountFindings(const DocumentTable& table, const FindingList& named) {
    FindingList out;
    const int amount = AmountColumn(table.Columns);
    if (amount < 0) return out;
    QSet<QString> told;
    for (const Finding& finding : named)
        if (finding.Kind == FindingKind::Amount && !finding.SourcePath.isEmpty())
            told.insert(finding.SourcePath);
    const QString& caption = table.Columns[size_t(amount)].Caption;
    for (const DocumentRow& row : table.Rows) {
        const QString value = row.ExportValue(amount).trimmed();
        QString why;
        if (!row.Checked || told.contains(row.SourcePath) || RegisterAmount(value, &why)) continue;
        out.push_back({FindingKind::Amount, DocumentName(row.SourcePath), caption, value, why,
                       row.SourcePath});
    }
    return out;
}

ExportResult RegisterFailure(const QString& path, const QString& why) {
    return {false,
            QStringLiteral("Не удалось записать реестр '%1': %2").arg(path, why),
            ExportFailure::Output,
            {}};
}
