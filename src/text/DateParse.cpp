#include "text/DateParse.h"

#include <QDate>
#include <QTime>

#include <cmath>

const QLocale& StatementLocale() {
    static const QLocale locale(QLocale::Russian, QLocale::Russia);
    return locale;
}

namespace {

constexpr qint64 MsecsPerDay = 86400000;

QDate OleEpoch() {
    return QDate(1899, 12, 30);
}

// A small cursor over the text: the parser runs once per field of every document read,
// so it scans by hand instead of building a date parser for each call.
struct Scanner {
    const QChar* p;
    const QChar* end;

    bool AtEnd() const { return p == end; }
    QChar Peek() const { return p < end ? *p : QChar(); }
    bool Take(char c) {
        if (p < end && *p == QLatin1Char(c)) {
            ++p;
            return true;
        }
        return false;
    }
    // Reads minDigits..maxDigits ASCII digits; returns the count read (0 on failure).
    int Digits(int minDigits, int maxDigits, int& value) {
        int count = 0;
        value = 0;
        while (p < end && count < maxDigits && p->unicode() >= '0' && p->unicode() <= '9') {
            value = value * 10 + (p->unicode() - '0');
            ++p;
            ++count;
        }
        return count >= minDigits ? count : 0;
    }
    bool SkipSpaces() {
        const QChar* start = p;
        while (p < end && (*p == QLatin1Char(' ') || *p == QChar(0x00A0)))
            ++p;
        return p != start;
    }
};

int FullYear(int year, int digits) {
    if (digits > 2) return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

// HH:mm[:ss[.fff]] [AM|PM] [Z|+hh[:mm]|-hh[:mm]]; the zone is read but the time is kept as
// written: a document's date is the one printed on it, whatever the reader's time zone.
bool ReadTime(Scanner& s, QTime& time) {
    int hour = 0, minute = 0, second = 0, msec = 0;
    if (!s.Digits(1, 2, hour) || !s.Take(':') || !s.Digits(2, 2, minute)) return false;
    if (s.Take(':')) {
        if (!s.Digits(2, 2, second)) return false;
        if (s.Peek() == QLatin1Char('.') || s.Peek() == QLatin1Char(',')) {
            ++s.p;
            int digits = 0;
            int fraction = 0;
            while (!s.AtEnd() && s.Peek().unicode() >= '0' && s.Peek().unicode() <= '9') {
                if (digits < 3) {
                    fraction = fraction * 10 + (s.Peek().unicode() - '0');
                    ++digits;
                }
                ++s.p;
            }
            if (digits == 0) return false;
            while (digits++ < 3)
                fraction *= 10;
            msec = fraction;
        }
    }
    const Scanner beforeMarker = s;
    s.SkipSpaces();
    if (s.end - s.p >= 2) {
        const QString marker = QString(s.p, 2).toUpper();
        if (marker == QLatin1String("AM") || marker == QLatin1String("PM")) {
            if (hour < 1 || hour > 12) return false;
            hour = hour % 12 + (marker == QLatin1String("PM") ? 12 : 0);
            s.p += 2;
        } else {
            s = beforeMarker;
        }
    } else {
        s = beforeMarker;
    }
    if (s.Take('Z')) {
    } else if (s.Peek() == QLatin1Char('+') || s.Peek() == QLatin1Char('-')) {
        ++s.p;
        int zh = 0, zm = 0;
        if (!s.Digits(2, 2, zh) || zh > 14) return false;
        s.Take(':');
        if (!s.AtEnd() && !s.Digits(2, 2, zm)) return false;
        if (zm > 59) return false;
    }
    if (hour > 23 || minute > 59 || second > 59) return false;
    time = QTime(hour, minute, second, msec);
    return time.isValid();
}

// Direct arithmetic: a local QDateTime would consult the time zone on every call.
double OleFrom(const QDate& date, const QTime& time) {
    const qint64 days = OleEpoch().daysTo(date);
    const double fraction = double(time.msecsSinceStartOfDay()) / MsecsPerDay;
    // Before the epoch the whole part counts days back while the fraction still counts
    // forward from midnight: -1.25 is 29 December 1899, 06:00.
    return days >= 0 ? double(days) + fraction : double(days) - fraction;
}

bool SplitOle(double oleDate, QDate& date, QTime& time) {
    if (!std::isfinite(oleDate) || std::fabs(oleDate) > 3.0e6) return false;
    double whole = std::trunc(oleDate);
    qint64 msecs = std::llround(std::fabs(oleDate - whole) * MsecsPerDay);
    if (msecs >= MsecsPerDay) {
        msecs -= MsecsPerDay;
        whole += oleDate < 0 ? -1 : 1;
    }
    date = OleEpoch().addDays(qint64(whole));
    time = QTime::fromMSecsSinceStartOfDay(int(msecs));
    return date.isValid();
}

// The locale's short date for forms the fixed ones do not cover (e.g. M/d/yy).
QDate ReadLocaleDate(const QString& text, const QLocale& locale) {
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QDate date = locale.toDate(text, format);
    if (date.isValid()) {
        if (!format.contains(QLatin1String("yyyy")) && format.contains(QLatin1String("yy")))
            date = QDate(FullYear(date.year() % 100, 2), date.month(), date.day());
        return date;
    }
    if (!format.contains(QLatin1String("yyyy")) && format.contains(QLatin1String("yy"))) {
        QString longYear = format;
        longYear.replace(QLatin1String("yy"), QLatin1String("yyyy"));
        date = locale.toDate(text, longYear);
    }
    return date;
}

bool IsLocaleSeparator(QChar c, const QLocale& locale) {
    if (c.isLetterOrNumber() || c.isSpace()) return false;
    return locale.dateFormat(QLocale::ShortFormat).contains(c);
}

// The locale's long time form without its zone ('t'): a statement date has none.
QString TimeFormatWithoutZone(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    out.reserve(format.size());
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\'')) quoted = !quoted;
        if (!quoted && c == QLatin1Char('t')) continue;
        out += c;
    }
    return out.simplified();
}

} // namespace

