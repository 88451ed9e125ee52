#pragma once

#include "checks/OrganisationSide.h"
#include "reading/ReadingRun.h"
#include "text/TextCoder.h"

#include <QLocale>
#include <QMap>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <future>
#include <optional>
#include <set>
#include <vector>

// One option of vypiska-cli. Every option lives in CliOptionTable(): the parser, the help text
// and the man page are made from it, so a new option is one line there.
struct CliOptionSpec {
    QStringList Names;    // "o", "output": one letter for -o, longer for --output
    QString ValueName;    // "FILE"; empty for a flag that takes no value
    QString Help;         // one line of the help text
    QStringList Commands; // the commands that take it; empty for every command
    bool Required = false;
};
const std::vector<CliOptionSpec>& CliOptionTable();

// Where the command stands among the arguments: options, with their values, may come before it
// as well as after ("--config DIR list SOURCE"). -1 when no word but options is given.
qsizetype CliCommandIndex(const QStringList& args);

// What every vypiska-cli command takes: --config DIR, --locale NAME and one SOURCE, plus the
// options of the command itself, kept in Values by their long name with its dashes ("--output";
// a flag is there with an empty value).
struct CliOptions {
    QString ConfigDir; // default: CONFIG/ beside the executable, else the user's folder
    QLocale Locale;    // default: the user's, as the window displays it
    QString Source;
    QStringList Words; // journal: "show FILE", "forget FILE" or nothing
    QMap<QString, QString> Values;
    FindingList ConfigFindings; // why the user's settings folder could not be made
};

// The synopsis lines; the whole --help text (synopsis, options, output, exit status); the
// --version line.
QString CliUsageText();
QString CliHelpText();
QString CliVersionText();

// Prints the text and a line feed in UTF-8, at once, its control characters escaped.
void PrintLine(std::FILE* stream, const QString& text);

// Writes the bytes and flushes; false when they did not all get out (a full disk, a closed pipe).
bool WriteAll(std::FILE* stream, const QByteArray& bytes);

enum class CliEscape { Tsv, Json };
// Appends the text with what would break a TSV line or drive a terminal (backslash, every C0 and
// C1 control character) or a JSON string (those and quotes) escaped.
void AppendEscaped(QString& out, const QString& text, CliEscape how);
// The same in UTF-8, as the text's toUtf8() would be with the escapes made.
void AppendEscapedUtf8(QByteArray& out, const QString& text, CliEscape how);
// The text as a JSON string, quotes included.
void AppendJsonString(QString& out, const QString& text);

// One TSV line of count fields, field(i) giving each.
template <typename Field> inline void AppendTsvLine(QString& out, int count, Field field) {
    for (int i = 0; i < count; ++i) {
        if (i > 0) out += QLatin1Char('\t');
        AppendEscaped(out, field(i), CliEscape::Tsv);
    }
    out += QLatin1Char('\n');
}

// Prints one line "vypiska-cli: <text>" to stderr.
void CliError(const QString& text);

// Parses the words after the command name with the options the command takes. Nothing when the
// command should go on; else the exit status to end with: 0 after --help, ExitUsage after one
// error line on stderr.
std::optional<int> ParseCliOptions(const QString& command, const QStringList& args,
                                   CliOptions* options);

// Prints the findings to stderr, one FindingLine each.
void PrintFindings(const FindingList& findings);

// The run that list, check, convert and register share: parse the command's options, load
// ConfigDir/TAG.INI, read SOURCE as the window does, and count the problems --strict ends on.
class CliRun {
public:
    CliRun() = default;
    ~CliRun();
    CliRun(const CliRun&) = delete;
    CliRun& operator=(const CliRun&) = delete;

    // Parses the words after the command name (ParseCliOptions): nothing when the run goes on,
    // else the exit status to end with.
    std::optional<int> Parse(const QString& command, const QStringList& args);
    // Loads the column map (the settings folder's problems and the map's kept in Settings) and
    // reads SOURCE into Table. The reading's outcome and, with print, every finding go to stderr
    // as met; on a terminal a long run shows its progress on one stderr line meanwhile, and a
    // stop signal during the reading ends the process there. ExitUsage (after one error line)
    // when the folder does not exist or the map gives no columns.
    std::optional<int> Read(RowUse use, bool print = true);
    // Before documents are written to target (empty for stdout): ExitNoDocuments when the source
    // gave none; ExitUsage (after one error line) when --rows names a row the source did not
    // give or the target would replace the source. Else only the rows asked for stay checked.
    std::optional<int> TakeForOutput(const std::optional<std::set<int>>& rows,
                                     const QString& target);
    // The end of a run that went through: with --strict, ExitHadProblems when a problem was met.
    int End() const;

    CliOptions Options;
    TextCoder Coder; // of Options.Locale once parsed
    DocumentTable Table;
    FindingList Settings; // TAG.INI's as loaded and the settings folder's
    FindingList Reading;  // what the reading said, one finding each
    qsizetype Problems = 0; // what --strict counts
};

// The rows `check` prints, in the window's order: the settings' (TAG.INI's as loaded, then the
// templates' and the settings folder's), the organisation account's, the reading's, and what the
// checks find in every document read.
FindingList CliFindings(const CliOptions& options, const TextCoder& coder, FindingList settings,
                        const Organisation& org, const FindingList& reading,
                        const DocumentTable& table);

// --format: "tsv" (the default) or "json"; empty (after one error line) for anything else.
QString CliFormat(const CliOptions& options);

// --rows "1,3,4": 1-based row numbers, kept in rows. False (after one error line) when a piece
// is not a positive whole number: a usage error.
bool ParseCliRows(const CliOptions& options, std::optional<std::set<int>>* rows);
// Checks only those rows of the table (all when there is no list). False (after one error line)
// when the list names a row the source did not give.
bool CheckOnlyCliRows(const std::optional<std::set<int>>& rows, DocumentTable& table);

// The organisation of ConfigDir's CONFIG.INI (ACC and INN).
Organisation CliOrganisation(const CliOptions& options);

// The totals line of the checked documents (with the income and outgo of the organisation's
// account), then what the checks found in them (failing requisites, amounts left out of the
// total, documents not of that account, duplicates), one finding a line. They are made on a
// thread of their own from construction on, while the statement or the listing is written, and
// go to stderr with Print. The table must stay as it is until then.
class CliChecks {
public:
    CliChecks(const DocumentTable& table, const Organisation& org);
    void Print();

private:
    std::future<QStringList> m_lines;
};
