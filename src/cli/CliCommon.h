#pragma once

#include "reading/ReadingRun.h"

#include <QLocale>
#include <QMap>
#include <QString>
#include <QStringList>

#include <cstdio>

// What every vypiska-cli command takes: --config DIR, --locale NAME and one SOURCE, plus the
// value options of the command itself (e.g. "--output"), kept in Values by name.
struct CliOptions {
    QString ConfigDir; // default: CONFIG/ beside the executable
    QLocale Locale;    // default: the user's
    QString Source;
    QMap<QString, QString> Values; // command options, key with its dashes ("--output")
};

// Prints the text and a line feed in UTF-8, at once.
void PrintLine(std::FILE* stream, const QString& text);

// Prints one line "vypiska-cli: <text>" to stderr.
void CliError(const QString& text);

// Parses the words after the command name. commandOptions names the extra options that take a
// value ("--template", ...). On a usage error prints one line to stderr and returns false.
bool ParseCliOptions(const QStringList& args, const QStringList& commandOptions,
                     CliOptions* options);

// Loads ConfigDir/TAG.INI, printing its problems to stderr. Returns false (after one error line)
// when the folder does not exist or the map gives no columns: a configuration error.
bool LoadCliColumns(const CliOptions& options, ColumnMap* columns);

// Reads SOURCE as the window does and prints the outcome text, then each problem, to stderr.
ReadingOutcome ReadCliSource(const CliOptions& options, const ColumnMap& columns,
                             const TextCoder& coder);

// Prints the totals line of the checked documents to stderr, then what the checks found in them
// (failing requisites, amounts left out of the total, duplicates), one line each.
void PrintCliChecks(const DocumentTable& table);
