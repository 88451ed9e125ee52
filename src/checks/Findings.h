#pragma once

#include "checks/DocumentChecks.h"
#include "reading/DocumentTable.h"

#include <QString>
#include <QStringList>

#include <vector>

class TextCoder;

// What a finding is about. The window filters by it and the command line prints it first.
enum class FindingKind {
    Skipped,             // a file left out of the list
    Unread,              // a file, or part of it, that could not be read as it is
    Archive,             // a damaged or dangerous archive
    Requisite,           // a requisite that fails its check
    Duplicate,           // the same payment twice
    Amount,              // an amount that cannot be added exactly
    NotOrganisation,     // a document where the organisation is neither payer nor payee
    OrganisationAccount, // the organisation's own account is wrong
    Settings,            // a TAG.INI line, a template, the settings folder
    Altered,             // a value a file written cannot hold as it is: written otherwise
};

// "пропущен", "не прочитан", "архив", ... as the list and the command line show them.
QString FindingKindText(FindingKind kind);
// Every kind in the order above, for the window's filter.
const std::vector<FindingKind>& AllFindingKinds();

struct Finding {
    FindingKind Kind = FindingKind::Skipped;
    QString File;       // a file name, an archive entry ("a.zip/b.xml" as "b.xml"), "TAG.INI", ...
    QString Field;      // the column caption, a TAG.INI line number; empty when none
    QString Value;      // the value as the statement would write it; empty when none
    QString Why;        // in words for the user
    QString SourcePath; // the document's row key to jump to; empty when none
    // The document's number, date and amount as written; empty without a document.
    QString Number = {};
    QString Date = {};
    QString Amount = {};
};

using FindingList = std::vector<Finding>;

// One line: "реквизит: 'pp-1.xml': ИНН плательщика '7707083894': неверное контрольное число";
// empty parts are left out. The command line's stderr prints these after a reading.
QString FindingLine(const Finding& finding);

// What the reading said of one file (problem, one thing a line, each naming the file); row says
// whether the file gave a row. A missing or non-numeric amount is left to the checks, which name
// the value.
void AddFileFindings(FindingList& out, const QString& path, bool row, const QString& problem);

// What an archive walk said (lines naming the archive) and the entries it refused, by name. A
// refused entry's own line becomes its "пропущен" finding.
void AddArchiveFindings(FindingList& out, const QString& archive, const QStringList& problems,
                        const QStringList& refused);

// A line said of a whole source (a folder, an archive, a file) rather than of one document in it.
void AddSourceFinding(FindingList& out, FindingKind kind, const QString& source,
                      const QString& line);

// Settings problems (TAG.INI lines, a template, the settings folder) about the file at path.
void AddSettingsFindings(FindingList& out, const QString& path, const QStringList& problems);

// CONFIG.INI or USER.INI of the folder that is no regular file of at most 1 MB (a pipe, a device,
// a folder, a huge file): never read, the defaults serve, and this says so.
void AddSettingsFileFindings(FindingList& out, const QString& configDir);

// The settings folder's findings: the TAG.INI problems its loading gave, then every template
// that cannot make a statement (or that there is none).
FindingList ConfigFindings(const QString& configDir, const QStringList& columnMapProblems,
                           const TextCoder& coder);

// "счет организации" when the organisation's account (ACC of CONFIG.INI) is missing or wrong.
void AddAccountFinding(FindingList& out, const QString& account);

// The checks' findings in table order: failing cells, then each document of a duplicate group
// with the others named. When more than half of the documents are not the organisation's, the
// account is the likelier fault: one "счет организации" finding says so (with the organisation's
// INN when given) instead of a "чужой документ" per document.
FindingList CheckFindings(const DocumentTable& table, const DocumentChecks& checks,
                          const QString& organisationInn = {});

// Fills Номер, Дата and Сумма of the findings about a document of the table.
void AddDocumentFields(FindingList& findings, const DocumentTable& table);

// The findings as text for the clipboard: a caption line and one line per finding, TAB between
// fields, LF line ends.
QString FindingsText(const FindingList& findings);
// The same as CSV for a Russian spreadsheet: UTF-8 with a BOM, ';' between fields, fields
// quoted when they need it, CR LF line ends.
QByteArray FindingsCsv(const FindingList& findings);

// The captions of the list's columns: "Вид", "Файл", "Реквизит", "Значение", "Почему", then the
// document's "Номер", "Дата", "Сумма".
const QStringList& FindingCaptions();
// One field of a finding by column, as the captions go.
QString FindingField(const Finding& finding, int column);

// No tooltip runs taller than this many lines: the problems list holds the rest.
constexpr qsizetype MostTipLines = 15;
// "…\nещё 12 — в списке замечаний": at most `most` lines of a tooltip, the rest counted.
QString ShortTip(const QStringList& lines, qsizetype most = MostTipLines);
