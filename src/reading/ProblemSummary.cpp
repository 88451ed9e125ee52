#include "reading/ProblemSummary.h"

#include "reading/ReadingRun.h"

#include <QFileInfo>

#include <algorithm>

ProblemSummaryTexts ProblemSummary(const QStringList& problems, const QStringList& skipped) {
    constexpr qsizetype NamesShown = 3;
    ProblemSummaryTexts out;
    out.ToolTip = problems.join(u'\n');
    if (skipped.isEmpty()) {
        if (problems.isEmpty()) return out;
        out.Text = problems.front();
        if (problems.size() > 1) out.Text += QStringLiteral(" (+%1)").arg(problems.size() - 1);
        return out;
    }
    const qint64 n = skipped.size();
    QStringList names;
    for (qsizetype i = 0; i < std::min(n, qint64(NamesShown)); ++i)
        names << QFileInfo(skipped[i]).fileName();
    if (n > NamesShown) names << QStringLiteral("…");
    out.Text = PluralForm(QStringLiteral("Пропущен"), n, 0) + u' ' + QString::number(n) + u' ' +
               PluralForm(QStringLiteral("файл"), n, 2) + QStringLiteral(": ") +
               names.join(QStringLiteral(", "));
    // Each file left out has its own problem; anything beyond those is counted too.
    if (problems.size() > n)
        out.Text += QStringLiteral("; других замечаний: %1").arg(problems.size() - n);
    if (out.ToolTip.isEmpty()) out.ToolTip = skipped.join(u'\n');
    return out;
}
