#pragma once

#include "export/BuildExportFile.h"

#include <QHash>
#include <QString>

// FormatValue of row values for one export, each short value formatted once per shared text:
// the reading gives recurring dates, banks, tax numbers and accounts one text across thousands of
// documents, and a date costs a parse and a pattern every time. Long texts (a purpose of payment)
// are rarely repeated and are formatted each time; the memory held stays bounded however many
// documents there are.
class ValueFormatter {
public:
    explicit ValueFormatter(const FormatSettings& formats) : m_formats(formats) {}

    // FormatValue(value, formats); the reference holds until the next call.
    const QString& Format(const QString& value);

private:
    struct Kept {
        QString Value;
        QString Formatted;
    };
    FormatSettings m_formats;
    QHash<const void*, Kept> m_byText; // by the address of the value's shared text
    QString m_last;                    // the result of a value not kept
};
