#pragma once

#include <QLocale>
#include <QString>

// The decimal, grouping and currency marks of a locale, as its own formatting writes them.
struct LocaleMarks {
    QString Point;
    QString Group;    // empty when the locale shows no digit grouping
    QString Currency; // the currency mark with its spacing
};

LocaleMarks LearnLocaleMarks(const QLocale& locale);
