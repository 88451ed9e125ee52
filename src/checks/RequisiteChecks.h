#pragma once

#include <QString>
#include <QStringView>

// Which requisite a column holds, told by the end of its TAG.INI key ("ПлательщикИНН",
// "ПолучательКорсчет"), as the amount column is told by its key.
// A date is told by the whole key: the document's, its debit and credit dates, a tax payment's
// ("Дата", "ДатаСписано", "ДатаПоступило", "ПоказательДаты").
enum class RequisiteKind { None, Inn, Kpp, Bic, Account, CorrAccount, Date };

struct RequisiteField {
    RequisiteKind Kind = RequisiteKind::None;
    QString Side; // the key before the suffix: "Плательщик", "Получатель", or empty
};

RequisiteField RequisiteFieldOf(const QString& fieldKey);

// Each check says why a value fails, in words for the user, or gives empty text when it passes.
// An empty value passes: many documents leave a requisite out; so does an ИНН or КПП of "0",
// which payment orders write when there is none.
QString InnProblem(QStringView inn);
QString KppProblem(QStringView kpp);
QString BicProblem(QStringView bic);
// The Bank of Russia control key of an account (or a correspondent account) against the BIC of
// its own side. The key is not checked (only the 20 digits) when the BIC is empty or invalid, nor
// for a treasury account ("03..."), which has none but must be in rubles (643 in digits 6-8).
QString AccountProblem(QStringView account, QStringView bic, bool correspondent);
// A treasury account ("03...") is served through the single treasury account: the
// correspondent account beside it, when given, is that one ("40102...").
QString TreasuryCorrAccountProblem(QStringView account, QStringView corrAccount);
// A date that no calendar has (29.02.2023, 31.04.2024, 01.01.10000) or that is no date at all;
// "0" passes, as a tax payment writes it where no date is due.
QString DateProblem(QStringView date);

// The value of a requisite as the statement writes it: spaces at its ends dropped.
QStringView RequisiteText(const QString& value);
