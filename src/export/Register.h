#pragma once

#include "checks/DocumentTotals.h"
#include "checks/Findings.h"
#include "checks/OrganisationSide.h"
#include "export/BuildExportFile.h"
#include "reading/DocumentTable.h"

#include <QDate>
#include <QDateTime>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

class INIStorage;

inline const QString RegisterTitle = QStringLiteral("Реестр платежных документов");
// Said under the total when the organisation's side of the documents is not known.
inline const QString DirectionUnknownText =
    QStringLiteral("Направление не определено: не указан расчетный счет организации");

// One total line under a register's table: the documents of one direction of the money, or all
// of them when the organisation's side is not known.
struct RegisterTotal {
    QString Label; // "Поступило", "Списано", "Прочие", "Итого"
    // The direction the line adds up; none for "Итого", which adds every document.
    std::optional<MoneyDirection> Direction;
    qint64 Count = 0;
    qint64 Kopecks = 0;   // of the amounts that are whole kopecks
    qint64 Uncounted = 0; // documents whose amount could not be added

    bool Exact() const { return Uncounted == 0; }
};

// "поступление", "списание" or empty: a document's word in the direction column.
QString DirectionWord(MoneyDirection direction);

// The total lines of the checked documents: with the organisation's side known, "Поступило" and
// "Списано", then "Прочие" when documents of neither side are among them; else one "Итого".
std::vector<RegisterTotal> RegisterTotals(const DocumentTable& table, const OrganisationSide& side);

// What a register states above and below its rows: whose payments, over which days, and how
// much they add up to. Only the checked documents of the table count.
struct RegisterHeading {
    QString Organisation;    // CONFIG.INI, Organization/Name
    QString Inn;             // Organization/INN
    QString Account;         // Organization/ACC
    QString Director;        // Organization/Director, for the signature line
    QString ChiefAccountant; // Organization/ChiefAccountant
    ::Organisation Side;     // whose side of a document is the organisation's
    QDate First; // the earliest and latest "Дата" of the documents; null when none has one
    QDate Last;
    QDateTime Created;
    DocumentTotals Totals;
    bool SideKnown = false;
    std::vector<RegisterTotal> TotalLines;
};

RegisterHeading MakeRegisterHeading(const DocumentTable& table, const INIStorage& settings,
                                    const QDateTime& created);

// "за период 01.03.2024 – 10.03.2024" (one date when both are the same day); empty without dates.
QString RegisterPeriodText(const RegisterHeading& heading);
// "Организация ООО Ромашка, ИНН 7707083893, счет 40702810938000012345"; empty when none is set.
QString RegisterOrganisationText(const RegisterHeading& heading);
// "Составлен 09.12.2026 14:05".
QString RegisterCreatedText(const QDateTime& created);
// "Поступило: 12 документов на сумму 1 234,50 ₽" (the amount with the separators and
// the currency given), or "Поступило: 12 документов · не учтено сумм: 2" when an amount could not
// be added.
QString RegisterTotalText(const RegisterTotal& total,
                          const QString& decimalSeparator = QStringLiteral(","),
                          const QString& groupSeparator = QStringLiteral("\u00A0"),
                          const QString& currency = QStringLiteral(" ₽"));
// "Поступило: 12 документов".
QString RegisterCountText(const RegisterTotal& total);
// The total lines as text, then DirectionUnknownText when the side is not known.
QStringList RegisterTotalTexts(const RegisterHeading& heading,
                               const QString& decimalSeparator = QStringLiteral(","),
                               const QString& groupSeparator = QStringLiteral("\u00A0"),
                               const QString& currency = QStringLiteral(" ₽"));

// The documents' order of a printed register: by date, then by number, documents without either
// after those with; the order among equals kept.
void SortByDateAndNumber(DocumentTable& table);

// The checked documents the findings name as doubtful (a requisite, a duplicate, an amount, not
// the organisation's), by SourcePath, and the footnote saying what their mark means (empty when
// none is marked): a signature must not cover a problem nobody saw.
struct RegisterMarks {
    QSet<QString> Marked;
    QString Footnote;
};
RegisterMarks MarkDocuments(const DocumentTable& table, const FindingList& findings);
inline const QString DocumentMark = QStringLiteral("*");

// A document's date as the register shows it: the "Дата"-keyed columns that read as a date.
std::optional<QDate> RegisterDate(const ColumnDef& column, const QString& value);
bool IsDateColumn(const ColumnDef& column);

// An amount a spreadsheet holds exactly as a number: whole kopecks of at most 15 significant
// digits (what a double keeps). None, with why, for an amount that must stay text.
std::optional<qint64> RegisterAmount(const QString& text, QString* why = nullptr);

// How a spreadsheet gets a value: an amount as a number when RegisterAmount holds it, a "Дата"
// column's date as a date, short whole numbers (a document number, a priority) as numbers, and
// everything else as text: requisites (ИНН, КПП, БИК, accounts), digits with a leading zero and
// digits too long for a double keep every digit that way.
enum class RegisterCell { Text, Amount, Date, Number };
RegisterCell RegisterCellKind(const ColumnDef& column, const QString& value);

// The amounts of the checked documents the register has to leave as text, each a finding of kind
// "сумма", unless one of the findings given already names that document's amount.
FindingList RegisterAmountFindings(const DocumentTable& table, const FindingList& named = {});

// A register that could not be written: "Не удалось записать реестр 'path': why".
ExportResult RegisterFailure(const QString& path, const QString& why);
