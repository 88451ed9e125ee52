#pragma once

#include "export/FormatValue.h"

#include <QString>

class TextCoder;

// The locale's number marks, learnt once per export rather than once per value.
struct NumberMarks {
    QString Point;        // decimal mark
    QString Group;        // digit-group mark; empty when the locale shows none
    QString Currency;     // currency mark with its spacing ("\u00a0₽", "$")
    QString CurrencyMark; // the same without the spacing, when it has any ("₽")

    static NumberMarks Of(const TextCoder& coder);
};

QString FormatValue(const PlaceholderValue& value, const FormatSettings& formats,
                    const TextCoder& coder, const NumberMarks& marks);
