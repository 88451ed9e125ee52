#include "text/Cp1251.h"

#include <QStringDecoder>

#include <array>
#include <memory>

namespace {

// Both directions as plain tables, built once from Qt's own converter: statements of
// 100,000 rows pass through here, and a table lookup beats a converter per call.
struct Tables {
    std::array<char16_t, 256> toUnicode{};
    // Indexed by UTF-16 code unit; a unit the code page lacks maps to '?'.
    std::array<quint8, 65536> fromUnicode{};
};

const Tables& CodeTables() {
    static const std::unique_ptr<Tables> tables = [] {
        auto t = std::make_unique<Tables>();
        QByteArray all(256, Qt::Uninitialized);
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        QStringDecoder decoder("windows-1251", QStringConverter::Flag::Stateless);
        const QString text = decoder.isValid() ? decoder.decode(all) : QString();
        t->fromUnicode.fill(quint8('?'));
        for (int i = 0; i < 256; ++i) {
            // Latin-1 for the lower half should the converter be missing: ASCII still works.
            const char16_t u = text.size() == 256 ? text.at(i).unicode() : char16_t(i);
            t->toUnicode[i] = u;
            t->fromUnicode[u] = quint8(i);
        }
        // A NUL inside a statement or a settings file ends the line for many readers: a value
        // that holds one gets '?' like any character the code page lacks.
        t->fromUnicode[0] = quint8('?');
        return t;
    }();
    return *tables;
}

} // namespace

namespace Cp1251 {

QString Decode(const QByteArray& bytes) {
    const Tables& t = CodeTables();
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    const auto* src = reinterpret_cast<const quint8*>(bytes.constData());
    for (qsizetype i = 0, n = bytes.size(); i < n; ++i)
        dst[i] = t.toUnicode[src[i]];
    return out;
}

QByteArray Encode(const QString& text) {
    const Tables& t = CodeTables();
    QByteArray out(text.size(), Qt::Uninitialized);
    const char16_t* src = reinterpret_cast<const char16_t*>(text.constData());
    char* dst = out.data();
    qsizetype n = 0;
    for (qsizetype i = 0, len = text.size(); i < len; ++i) {
        const char16_t u = src[i];
        if (QChar::isHighSurrogate(u) && i + 1 < len && QChar::isLowSurrogate(src[i + 1])) {
            // One character beyond the BMP is one '?', not two.
            dst[n++] = '?';
            ++i;
            continue;
        }
        dst[n++] = char(t.fromUnicode[u]);
    }
    out.truncate(n);
    return out;
}

bool CanEncode(const QString& text) {
    const Tables& t = CodeTables();
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (t.fromUnicode[u] == '?' && u != u'?') return false;
    }
    return true;
}

} // namespace Cp1251
