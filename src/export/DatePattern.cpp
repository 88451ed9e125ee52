#include "export/DatePattern.h"

#include <vector>

namespace {

enum class Tok {
    Literal,
    Day,
    Day2,
    DayShortName,
    DayLongName,
    ShortDate,
    LongDate,
    Month,
    Month2,
    MonthShortName,
    MonthLongName,
    Year2,
    Year4,
    DayOfYear,
    Quarter,
    WeekDay,
    Week,
    Hour,
    Hour2,
    Minute,
    Minute2,
    Second,
    Second2,
    TimeSep,
    DateSep,
    AmPm,
};

struct Token {
    Tok Kind = Tok::Literal;
    QString Text; // literal text, or the marker as written ("AM/PM", "a/p")
};

// How a run of one letter splits into tokens: the longest first.
struct RunRule {
    char16_t Letter;
    std::vector<std::pair<int, Tok>> Lengths;
};

const std::vector<RunRule>& RunRules() {
    static const std::vector<RunRule> rules = {
        {u'd',
         {{6, Tok::LongDate},
          {5, Tok::ShortDate},
          {4, Tok::DayLongName},
          {3, Tok::DayShortName},
          {2, Tok::Day2},
          {1, Tok::Day}}},
        {u'm',
         {{4, Tok::MonthLongName}, {3, Tok::MonthShortName}, {2, Tok::Month2}, {1, Tok::Month}}},
        {u'y', {{4, Tok::Year4}, {2, Tok::Year2}, {1, Tok::DayOfYear}}},
        {u'h', {{2, Tok::Hour2}, {1, Tok::Hour}}},
        {u'n', {{2, Tok::Minute2}, {1, Tok::Minute}}},
        {u's', {{2, Tok::Second2}, {1, Tok::Second}}},
        {u'w', {{2, Tok::Week}, {1, Tok::WeekDay}}},
        {u'q', {{1, Tok::Quarter}}},
    };
    return rules;
}

const RunRule* RuleFor(QChar c) {
    const char16_t lower = c.toLower().unicode();
    for (const RunRule& rule : RunRules())
        if (rule.Letter == lower) return &rule;
    return nullptr;
}

bool StartsWithAt(const QString& text, qsizetype at, QLatin1StringView what) {
    return QStringView(text).mid(at, what.size()).compare(what, Qt::CaseInsensitive) == 0;
}

void AddLiteral(std::vector<Token>& tokens, const QString& text) {
    if (!tokens.empty() && tokens.back().Kind == Tok::Literal)
        tokens.back().Text += text;
    else
        tokens.push_back({Tok::Literal, text});
}

std::vector<Token> Tokenize(const QString& pattern) {
    std::vector<Token> tokens;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern[i];
        if (c == u'"') {
            const qsizetype close = pattern.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? pattern.size() : close;
            AddLiteral(tokens, pattern.mid(i + 1, end - i - 1));
            i = close < 0 ? end : close + 1;
        } else if (c == u'\\') {
            if (i + 1 < pattern.size()) AddLiteral(tokens, pattern.mid(i + 1, 1));
            i += 2;
        } else if (c == u':') {
            tokens.push_back({Tok::TimeSep, {}});
            ++i;
        } else if (c == u'/') {
            tokens.push_back({Tok::DateSep, {}});
            ++i;
        } else if (StartsWithAt(pattern, i, QLatin1StringView("am/pm"))) {
            tokens.push_back({Tok::AmPm, pattern.mid(i, 5)});
            i += 5;
        } else if (StartsWithAt(pattern, i, QLatin1StringView("a/p"))) {
            tokens.push_back({Tok::AmPm, pattern.mid(i, 3)});
            i += 3;
        } else if (const RunRule* rule = RuleFor(c)) {
            qsizetype run = 1;
            while (i + run < pattern.size() && RuleFor(pattern[i + run]) == rule)
                ++run;
            i += run;
            while (run > 0) {
                for (const auto& [length, kind] : rule->Lengths) {
                    if (length <= run) {
                        tokens.push_back({kind, {}});
                        run -= length;
                        break;
                    }
                }
            }
        } else {
            AddLiteral(tokens, QString(c));
            ++i;
        }
    }
    return tokens;
}

// The first character of the locale's own format that is not a letter or a blank: its separator.
QString SeparatorOf(const QString& format, const QString& fallback) {
    bool quoted = false;
    for (QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && !c.isLetter() && !c.isSpace())
            return QString(c);
    }
    return fallback;
}

