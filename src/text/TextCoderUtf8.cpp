#include "text/TextCoder.h"

#include "text/Cp1251.h"
#include "text/SafeWrite.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QtEndian>

#include <cstring>

namespace {

constexpr qint32 FileNotFound = 53;
constexpr qint32 FileAccessError = 75;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Bytes taken directly as UTF-16LE code units; an odd last byte is a unit of its own.
QString FromUtf16LE(const QByteArray& bytes, bool keepOddByte) {
    const qsizetype units = keepOddByte ? (bytes.size() + 1) / 2 : bytes.size() / 2;
    QString text(units, Qt::Uninitialized);
    const auto* src = reinterpret_cast<const uchar*>(bytes.constData());
    char16_t* dst = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < units; ++i) {
        const qsizetype at = 2 * i;
        dst[i] = at + 1 < bytes.size() ? qFromLittleEndian<quint16>(src + at) : src[at];
    }
    return text;
}

QByteArray ToUtf16LE(const QString& text) {
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    auto* dst = reinterpret_cast<uchar*>(bytes.data());
    for (qsizetype i = 0; i < text.size(); ++i)
        qToLittleEndian<quint16>(text.at(i).unicode(), dst + 2 * i);
    return bytes;
}

// A leading EF BB BF is kept as U+FEFF, as the document has it; bad sequences become U+FFFD.
QString Utf8ToString(const QByteArray& bytes) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom |
                                                       QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

const QByteArray Utf16Bom("\xFF\xFE", 2);

QByteArray ReadAllOrThrow(const QString& fileName) {
    QFile file(fileName);
    if (!file.exists())
        throw TextCoderError(FileNotFound, QStringLiteral("File not found: ") + fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw TextCoderError(FileAccessError, QStringLiteral("Cannot read ") + fileName);
    return file.readAll();
}

// Replaces the file only once the new content is complete, so a failed write keeps the old one.
bool ReplaceFile(const QString& fileName, const QByteArray& bytes) {
    return WriteFileAtomically(fileName, bytes, ReadOnlyTarget::Replace);
}

} // namespace

QString TextCoder::DecodeUTF8(const QByteArray& EncodedURI) const {
    if (EncodedURI.isEmpty()) return {};
    if (!EncodedURI.contains('%')) return Utf8ToString(EncodedURI);
    // Only "%" with two hexadecimal digits is an escape; "20% НДС" keeps its percent sign.
    const qsizetype n = EncodedURI.size();
    QByteArray bytes(n, Qt::Uninitialized);
    const char* src = EncodedURI.constData();
    char* dst = bytes.data();
    qsizetype out = 0;
    qsizetype i = 0;
    while (i < n) {
        // Copy the run up to the next '%' in one piece.
        const void* hit = std::memchr(src + i, '%', size_t(n - i));
        const qsizetype pct = hit ? static_cast<const char*>(hit) - src : n;
        std::memcpy(dst + out, src + i, size_t(pct - i));
        out += pct - i;
        i = pct;
        if (i >= n) break;
        const int hi = i + 2 < n ? HexValue(src[i + 1]) : -1;
        const int lo = i + 2 < n ? HexValue(src[i + 2]) : -1;
        if (hi >= 0 && lo >= 0) {
            dst[out++] = char(hi * 16 + lo);
            i += 3;
        } else {
            dst[out++] = '%';
            ++i;
        }
    }
    bytes.truncate(out);
    return Utf8ToString(bytes);
}

QByteArray TextCoder::EncodeUTF8(const QString& strInput) const {
    return strInput.toUtf8();
}

QString TextCoder::UnicodeFile_Read_FSO(const QString& sFileName, int TriState) const {
    const QByteArray bytes = ReadAllOrThrow(sFileName);
    if (TriState == -1) {
        const bool bom = bytes.startsWith(Utf16Bom);
        return FromUtf16LE(bom ? bytes.mid(2) : bytes, false);
    }
    return Cp1251::Decode(bytes);
}

void TextCoder::UnicodeFile_Write_FSO(const QString& sFileName, const QString& sText, int ForWrite,
                                      int TriState) const {
    if (ForWrite != 2 && ForWrite != 8)
        throw TextCoderError(TextCoderError::InvalidArgument,
                             QStringLiteral("Invalid procedure call or argument"));
    const bool unicode = TriState == -1;
    const QByteArray body = unicode ? ToUtf16LE(sText) : Cp1251::Encode(sText);
    if (ForWrite == 8) {
        QFile file(sFileName);
        const bool fresh = !file.exists() || file.size() == 0;
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
            throw TextCoderError(FileAccessError, QStringLiteral("Cannot write ") + sFileName);
        // A new Unicode file starts with its byte-order mark; appended text never repeats it.
        const QByteArray bytes = unicode && fresh ? Utf16Bom + body : body;
        if (file.write(bytes) != bytes.size())
            throw TextCoderError(FileAccessError, QStringLiteral("Cannot write ") + sFileName);
        return;
    }
    if (!ReplaceFile(sFileName, unicode ? Utf16Bom + body : body))
        throw TextCoderError(FileAccessError, QStringLiteral("Cannot write ") + sFileName);
}

QString TextCoder::UnicodeFile_Read_VB(const QString& sFileName, bool bRemoveBOM) const {
    QFile file(sFileName);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QString text = FromUtf16LE(file.readAll(), true);
    // Only a leading mark goes; the same characters inside the text are data.
    if (bRemoveBOM) {
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        else if (text.startsWith(QStringLiteral("яю")))
            text.remove(0, 2);
    }
    return text;
}

void TextCoder::UnicodeFile_Write_VB(const QString& sFileName, const QString& sText,
                                     bool bInsertBOM) const {
    const QByteArray body = ToUtf16LE(sText);
    if (!ReplaceFile(sFileName, bInsertBOM ? Utf16Bom + body : body))
        throw TextCoderError(FileAccessError, QStringLiteral("Cannot write ") + sFileName);
}

QString TextCoder::UnicodeFile_Read_API(const QString& sFileName) const {
    if (!QFileInfo::exists(sFileName))
        throw TextCoderError(FileNotFound, QStringLiteral("File not found: ") + sFileName);
    QFile file(sFileName);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return FromUtf16LE(file.readAll(), false);
}

bool TextCoder::UnicodeFile_Write_API(const QString& sFileName, const QString& sText) const {
    return ReplaceFile(sFileName, ToUtf16LE(sText));
}
