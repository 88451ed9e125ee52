#include "text/ElideStatus.h"

namespace {
const QString Ellipsis = QStringLiteral("…");
}

QString ElideStatusText(const QString& text, int width,
                        const std::function<int(const QString&)>& measure) {
    if (measure(text) <= width) return text;
    const qsizetype open = text.indexOf(u'\'');
    const qsizetype close = text.lastIndexOf(u'\'');
    if (open >= 0 && close > open + 1) {
        const QString before = text.left(open + 1);
        const QString path = text.mid(open + 1, close - open - 1);
        const QString after = text.mid(close);
        const auto cut = [&](qsizetype keep) {
            const qsizetype right = keep / 2;
            return before + path.left(keep - right) + Ellipsis + path.right(right) + after;
        };
        // The most characters of the path that still fit.
        qsizetype low = 0, high = path.size() - 1;
        while (low < high) {
            const qsizetype mid = (low + high + 1) / 2;
            if (measure(cut(mid)) <= width)
                low = mid;
            else
                high = mid - 1;
        }
        return cut(low);
    }
    QString shown = text;
    while (measure(shown + u' ' + Ellipsis) > width) {
        const qsizetype space = shown.lastIndexOf(u' ');
        if (space <= 0) break;
        shown.truncate(space);
    }
    return shown + u' ' + Ellipsis;
}
