#pragma once

#include <QByteArray>
#include <QString>

// A file name is bytes; most are UTF-8, but a name made on another system may hold bytes that
// are not (Latin-1's "é" is 0xE9). Such a byte is kept in the text as a lone low surrogate
// U+DC80..U+DCFF, which no valid name decodes to, so that the name gives its own bytes back and
// the file opens; EscapeControls shows it as "\xE9".
QString FileNameFromBytes(const char* bytes);

// The bytes a path stands for: the UTF-8 of its text, each kept byte given back as it was.
QByteArray FileNameBytes(const QString& path);

// Whether the character stands for a byte kept by FileNameFromBytes (a low surrogate that no
// high one comes before).
inline bool IsKeptByte(const QString& text, qsizetype i) {
    const char16_t c = text[i].unicode();
    return c >= 0xDC80 && c <= 0xDCFF && (i == 0 || !text[i - 1].isHighSurrogate());
}
