#include "text/TextCoder.h"

namespace {

const QString NotMultipleOf4 =
    QStringLiteral("Length of Base64 encoded input string is not a multiple of 4.");
const QString IllegalCharacter = QStringLiteral("Illegal character in Base64 encoded data.");

// One byte per character; anything beyond Latin-1 becomes '?'.
QByteArray StringToBytes(const QString& s) {
    QByteArray bytes(s.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t u = s.at(i).unicode();
        bytes[i] = u <= 0xFF ? char(u) : '?';
    }
    return bytes;
}

QString BytesToString(const QByteArray& bytes) {
    return QString::fromLatin1(bytes);
}

} // namespace

void TextCoder::BuildBase64Tables() {
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    m_decodeTable.fill(255);
    for (int i = 0; i < 64; ++i) {
        m_encodeTable[i] = quint8(alphabet[i]);
        m_decodeTable[quint8(alphabet[i])] = quint8(i);
    }
    m_base64Built = true;
}

QString TextCoder::Base64EncodeString(const QString& s) {
    return Base64Encode(StringToBytes(s));
}

QString TextCoder::Base64Encode(const QByteArray& InData) {
    return Base64Encode2(InData, qint32(InData.size()));
}

QString TextCoder::Base64Encode2(const QByteArray& InData, qint32 InLen) {
    if (InLen == 0) return {};
    if (InLen < 0 || InLen > InData.size())
        throw TextCoderError(9, QStringLiteral("Subscript out of range"));
    if (!m_base64Built) BuildBase64Tables();
    const qint64 outLen = (qint64(InLen) + 2) / 3 * 4;
    const qint64 dataLen = (qint64(InLen) * 4 + 2) / 3;
    QByteArray out(outLen, Qt::Uninitialized);
    const auto* in = reinterpret_cast<const quint8*>(InData.constData());
    qint64 o = 0;
    for (qint64 i = 0; i < InLen; i += 3) {
        const quint32 b0 = in[i];
        const quint32 b1 = i + 1 < InLen ? in[i + 1] : 0;
        const quint32 b2 = i + 2 < InLen ? in[i + 2] : 0;
        const quint32 bits = (b0 << 16) | (b1 << 8) | b2;
        out[o] = char(m_encodeTable[(bits >> 18) & 63]);
        out[o + 1] = char(m_encodeTable[(bits >> 12) & 63]);
        out[o + 2] = o + 2 < dataLen ? char(m_encodeTable[(bits >> 6) & 63]) : '=';
        out[o + 3] = o + 3 < dataLen ? char(m_encodeTable[bits & 63]) : '=';
        o += 4;
    }
    return BytesToString(out);
}

QString TextCoder::Base64DecodeString(const QString& s) {
    if (s.isEmpty()) return {};
    return BytesToString(Base64Decode(s));
}

QByteArray TextCoder::Base64Decode(const QString& s) {
    if (!m_base64Built) BuildBase64Tables();
    const QByteArray in = StringToBytes(s);
    const qsizetype len = in.size();
    if (len % 4 != 0) throw TextCoderError(TextCoderError::ApplicationError, NotMultipleOf4);
    qsizetype count = len;
    while (count > 0 && in[count - 1] == '=')
        --count;
    const qsizetype outLen = count * 3 / 4;
    QByteArray out(outLen, Qt::Uninitialized);
    qsizetype o = 0;
    for (qsizetype i = 0; i < count; i += 4) {
        quint8 raw[4];
        raw[0] = quint8(in[i]);
        raw[1] = quint8(in[i + 1]);
        raw[2] = i + 2 < count ? quint8(in[i + 2]) : quint8('A');
        raw[3] = i + 3 < count ? quint8(in[i + 3]) : quint8('A');
        quint32 bits = 0;
        for (const quint8 c : raw) {
            if (c > 127 || m_decodeTable[c] > 63)
                throw TextCoderError(TextCoderError::ApplicationError, IllegalCharacter);
            bits = (bits << 6) | m_decodeTable[c];
        }
        out[o++] = char(bits >> 16);
        if (o < outLen) out[o++] = char((bits >> 8) & 0xFF);
        if (o < outLen) out[o++] = char(bits & 0xFF);
    }
    return out;
}
