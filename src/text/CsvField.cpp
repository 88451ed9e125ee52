#include "text/CsvField.h"

#include "text/DocumentNumber.h"

QString CsvField(const QString& text) {
    QString field = text;
    if (!field.isEmpty() && QStringView(u"=+-@\t\r").contains(field.front()) &&
        !ReadDocumentNumber(field))
        field.prepend(u'\'');
    for (const QChar c : field)
        if (c == u';' || c == u'"' || c == u'\r' || c == u'\n') {
            field.replace(u'"', QStringLiteral("\"\""));
            return u'"' + field + u'"';
        }
    return field;
}
