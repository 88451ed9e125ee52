#include "text/AmountInWords.h"

#include <QStringList>

#include <array>

namespace {

constexpr std::array<const char*, 10> Units{"",     "один",  "два",  "три",    "четыре",
                                            "пять", "шесть", "семь", "восемь", "девять"};
constexpr std::array<const char*, 10> Teens{
    "десять",     "одиннадцать", "двенадцать", "тринадцать",   "четырнадцать",
    "пятнадцать", "шестнадцать", "семнадцать", "восемнадцать", "девятнадцать"};
constexpr std::array<const char*, 10> Tens{
    "",          "десять",     "двадцать",  "тридцать",    "сорок",
    "пятьдесят", "шестьдесят", "семьдесят", "восемьдесят", "девяносто"};
constexpr std::array<const char*, 10> Hundreds{"",          "сто",      "двести",   "триста",
                                               "четыреста", "пятьсот",  "шестьсот", "семьсот",
                                               "восемьсот", "девятьсот"};

// One, few (2-4) and many; 11 to 14 take "many" whatever their last digit.
const char* Form(quint64 n, const char* one, const char* few, const char* many) {
    const quint64 lastTwo = n % 100;
    const quint64 last = n % 10;
    if (lastTwo >= 11 && lastTwo <= 14) return many;
    if (last == 1) return one;
    if (last >= 2 && last <= 4) return few;
    return many;
}

struct ScaleWords {
    const char* One;
    const char* Few;
    const char* Many;
    bool Feminine;
};

// From thousands up; a quintillion of kopecks is ten quadrillion roubles, so quadrillions end it.
constexpr std::array<ScaleWords, 5> Scales{{
    {"тысяча", "тысячи", "тысяч", true},
    {"миллион", "миллиона", "миллионов", false},
    {"миллиард", "миллиарда", "миллиардов", false},
    {"триллион", "триллиона", "триллионов", false},
    {"квадриллион", "квадриллиона", "квадриллионов", false},
}};

void Add(QStringList& words, const char* word) {
    if (*word) words << QString::fromUtf8(word);
}

// A group of three digits in words; feminine for thousands ("одна", "две").
void AddGroup(QStringList& words, int group, bool feminine) {
    Add(words, Hundreds[size_t(group / 100)]);
    const int tens = group / 10 % 10;
    const int units = group % 10;
    if (tens == 1) {
        Add(words, Teens[size_t(units)]);
        return;
    }
    Add(words, Tens[size_t(tens)]);
    if (feminine && units == 1)
        Add(words, "одна");
    else if (feminine && units == 2)
        Add(words, "две");
    else
        Add(words, Units[size_t(units)]);
}

} // namespace

QString AmountInWords(qint64 kopecks) {
    const bool negative = kopecks < 0;
    // The most negative value has no positive twin in qint64.
    const quint64 magnitude = negative ? quint64(0) - quint64(kopecks) : quint64(kopecks);
    const quint64 roubles = magnitude / 100;
    const int cents = int(magnitude % 100);

    QStringList words;
    if (negative) words << QStringLiteral("минус");
    if (roubles == 0) words << QStringLiteral("ноль");
    // Groups of three digits, highest first.
    std::array<int, Scales.size() + 1> groups{};
    quint64 rest = roubles;
    for (int& group : groups) {
        group = int(rest % 1000);
        rest /= 1000;
    }
    for (size_t i = groups.size() - 1; i >= 1; --i) {
        const int group = groups[i];
        if (group == 0) continue;
        const ScaleWords& scale = Scales[i - 1];
        AddGroup(words, group, scale.Feminine);
        Add(words, Form(quint64(group), scale.One, scale.Few, scale.Many));
    }
    AddGroup(words, groups[0], false);
    Add(words, Form(roubles, "рубль", "рубля", "рублей"));
    words << QStringLiteral("%1").arg(cents, 2, 10, QLatin1Char('0'));
    Add(words, Form(quint64(cents), "копейка", "копейки", "копеек"));

    QString text = words.join(u' ');
    text[0] = text[0].toUpper();
    return text;
}
