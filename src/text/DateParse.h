#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <optional>

// The locale of the statement: 1C reads it on Russian systems whoever makes it, so the names and
// the ":" and "/" of date patterns, and the dates a document's sender wrote, are read with it,
// never with the reader's locale.
const QLocale& StatementLocale();

// Date-time values as the statement and the date picker count them: days since
// 1899-12-30 00:00, the time of day as the fraction. A value below 1 is a bare time of day.
double OleDateFromDateTime(const QDateTime& dateTime);
QDateTime DateTimeFromOleDate(double oleDate);

// The program's one date parser: ISO yyyy-MM-dd, dd.MM.yyyy and dd.MM.yy, each with an optional
// time HH:mm[:ss] (ISO 'T', fractions and zones accepted), a bare time, and the locale's short
// date. Returns the value as an OLE date, or nothing when the text is not a date or time.
std::optional<double> ParseDateText(const QString& text, const QLocale& locale);

// The locale's general date form: short date, then a space and the time when it is not midnight;
// a bare time (value below 1) shows the time only.
QString GeneralDateText(double oleDate, const QLocale& locale);
