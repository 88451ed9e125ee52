#include "text/EscapeControls.h"

#include <algorithm>

namespace {
bool IsControl(char16_t c) {
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F);
}
} // namespace

QString EscapeControls(const QString& text) {
    if (std::none_of(text.cbegin(), text.cend(), [](QChar c) { return IsControl(c.unicode()); }))
        return text;
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (!IsControl(u))
            out += c;
        else if (u == u'\t')
            out += QLatin1String("\\t");
        else if (u == u'\n')
            out += QLatin1String("\\n");
        else if (u == u'\r')
            out += QLatin1String("\\r");
        else if (u < 0x80)
            out += QLatin1String("\\x") + QString::number(u, 16).rightJustified(2, u'0').toUpper();
        else
            out += QLatin1String("\\u") + QString::number(u, 16).rightJustified(4, u'0').toUpper();
    }
    return out;
}
