#pragma once

#include <QByteArray>
#include <QString>

// Windows-1251, the code page of configuration files, templates and statements.
// Every byte maps to one character and back, but NUL; a character the code page lacks, and NUL,
// becomes '?'.
namespace Cp1251 {
QString Decode(const QByteArray& bytes);
QByteArray Encode(const QString& text);
// True when every character of the text has a byte of its own in the code page.
bool CanEncode(const QString& text);
} // namespace Cp1251
