#include "text/TextCoder.h"

TextCoder::TextCoder(const QLocale& locale) : m_locale(locale) {}

QString TextCoder::ReadTag(const QString& TotalText, const QString& TagName) const {
    const QString open = QLatin1Char('<') + TagName + QLatin1Char('>');
    const qsizetype start = TotalText.indexOf(open);
    if (start < 0) return {};
    const qsizetype from = start + open.size();
    const QString close = QStringLiteral("</") + TagName + QLatin1Char('>');
    qsizetype stop = TotalText.indexOf(close, from);
    if (stop < 0) stop = TotalText.indexOf(QLatin1String("</"), from);
    if (stop < 0) return {};
    QStringView content = QStringView(TotalText).mid(from, stop - from);
    if (content.startsWith(QLatin1String("\r\n"))) content = content.mid(2);
    if (content.endsWith(QLatin1String("\r\n"))) content.chop(2);
    return content.toString();
}
