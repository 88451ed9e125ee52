#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

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
    Exported,            // a document the export journal says went out already
    Journal,             // the export journal: damaged, locked, unreachable
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

// The name a finding gives a file: "a.xml" of "/in/a.xml", "b.xml" of an archive's "a.zip/b.xml".
QString DocumentName(const QString& sourcePath);

// A finding about the file or archive at path, named as DocumentName names it.
Finding FileFinding(FindingKind kind, const QString& path, const QString& why);

// A settings finding about the file at path (a folder is named whole); field a line number.
Finding SettingsFinding(const QString& path, const QString& why, const QString& field = {});

// The problems list in the order the window, the command line and the workbook give it: the
// settings, the organisation's own account, what the reading said, what the checks found.
// The reading's and the checks' lists are taken by value: a window moves its hundred thousand in.
FindingList ProblemsList(FindingList settings, const FindingList& account, FindingList reading,
                         FindingList checks);

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
