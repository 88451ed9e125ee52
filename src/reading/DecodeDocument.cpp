#include "reading/DecodeDocument.h"

#include "text/Cp1251.h"

#include <QStringDecoder>

#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <optional>
#include <string_view>

namespace {

// The encoding named by an XML declaration at the start of single-byte-readable text:
// <?xml version="1.0" encoding="windows-1251"?>. None when there is no declaration or it
// names no encoding (XML then means UTF-8).
std::optional<QByteArrayView> DeclaredEncoding(QByteArrayView bytes) {
    // Looked for in every document: the standard library's searches, not the general ones.
    const std::string_view all(bytes.data(), size_t(bytes.size()));
    size_t at = 0;
    // Blanks before the declaration are not allowed by XML, but some exporters write them.
    while (at < all.size() &&
           (all[at] == ' ' || all[at] == '\t' || all[at] == '\r' || all[at] == '\n'))
        ++at;
    if (!all.substr(at).starts_with("<?xml")) return std::nullopt;
    constexpr size_t LongestDeclaration = 1024;
    const size_t end = all.find("?>", at);
    if (end == std::string_view::npos || end - at > LongestDeclaration) return std::nullopt;
    const std::string_view declaration = all.substr(at, end - at);
    size_t pos = declaration.find("encoding");
    if (pos == std::string_view::npos) return std::nullopt;
    pos += 8;
    auto skipBlanks = [&] {
        while (pos < declaration.size() && (declaration[pos] == ' ' || declaration[pos] == '\t' ||
                                            declaration[pos] == '\r' || declaration[pos] == '\n'))
            ++pos;
    };
    skipBlanks();
    if (pos >= declaration.size() || declaration[pos] != '=') return std::nullopt;
    ++pos;
    skipBlanks();
    if (pos >= declaration.size() || (declaration[pos] != '"' && declaration[pos] != '\''))
        return std::nullopt;
    const char quote = declaration[pos++];
    const size_t close = declaration.find(quote, pos);
    if (close == std::string_view::npos) return std::nullopt;
    return QByteArrayView(declaration.data() + pos, qsizetype(close - pos)).trimmed();
}

bool IsUtf8Name(QByteArrayView name) {
    // ASCII is a part of UTF-8: a document that says ASCII and is, reads the same.
    for (const char* utf8 : {"utf-8", "utf8", "us-ascii", "ascii"})
        if (name.compare(utf8, Qt::CaseInsensitive) == 0) return true;
    return false;
}

bool IsCp1251Name(const QByteArray& name) {
    return name == "windows-1251" || name == "cp1251" || name == "cp-1251" || name == "win-1251" ||
           name == "x-cp1251";
}

// The text in UTF-8 when every byte sequence is valid; none otherwise.
std::optional<QString> ValidUtf8(QByteArrayView bytes) {
    QStringDecoder decoder(QStringConverter::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) return std::nullopt;
    return text;
}

QString WithDecoder(QStringDecoder decoder, QByteArrayView bytes, const QString& encodingName,
                    QString* problem) {
    QString text = decoder.decode(bytes);
    if (decoder.hasError() && problem)
        *problem = QStringLiteral("байты, недопустимые в кодировке %1, заменены знаком \uFFFD")
                       .arg(encodingName);
    return text;
}

void SayNotUnicode(const QString& encodingName, QString* problem) {
    if (problem)
        *problem = QStringLiteral("знаки, которых нет в Юникоде, заменены знаком '?' (%1)")
                       .arg(encodingName);
}

// UTF-16 whose surrogates do not pair: Qt's decoder lets them through, and they would reach the
// statement as bytes no one can read. Each becomes "?", and the problem says so.
QString Utf16(QStringDecoder decoder, QByteArrayView bytes, QString* problem) {
    QString text = WithDecoder(std::move(decoder), bytes, QStringLiteral("UTF-16"), problem);
    bool lone = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
        } else if (c.isSurrogate()) {
            text[i] = u'?';
            lone = true;
        }
    }
    if (lone) SayNotUnicode(QStringLiteral("UTF-16"), problem);
    return text;
}

// UTF-32 by hand: Qt's decoder makes a code past U+10FFFF into a broken surrogate pair and says
// nothing. Such a code, or a surrogate, becomes "?"; a cut last unit becomes U+FFFD.
QString Utf32(QByteArrayView bytes, bool bigEndian, QString* problem) {
    QString text;
    text.reserve(bytes.size() / 4);
    bool outside = false;
    qsizetype at = 0;
    for (; at + 4 <= bytes.size(); at += 4) {
        const auto b = [&](int k) { return char32_t(uchar(bytes[at + k])); };
        const char32_t code = bigEndian ? b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3)
                                        : b(3) << 24 | b(2) << 16 | b(1) << 8 | b(0);
        if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            text += u'?';
            outside = true;
        } else {
            text += QString::fromUcs4(&code, 1);
        }
    }
    if (outside) SayNotUnicode(QStringLiteral("UTF-32"), problem);
    if (at < bytes.size()) {
        text += QChar(QChar::ReplacementCharacter);
        if (problem)
            *problem = QStringLiteral("байты, недопустимые в кодировке UTF-32, заменены знаком "
                                      "\uFFFD");
    }
    return text;
}

