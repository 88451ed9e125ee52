#pragma once

#include <QString>

// Russian plural endings: kind 0 participles ("прочитан"), 1 plural nominatives ("Документ"),
// 2 nouns after a numeral ("документ").
QString PluralForm(const QString& word, qint64 n, int kind);
