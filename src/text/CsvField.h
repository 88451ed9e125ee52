#pragma once

#include <QString>

// A field of a CSV file for a Russian spreadsheet, ";" between fields: quoted the RFC 4180 way
// when it holds ";", '"', CR or LF (a '"' inside doubled). A value a spreadsheet would run as a
// formula (its first character '=', '+', '-', '@', TAB or CR, and the value no number) gets a
// leading "'": "-3" stays a number, "=1+2" becomes "'=1+2".
QString CsvField(const QString& text);
