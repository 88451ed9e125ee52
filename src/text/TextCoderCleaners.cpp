#include "text/TextCoder.h"

#include "text/Cp1251.h"

namespace {

// Characters written as the percent escapes of their UTF-8 bytes rather than of their code-page
// byte: the Russian alphabet and the common typographic marks.
bool EscapedAsUtf8(char16_t u) {
    if ((u >= 0x0410 && u <= 0x044F)) return true;
    static const char16_t extra[] = {0x0401, 0x0451, 0x0402, 0x0403, 0x0453, 0x0490, 0x0491,
                                     0x0406, 0x0456, 0x0404, 0x0454, 0x0407, 0x0457, 0x201A,
                                     0x201E, 0x2026, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                     0x2013, 0x2014, 0x2030, 0x2122, 0x00A6, 0x00A7, 0x00AB,
                                     0x00BB, 0x00B0, 0x00B1, 0x00B5, 0x00B7, 0x00AE};
    for (const char16_t c : extra)
        if (c == u) return true;
    return false;
}

void AppendEscape(QString& out, quint8 byte) {
    static const char hex[] = "0123456789ABCDEF";
    out += QLatin1Char('%');
    out += QLatin1Char(hex[byte >> 4]);
    out += QLatin1Char(hex[byte & 15]);
}

quint8 CodePageByte(QChar c) {
    // NUL has a byte of its own here: only files we write keep it out.
    if (c.isNull()) return 0;
    const QByteArray b = Cp1251::Encode(QString(c));
    return b.isEmpty() ? quint8('?') : quint8(b.at(0));
}

} // namespace

QString TextCoder::NonPrintableAscii(const QString& St) const {
    QString out;
    for (const QChar c : St)
        out += QStringLiteral("CHR(") + QString::number(CodePageByte(c)) + QStringLiteral(") & ");
    return out + QStringLiteral(" ''");
}

QString TextCoder::CyrToUrl(const QString& a) const {
    QString out;
    out.reserve(a.size() * 3);
    for (const QChar c : a) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            AppendEscape(out, quint8(u));
        } else if (EscapedAsUtf8(u)) {
            for (const char b : QString(c).toUtf8())
                AppendEscape(out, quint8(b));
        } else if (u == 0x20AC) {
            out += QStringLiteral("eur");
        } else {
            AppendEscape(out, CodePageByte(c));
        }
    }
    return out;
}

QString TextCoder::SpaceCompress(const QString& a) const {
    QString out = a;
    out.replace(QLatin1Char('\t'), QLatin1Char(' '));
    while (out.contains(QLatin1String("  ")))
        out.replace(QLatin1String("  "), QLatin1String(" "));
    return out;
}

QString TextCoder::AntiNull(const QVariant& FieldVal) const {
    return ValueText(FieldVal);
}

QString TextCoder::ReplacePunctuation(QString& str) const {
    static const QString removedFirst = QStringLiteral("!@#$%^&*()");
    static const QString removedMiddle = QStringLiteral("+={[}]|\\;:'\"<.,");
    static const QString removedLast = QStringLiteral("?`~«»");
    for (const QChar c : removedFirst)
        str.remove(c);
    str.replace(QLatin1Char('_'), QLatin1Char(' '));
    str.replace(QLatin1Char('-'), QLatin1Char(' '));
    for (const QChar c : removedMiddle)
        str.remove(c);
    str.replace(QLatin1Char('/'), QLatin1Char(' '));
    for (const QChar c : removedLast)
        str.remove(c);
    return str;
}
