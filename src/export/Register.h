#pragma once

#include "checks/DocumentTotals.h"
#include "findings/Findings.h"
#include "export/BuildExportFile.h"
#include "reading/DocumentTable.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

class INIStorage;

inline const QString RegisterTitle = QStringLiteral("Реестр платежных документов");

// What a register states above and below its rows: whose payments, over which days, and how
// much they add up to. Only the checked documents of the table count.
struct RegisterHeading {
    QString Organisation; // CONFIG.INI, Organization/Name
    QString Account;      // CONFIG.INI, Organization/ACC
    QDate First; // the earliest and latest "Дата" of the documents; null when none has one
    QDate Last;
    QDateTime Created;
    DocumentTotals Totals;
};

RegisterHeading MakeRegisterHeading(const DocumentTable& table, const INIStorage& settings,
                                    const QDateTime& created);

// "за период 01.03.2024 – 10.03.2024" (one date when both are the same day); empty without dates.
QString RegisterPeriodText(const RegisterHeading& heading);
// "Итого: 12 документов на сумму 1 234,50 ₽", or "Итого: 12 документов
// · не учтено сумм: 2" when an amount could not be added.
QString RegisterTotalText(const DocumentTotals& totals);
// "Итого: 12 документов".
QString RegisterCountText(qint64 count);

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
