#include "export/Register.h"

#include "checks/DocumentChecks.h"
#include "checks/OrganisationAccount.h"
#include "checks/OrganisationSide.h"
#include "reading/ReadingRun.h"
#include "text/PluralForm.h"
#include "settings/INIStorage.h"
#include "text/DateParse.h"
#include "text/DocumentNumber.h"

#include <QSet>

#include <algorithm>
#include <set>

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
    const auto read = [&settings](const char* key) {
        return settings.ReadVal(Organization, QString::fromUtf8(key), QString())
            .toString()
            .trimmed();
    };
    heading.Organisation = read("Name");
    heading.Inn = read("INN");
    heading.Director = read("Director");
    heading.ChiefAccountant = read("ChiefAccountant");
    heading.Account = ReadOrganisationAccount(settings);
    heading.Side = ReadOrganisation(settings);
    heading.Created = created;
    heading.Totals = ComputeTotals(table, heading.Side);
    const OrganisationSide side(table.Columns, heading.Side);
    heading.SideKnown = side.Known();
    heading.TotalLines = RegisterTotals(table, side);
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

QString RegisterOrganisationText(const RegisterHeading& heading) {
    QStringList parts;
    if (!heading.Organisation.isEmpty()) parts << heading.Organisation;
    if (!heading.Inn.isEmpty()) parts << QStringLiteral("ИНН ") + heading.Inn;
    if (!heading.Account.isEmpty()) parts << QStringLiteral("счет ") + heading.Account;
    return parts.join(QStringLiteral(", "));
}

QString RegisterCreatedText(const QDateTime& created) {
    return QStringLiteral("Составлен ") + created.toString(QStringLiteral("dd.MM.yyyy HH:mm"));
}

QString DirectionWord(MoneyDirection direction) {
    switch (direction) {
    case MoneyDirection::Incoming:
        return QStringLiteral("поступление");
    case MoneyDirection::Outgoing:
        return QStringLiteral("списание");
    case MoneyDirection::Other:
        break;
    }
    return {};
}

std::vector<RegisterTotal> RegisterTotals(const DocumentTable& table,
                                          const OrganisationSide& side) {
    std::vector<RegisterTotal> totals;
    if (side.Known()) {
        totals = {{QStringLiteral("Поступило"), MoneyDirection::Incoming},
                  {QStringLiteral("Списано"), MoneyDirection::Outgoing},
                  {QStringLiteral("Прочие"), MoneyDirection::Other}};
    } else {
        totals = {{QStringLiteral("Итого"), std::nullopt}};
    }
    const int amount = AmountColumn(table.Columns);
    for (const DocumentRow& row : table.Rows) {
        if (!row.Checked) continue;
        RegisterTotal& total = !side.Known()                                     ? totals[0]
                               : side.Direction(row) == MoneyDirection::Incoming ? totals[0]
                               : side.Direction(row) == MoneyDirection::Outgoing ? totals[1]
                                                                                 : totals[2];
        ++total.Count;
        CountPayment(row, amount, &total.Kopecks, &total.Uncounted);
    }
    if (side.Known() && totals[2].Count == 0) totals.pop_back();
    return totals;
}

QString RegisterCountText(const RegisterTotal& total) {
    return QStringLiteral("%1: %2 %3")
        .arg(total.Label)
        .arg(total.Count)
        .arg(PluralForm(QStringLiteral("документ"), total.Count, 2));
}

QString RegisterTotalText(const RegisterTotal& total, const QString& decimalSeparator,
                          const QString& groupSeparator, const QString& currency) {
    const QString count = RegisterCountText(total);
    if (!total.Exact()) return count + QStringLiteral(" · не учтено сумм: %1").arg(total.Uncounted);
    return count + QStringLiteral(" на сумму ") +
           KopecksText(total.Kopecks, decimalSeparator, groupSeparator) + currency;
}

QStringList RegisterTotalTexts(const RegisterHeading& heading, const QString& decimalSeparator,
                               const QString& groupSeparator, const QString& currency) {
    QStringList lines;
    for (const RegisterTotal& total : heading.TotalLines)
        lines << RegisterTotalText(total, decimalSeparator, groupSeparator, currency);
    if (!heading.SideKnown) lines << DirectionUnknownText;
    return lines;
}

void SortByDateAndNumber(DocumentTable& table) {
    const int dateColumn = KeyedColumn(table.Columns, u"Дата");
    const int numberColumn = KeyedColumn(table.Columns, u"Номер");
    struct Key {
        std::optional<QDate> Date;
        std::optional<double> Number;
        QString Text;
    };
    std::vector<std::pair<Key, DocumentRow>> keyed;
    keyed.reserve(table.Rows.size());
    for (DocumentRow& row : table.Rows) {
        Key key;
        if (dateColumn >= 0)
            key.Date = RegisterDate(table.Columns[size_t(dateColumn)], row.ExportValue(dateColumn));
        if (numberColumn >= 0) {
            key.Text = row.ExportValue(numberColumn).trimmed();
            if (const std::optional<DocumentNumber> n = ReadDocumentNumber(key.Text))
                key.Number = n->Value();
        }
        keyed.emplace_back(std::move(key), std::move(row));
    }
    // What has a date or a number comes first; numbers before texts, texts by their letters.
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        const Key& x = a.first;
        const Key& y = b.first;
        if (x.Date.has_value() != y.Date.has_value()) return x.Date.has_value();
        if (x.Date && *x.Date != *y.Date) return *x.Date < *y.Date;
        if (x.Number.has_value() != y.Number.has_value()) return x.Number.has_value();
        if (x.Number && *x.Number != *y.Number) return *x.Number < *y.Number;
        if (x.Number) return false;
        if (x.Text.isEmpty() != y.Text.isEmpty()) return !x.Text.isEmpty();
        return x.Text < y.Text;
    });
    table.Rows.clear();
    for (auto& [key, row] : keyed)
        table.Rows.push_back(std::move(row));
}

RegisterMarks MarkDocuments(const DocumentTable& table, const FindingList& findings) {
    RegisterMarks marks;
    QSet<QString> checked;
    for (const DocumentRow& row : table.Rows)
        if (row.Checked) checked.insert(row.SourcePath);
    std::set<FindingKind> kinds;
    for (const Finding& finding : findings) {
        const bool doubtful =
            finding.Kind == FindingKind::Requisite || finding.Kind == FindingKind::Duplicate ||
            finding.Kind == FindingKind::Amount || finding.Kind == FindingKind::NotOrganisation;
        if (!doubtful || !checked.contains(finding.SourcePath)) continue;
        marks.Marked.insert(finding.SourcePath);
        kinds.insert(finding.Kind);
    }
    if (kinds.empty()) return marks;
    QStringList words;
    for (const FindingKind kind : kinds)
        words << FindingKindText(kind);
    marks.Footnote = DocumentMark + QStringLiteral(" — у документа есть замечания проверки (") +
                     words.join(QStringLiteral(", ")) +
                     QStringLiteral("): они перечислены в списке замечаний");
    return marks;
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