QString Padded(int value, int width) {
    return QString::number(value).rightJustified(width, u'0');
}

} // namespace

QString FormatDatePattern(const QString& pattern, const QDate& date, const QTime& time,
                          const QLocale& locale) {
    std::vector<Token> tokens = Tokenize(pattern);

    bool twelveHour = false;
    bool hasDay = false;
    const Token* lastField = nullptr;
    for (Token& t : tokens) {
        if (t.Kind == Tok::AmPm) twelveHour = true;
        if (t.Kind == Tok::Day || t.Kind == Tok::Day2) hasDay = true;
        // The month letters mean the minute right after an hour.
        if (lastField && (lastField->Kind == Tok::Hour || lastField->Kind == Tok::Hour2)) {
            if (t.Kind == Tok::Month)
                t.Kind = Tok::Minute;
            else if (t.Kind == Tok::Month2)
                t.Kind = Tok::Minute2;
        }
        if (t.Kind != Tok::Literal && t.Kind != Tok::TimeSep && t.Kind != Tok::DateSep)
            lastField = &t;
    }

    int hour = time.hour();
    if (twelveHour) {
        hour %= 12;
        if (hour == 0) hour = 12;
    }
    // A month name beside a day number takes the form used in dates ("15 января"); alone, the
    // form that names the month ("январь").
    auto monthName = [&](QLocale::FormatType type) {
        return hasDay ? locale.monthName(date.month(), type)
                      : locale.standaloneMonthName(date.month(), type);
    };

    QString out;
    for (const Token& t : tokens) {
        switch (t.Kind) {
        case Tok::Literal:
            out += t.Text;
            break;
        case Tok::Day:
            out += QString::number(date.day());
            break;
        case Tok::Day2:
            out += Padded(date.day(), 2);
            break;
        case Tok::DayShortName:
            out += locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
            break;
        case Tok::DayLongName:
            out += locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
            break;
        case Tok::ShortDate:
            out += locale.toString(date, QLocale::ShortFormat);
            break;
        case Tok::LongDate:
            out += locale.toString(date, QLocale::LongFormat);
            break;
        case Tok::Month:
            out += QString::number(date.month());
            break;
        case Tok::Month2:
            out += Padded(date.month(), 2);
            break;
        case Tok::MonthShortName:
            out += monthName(QLocale::ShortFormat);
            break;
        case Tok::MonthLongName:
            out += monthName(QLocale::LongFormat);
            break;
        case Tok::Year2:
            out += Padded(date.year() % 100, 2);
            break;
        case Tok::Year4:
            out += Padded(date.year(), 4);
            break;
        case Tok::DayOfYear:
            out += QString::number(date.dayOfYear());
            break;
        case Tok::Quarter:
            out += QString::number((date.month() - 1) / 3 + 1);
            break;
        case Tok::WeekDay:
            out += QString::number(date.dayOfWeek() % 7 + 1);
            break;
        case Tok::Week: {
            const int firstWeekday = QDate(date.year(), 1, 1).dayOfWeek() % 7; // 0 = Sunday
            out += QString::number((date.dayOfYear() - 1 + firstWeekday) / 7 + 1);
            break;
        }
        case Tok::Hour:
            out += QString::number(hour);
            break;
        case Tok::Hour2:
            out += Padded(hour, 2);
            break;
        case Tok::Minute:
            out += QString::number(time.minute());
            break;
        case Tok::Minute2:
            out += Padded(time.minute(), 2);
            break;
        case Tok::Second:
            out += QString::number(time.second());
            break;
        case Tok::Second2:
            out += Padded(time.second(), 2);
            break;
        case Tok::TimeSep:
            out += SeparatorOf(locale.timeFormat(QLocale::ShortFormat), QStringLiteral(":"));
            break;
        case Tok::DateSep:
            out += SeparatorOf(locale.dateFormat(QLocale::ShortFormat), QStringLiteral("/"));
            break;
        case Tok::AmPm: {
            // "AM/PM" prints its first or second half; "a/p" likewise, in the letters written.
            const qsizetype slash = t.Text.indexOf(u'/');
            out += time.hour() < 12 ? t.Text.left(slash) : t.Text.mid(slash + 1);
            break;
        }
        }
    }
    return out;
}