double OleDateFromDateTime(const QDateTime& dateTime) {
    if (!dateTime.isValid()) return std::nan("");
    return OleFrom(dateTime.date(), dateTime.time());
}

QDateTime DateTimeFromOleDate(double oleDate) {
    QDate date;
    QTime time;
    if (!SplitOle(oleDate, date, time)) return {};
    return QDateTime(date, time);
}

std::optional<double> ParseDateText(const QString& text, const QLocale& locale) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || !trimmed.at(0).isDigit()) return std::nullopt;
    Scanner s{trimmed.constData(), trimmed.constData() + trimmed.size()};

    int first = 0;
    const int firstDigits = s.Digits(1, 4, first);
    if (!firstDigits || s.AtEnd()) return std::nullopt;
    const QChar sep = s.Peek();

    QDate date;
    if (sep == QLatin1Char(':')) {
        Scanner t{trimmed.constData(), s.end};
        QTime time;
        if (firstDigits > 2 || !ReadTime(t, time) || !t.AtEnd()) return std::nullopt;
        return double(time.msecsSinceStartOfDay()) / MsecsPerDay;
    }
    if (sep == QLatin1Char('-') && firstDigits == 4) {
        int month = 0, day = 0;
        ++s.p;
        if (!s.Digits(1, 2, month) || !s.Take('-') || !s.Digits(1, 2, day)) return std::nullopt;
        date = QDate(first, month, day);
    } else if (sep == QLatin1Char('.') && firstDigits <= 2) {
        int month = 0, year = 0;
        ++s.p;
        if (!s.Digits(1, 2, month) || !s.Take('.')) return std::nullopt;
        const int yearDigits = s.Digits(2, 4, year);
        if (yearDigits != 2 && yearDigits != 4) return std::nullopt;
        date = QDate(FullYear(year, yearDigits), month, first);
    } else if (trimmed.count(sep) >= 2 && IsLocaleSeparator(sep, locale)) {
        // The date part runs to the first blank; a time may follow it.
        qsizetype cut = 0;
        while (cut < trimmed.size() && !trimmed.at(cut).isSpace())
            ++cut;
        date = ReadLocaleDate(trimmed.left(cut), locale);
        s.p = trimmed.constData() + cut;
    } else {
        return std::nullopt;
    }
    if (!date.isValid() || date.year() < 100 || date.year() > 9999) return std::nullopt;

    QTime time(0, 0);
    if (!s.AtEnd()) {
        if (!s.Take('T') && !s.SkipSpaces()) return std::nullopt;
        if (!ReadTime(s, time) || !s.AtEnd()) return std::nullopt;
    }
    return OleFrom(date, time);
}

QString GeneralDateText(double oleDate, const QLocale& locale) {
    QDate date;
    QTime time;
    if (!SplitOle(oleDate, date, time)) return {};
    const bool bareTime = oleDate >= 0 && oleDate < 1;
    if (!bareTime && time == QTime(0, 0)) return locale.toString(date, QLocale::ShortFormat);
    const QString timeText = locale.toString(time, TimeFormatWithoutZone(locale));
    if (bareTime) return timeText;
    const QString dateText = locale.toString(date, QLocale::ShortFormat);
    return dateText + QLatin1Char(' ') + timeText;
}
