#pragma once

#include "findings/Findings.h"
#include "journal/JournalPlace.h"
#include "reading/DocumentTable.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class INIStorage;
class TextCoder;

// The template's formats, set at the start of every export and read by every value of it.
struct FormatSettings {
    QString DecimalSeparator;
    QString DateFormat = QStringLiteral("dd.MM.yyyy");
    QString TimeFormat = QStringLiteral("hh:mm");
    // <after_colon>1</after_colon>: a text value keeps only what follows its last ":" (a label
    // rule some old templates relied on). Off unless the template asks: a purpose stays whole.
    bool AfterColon = false;
    // <decimals>2</decimals>: every amount (the column keyed "Сумма") gets this many decimals,
    // shorter ones padded with zeros; one with more keeps them (never rounded) and is named.
    // -1 when the template names none: amounts keep the decimals they were written with.
    int Decimals = -1;
    // <csv>1</csv>: every value put into the document block, and the total lines, is a CSV field
    // (quoted when it needs it, a formula-like value disarmed), so that ";" in a purpose of
    // payment does not make a field more.
    bool Csv = false;
};

enum class ExportFailure {
    None,
    Template, // the template could not be read: nothing was written
    Output,   // the statement could not be written: an existing file is left as it was
    Stopped,  // the user stopped it: nothing was written, an existing file is left as it was
};

// Told how far an export has got (done of total documents), from the thread it runs on; false
// stops it before anything is written.
using ExportProgress = std::function<bool(qint64 done, qint64 total)>;
inline const QString ExportStoppedText = QStringLiteral("остановлено, файл не записан");

struct ExportResult {
    bool Ok = false;
    QString Error; // when !Ok: one line naming the path and what failed
    ExportFailure Failure = ExportFailure::None;
    // When Ok: values written otherwise than the template asks (an amount with more decimals
    // than <decimals>), one line each, naming the file.
    QStringList Problems;
    // What the export journal met (a damaged, locked or unreachable journal): the statement is
    // written all the same.
    FindingList Journal = {};
    bool Recorded = false; // the statement is in the journal, confirmed
};

// The statement's Windows-1251 bytes exactly as BuildExportFile writes them (the preview shows
// these); nothing is written.
ExportResult BuildExportBytes(QByteArray& bytes, const DocumentTable& documents,
                              const QString& templatePath, double exportDateTime,
                              const INIStorage& settings, const TextCoder& coder,
                              FormatSettings& formats);
// The same bytes handed to sink in pieces of whole lines as they are made (the preview shows them
// as they come); stopped when the sink or the progress says false.
ExportResult BuildExportPieces(const std::function<bool(const QByteArray& piece)>& sink,
                               const DocumentTable& documents, const QString& templatePath,
                               double exportDateTime, const INIStorage& settings,
                               const TextCoder& coder, FormatSettings& formats,
                               const ExportProgress& progress = {});

// Writes the checked rows of the table, in table order, through the template into a Windows-1251
// statement. The file is written beside the target and renamed over it only when complete: after
// any failure an existing file at outputPath is left byte for byte.
// With a journal, a statement for 1C is recorded there: pending before the rename, confirmed after.
ExportResult BuildExportFile(const QString& outputPath, const DocumentTable& documents,
                             const QString& templatePath, double exportDateTime,
                             const INIStorage& settings, const TextCoder& coder,
                             FormatSettings& formats, const ExportProgress& progress = {},
                             const JournalPlace* journal = nullptr);

// Why the template cannot make a statement (unreadable, or none of the blocks), in the words
// the save command would use; empty when it can.
QString TemplateProblem(const QString& templatePath);
// The same as a settings finding about the template; none when it can.
std::optional<Finding> TemplateFinding(const QString& templatePath);
