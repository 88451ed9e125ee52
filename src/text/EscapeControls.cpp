#include "text/EscapeControls.h"

#include "text/FileNames.h"

#include <algorithm>

namespace {
bool IsControl(char16_t c) {
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F);
}
} // namespace

QString EscapeControls(const QString& text) {
    // A byte a file name kept from no valid UTF-8 (see FileNames.h) is shown as the byte it is.
    const auto special = [&](qsizetype i) {
        return IsControl(text[i].unicode()) || IsKeptByte(text, i);
    };
    qsizetype first = 0;
    while (first < text.size() && !special(first))
        ++first;
    if (first == text.size()) return text;
    QString out = text.left(first);
    out.reserve(text.size() + 8);
    for (qsizetype i = first; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (!special(i))
            out += text[i];
        else if (u == u'\t')
            out += QLatin1String("\\t");
        else if (u == u'\n')
            out += QLatin1String("\\n");
        else if (u == u'\r')
            out += QLatin1String("\\r");
        else if (u < 0x80 || u >= 0xDC80)
            out += QLatin1String("\\x") +
                   QString::number(u & 0xFF, 16).rightJustified(2, u'0').toUpper();
        else
            out += QLatin1String("\\u") + QString::number(u, 16).rightJustified(4, u'0').toUpper();
    }
    return out;
}
