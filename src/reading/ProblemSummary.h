#pragma once

#include <QString>
#include <QStringList>

// What the window says of a reading's problems beside its status line: a short text and, for its
// tooltip, every problem whole, one a line.
struct ProblemSummaryTexts {
    QString Text;
    QString ToolTip;
};

// With files left out (skipped, by path), the text counts them and names the first few
// ("Пропущено 2 файла: a.xml, b.xml"), adding how many other problems there are; otherwise it is
// the first problem and how many follow it. Nothing at all when there is nothing to say.
ProblemSummaryTexts ProblemSummary(const QStringList& problems, const QStringList& skipped = {});
