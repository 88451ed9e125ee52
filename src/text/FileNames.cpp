#include "text/FileNames.h"

#include <QFile>

#include <cstring>

namespace {
// The length of the valid UTF-8 sequence at p (at most n bytes), or 0 when there is none.
int Utf8Length(const unsigned char* p, std::size_t n) {
    const unsigned char b = p[0];
    if (b < 0x80) return 1;
    int length = 0;
    char32_t code = 0;
    if (b >= 0xC2 && b <= 0xDF)
        length = 2, code = b & 0x1F;
    else if (b >= 0xE0 && b <= 0xEF)
        length = 3, code = b & 0x0F;
    else if (b >= 0xF0 && b <= 0xF4)
        length = 4, code = b & 0x07;
    else
        return 0;
    if (std::size_t(length) > n) return 0;
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        code = (code << 6) | (p[i] & 0x3F);
    }
    // Overlong forms, surrogates and codes past U+10FFFF are no UTF-8.
    if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
        (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}
} // namespace

QString FileNameFromBytes(const char* bytes) {
    const std::size_t size = std::strlen(bytes);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    QString name;
    std::size_t run = 0; // start of the valid bytes not yet taken
    std::size_t i = 0;
    while (i < size) {
        const int length = Utf8Length(p + i, size - i);
        if (length > 0) {
            i += std::size_t(length);
            continue;
        }
        name += QString::fromUtf8(bytes + run, qsizetype(i - run));
        name += QChar(char16_t(0xDC00 + p[i]));
        run = ++i;
    }
    if (run == 0) return QFile::decodeName(bytes);
    name += QString::fromUtf8(bytes + run, qsizetype(size - run));
    return name;
}

QByteArray FileNameBytes(const QString& path) {
    QByteArray bytes;
    qsizetype run = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (!IsKeptByte(path, i)) continue;
        bytes += QStringView(path).sliced(run, i - run).toUtf8();
        bytes += char(path[i].unicode() - 0xDC00);
        run = i + 1;
    }
    if (run == 0) return QFile::encodeName(path);
    bytes += QStringView(path).sliced(run).toUtf8();
    return bytes;
}
