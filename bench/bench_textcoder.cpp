// Per-call cost of the text helpers that run for every field of every document read or
// written: 100,000 calls each, as in a large statement.
#include "text/Cp1251.h"
#include "text/DateParse.h"
#include "text/TextCoder.h"

#include <QElapsedTimer>

#include <cstdio>
#include <functional>

namespace {

constexpr int Calls = 100000;

void Measure(const char* what, const std::function<qsizetype()>& call) {
    QElapsedTimer timer;
    timer.start();
    qsizetype sink = 0;
    for (int i = 0; i < Calls; ++i)
        sink += call();
    std::printf("%-36s %8.2f us/call  (%lld)\n", what,
                double(timer.nsecsElapsed()) / 1000.0 / Calls, static_cast<long long>(sink));
}

} // namespace

int main() {
    const TextCoder coder(QLocale(QLocale::Russian, QLocale::Russia));
    const QLocale& locale = coder.Locale();
    const QString row(100, QChar(0x0410));

    const QString document = QString(4000, u'a') + "<Sum>1</Sum>";
    Measure("ReadTag, 4 KB", [&] { return coder.ReadTag(document, "Sum").size(); });
    Measure("ParseDateText, amount (rejected)",
            [&] { return qsizetype(ParseDateText("1234.50", locale).has_value()); });
    Measure("ParseDateText, ISO date-time",
            [&] { return qsizetype(ParseDateText("2023-01-15T10:00:00", locale).has_value()); });
    Measure("GeneralDateText", [&] { return GeneralDateText(44941.5, locale).size(); });
    Measure("Cp1251::Encode, 100 characters", [&] { return Cp1251::Encode(row).size(); });
    return 0;
}
