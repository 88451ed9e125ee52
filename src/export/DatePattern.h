#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// Formats a date-time with a statement pattern. Letters are matched without regard to case:
//   d dd             day of the month          ddd dddd       weekday name, short / full
//   ddddd dddddd     the locale's short / long date
//   m mm             month (the minute right after an hour token)
//   mmm mmmm         month name, short / full   yy yyyy        year, two / four digits
//   y                day of the year            q              quarter
//   w                weekday, 1 = Sunday        ww             week of the year (weeks from
//                                                              Sunday, week 1 holds 1 January)
//   h hh             hour                       n nn           minute
//   s ss             second
//   :  /             the locale's time and date separators
//   AM/PM am/pm A/P a/p   a 12-hour clock, the marker written in the pattern's letter case
// "text" is copied without the quotes, \x copies x, every other character is copied as it is.
QString FormatDatePattern(const QString& pattern, const QDate& date, const QTime& time,
                          const QLocale& locale);
inline QString FormatDatePattern(const QString& pattern, const QDateTime& value,
                                 const QLocale& locale) {
    return FormatDatePattern(pattern, value.date(), value.time(), locale);
}
