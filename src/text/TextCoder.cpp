#include "text/TextCoder.h"

#include "text/DateParse.h"
#include "text/LocaleMarks.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

TextCoder::TextCoder(const QLocale& locale) : m_locale(locale) {
    const LocaleMarks marks = LearnLocaleMarks(locale);
    m_point = marks.Point;
    m_group = marks.Group;
    m_currency = marks.Currency;
}

QString TextCoder::ValueText(const QVariant& value) const {
    if (!value.isValid() || value.isNull()) return {};
    const auto plain = [this] {
        QLocale locale = m_locale;
        locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
        return locale;
    };
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::SChar:
        return plain().toString(value.toLongLong());
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UChar:
        return plain().toString(value.toULongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return plain().toString(value.toDouble(), 'f', QLocale::FloatingPointShortest);
    case QMetaType::QDate:
        return m_locale.toString(value.toDate(), QLocale::ShortFormat);
    case QMetaType::QDateTime:
        return GeneralDateText(OleDateFromDateTime(value.toDateTime()), m_locale);
    case QMetaType::QTime:
        return GeneralDateText(double(value.toTime().msecsSinceStartOfDay()) / 86400000.0,
                               m_locale);
    case QMetaType::QChar:
    case QMetaType::QByteArray:
        return value.toString();
    default:
        // Lists, maps and objects have no text form.
        return {};
    }
}

QString TextCoder::MakeTag(const QString& TagName, const QVariant& TagContent, int Level) const {
    if (Level < 0)
        throw TextCoderError(TextCoderError::InvalidArgument,
                             QStringLiteral("Invalid procedure call or argument"));
    QString out;
    out += QLatin1Char('<') + TagName + QLatin1Char('>');
    if (Level > 0) out += QStringLiteral("\r\n") + QString(Level, QLatin1Char('\t'));
    out += ValueText(TagContent);
    if (Level > 0) out += QStringLiteral("\r\n");
    out += QStringLiteral("</") + TagName + QLatin1Char('>');
    return out;
}

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
