#pragma once

#include "findings/Findings.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// One column of the document list, from one non-blank line of TAG.INI: "Caption = key;tag;tag".
struct ColumnDef {
    QString Caption;
    QString TagList; // kept whole; split again at each use, pieces never trimmed

    QStringList Pieces() const;       // TagList split at ';' (empty pieces kept)
    QString FieldKey() const;         // piece 0
    QStringList ElementNames() const; // pieces 1..n
    bool IsAmount() const;            // FieldKey equals AmountKey without regard to case
};

inline const QString AmountKey = QStringLiteral("Сумма");

using ColumnMap = std::vector<ColumnDef>;

// Every column costs every document a cell, read or empty: a map of ten thousand columns over a
// few thousand documents would take gigabytes. A list of payments needs a few dozen.
constexpr int LargestColumnCount = 1000;

struct ColumnMapLoad {
    ColumnMap Columns;
    QStringList Problems; // a missing file, lines skipped: each said in words a user understands
    FindingList Findings; // the same, one settings finding each
};

// The whole file as Windows-1251 text; nothing when it is missing, is no regular file of at most
// 1 MB or cannot be read (error says why).
std::optional<QString> ReadWholeFile(const QString& path, QString* error = nullptr);

// Parses TAG.INI. A missing or unreadable file gives no columns and one problem naming it.
ColumnMapLoad LoadColumnMap(const QString& path);
// The same for the file's text; path only names it in problems.
ColumnMapLoad ParseColumnMap(const QString& text, const QString& path);
