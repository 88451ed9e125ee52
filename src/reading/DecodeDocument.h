#pragma once

#include <QByteArray>
#include <QString>

// The text of a document file's bytes, in the encoding the document says it is in: a byte-order
// mark (UTF-8, UTF-16) first, then the encoding of the XML declaration (UTF-8, Windows-1251,
// KOI8-R and whatever else the system's converters know). With neither, valid UTF-8 is UTF-8 and
// anything else is taken for Windows-1251, the usual code page of Russian bank exports. Nothing
// is percent-decoded: a document is XML, and "20%16" is what its sender wrote.
//
// problem, when given, receives a sentence (without the file's name) when the text had to be
// guessed or holds bytes that its encoding does not allow; it is left alone otherwise.
QString DecodeDocument(const QByteArray& bytes, QString* problem = nullptr);

// True when DecodeDocument gives exactly the UTF-8 reading of every byte and says nothing: no
// byte-order mark, no declaration or one of UTF-8, and well-formed UTF-8 throughout. Such a
// document can be looked through as bytes and only its values decoded.
bool IsPlainUtf8(QByteArrayView bytes);