// No encoding to go by: UTF-8 when it is valid, else the Russian exporters' usual code page.
QString Undeclared(QByteArrayView bytes, const QString& why, QString* problem) {
    if (std::optional<QString> text = ValidUtf8(bytes)) {
        if (!why.isEmpty() && problem) *problem = why + QStringLiteral(": прочитан как UTF-8");
        return *text;
    }
    if (problem)
        *problem =
            (why.isEmpty() ? QStringLiteral("кодировка не объявлена, и это не UTF-8") : why) +
            QStringLiteral(": прочитан как Windows-1251");
    return Cp1251::Decode(bytes.toByteArray());
}

} // namespace

QString DecodeDocument(const QByteArray& bytes, QString* problem) {
    const QByteArrayView all(bytes);
    // A byte-order mark says it all (UTF-32 first: its little-endian mark begins like UTF-16's).
    if (all.startsWith(QByteArrayView("\xFF\xFE\0\0", 4)) && all.size() % 4 == 0)
        return Utf32(all.sliced(4), false, problem);
    if (all.startsWith(QByteArrayView("\0\0\xFE\xFF", 4)))
        return Utf32(all.sliced(4), true, problem);
    if (all.startsWith("\xEF\xBB\xBF"))
        return WithDecoder(QStringDecoder(QStringConverter::Utf8), all.sliced(3),
                           QStringLiteral("UTF-8"), problem);
    if (all.startsWith("\xFF\xFE"))
        return Utf16(QStringDecoder(QStringConverter::Utf16LE), all.sliced(2), problem);
    if (all.startsWith("\xFE\xFF"))
        return Utf16(QStringDecoder(QStringConverter::Utf16BE), all.sliced(2), problem);
    // UTF-16 without a mark still shows itself in the declaration's first characters.
    if (all.startsWith(QByteArrayView("<\0?\0", 4)))
        return Utf16(QStringDecoder(QStringConverter::Utf16LE), all, problem);
    if (all.startsWith(QByteArrayView("\0<\0?", 4)))
        return Utf16(QStringDecoder(QStringConverter::Utf16BE), all, problem);

    const std::optional<QByteArrayView> declared = DeclaredEncoding(bytes);
    if (!declared) return Undeclared(all, {}, problem);
    const QByteArray name = declared->toByteArray().toLower();
    if (IsUtf8Name(name))
        return WithDecoder(QStringDecoder(QStringConverter::Utf8), all, QStringLiteral("UTF-8"),
                           problem);
    if (IsCp1251Name(name)) return Cp1251::Decode(bytes); // every byte is a character
    // Two-byte and four-byte encodings cannot have a declaration readable byte by byte: the
    // declaration is wrong, so it is no guide.
    const bool wide = name.startsWith("utf-16") || name.startsWith("utf-32") ||
                      name.startsWith("ucs-") || name == "unicode";
    QStringDecoder decoder(name.constData());
    const QString shown = QString::fromLatin1(*declared);
    if (wide || !decoder.isValid())
        return Undeclared(
            all, QStringLiteral("кодировка '%1' из объявления XML не поддерживается").arg(shown),
            problem);
    return WithDecoder(std::move(decoder), all, shown, problem);
}

namespace {
// Every sequence a well-formed UTF-8 character: no stray or missing continuation byte, no
// overlong form, no surrogate, nothing past U+10FFFF. Mostly ASCII: sixteen bytes at a look.
bool WellFormedUtf8(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const uchar*>(bytes.data());
    const uchar* const end = p + bytes.size();
    const auto continues = [&](const uchar* at) { return at < end && (*at & 0xC0) == 0x80; };
    while (p < end) {
        const uchar c = *p;
        if (c < 0x80) {
#ifdef __SSE2__
            if (end - p >= 16) {
                const int high =
                    _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
                p += high == 0 ? 16 : __builtin_ctz(unsigned(high));
                continue;
            }
#endif
            ++p;
        } else if (c < 0xC2) {
            return false;
        } else if (c < 0xE0) {
            if (!continues(p + 1)) return false;
            p += 2;
            // Cyrillic comes in words of two-byte characters: the rest of the word at once.
            while (end - p >= 2 && p[0] >= 0xC2 && p[0] < 0xE0 && (p[1] & 0xC0) == 0x80)
                p += 2;
        } else if (c < 0xF0) {
            if (!continues(p + 1) || !continues(p + 2)) return false;
            if ((c == 0xE0 && p[1] < 0xA0) || (c == 0xED && p[1] > 0x9F)) return false;
            p += 3;
        } else if (c < 0xF5) {
            if (!continues(p + 1) || !continues(p + 2) || !continues(p + 3)) return false;
            if ((c == 0xF0 && p[1] < 0x90) || (c == 0xF4 && p[1] > 0x8F)) return false;
            p += 4;
        } else {
            return false;
        }
    }
    return true;
}
} // namespace

bool IsPlainUtf8(QByteArrayView bytes) {
    // The marks and the unmarked UTF-16 that DecodeDocument looks for first.
    for (const QByteArrayView mark :
         {QByteArrayView("\xFF\xFE", 2), QByteArrayView("\xFE\xFF", 2),
          QByteArrayView("\xEF\xBB\xBF", 3), QByteArrayView("\0\0\xFE\xFF", 4),
          QByteArrayView("<\0?\0", 4), QByteArrayView("\0<\0?", 4)})
        if (bytes.startsWith(mark)) return false;
    if (const std::optional<QByteArrayView> declared = DeclaredEncoding(bytes);
        declared && !IsUtf8Name(*declared))
        return false;
    return WellFormedUtf8(bytes);
}
