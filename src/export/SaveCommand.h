#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class TextCoder;
struct DocumentTable;

// What a file type of the save dialog writes besides the templates: a register for people.
enum class RegisterFormat { None, Xlsx, Pdf };

// One *.tpl file of ConfigDir: "Statement.txt.tpl" has the title "Statement", extension "txt".
struct TemplateInfo {
    QString FileName;  // "Statement.txt.tpl"
    QString Path;      // full path
    QString BaseName;  // "Statement.txt"
    QString Extension; // "txt"
    QString Title;     // "Statement"
    // Set for the register types the save dialog adds after the templates (Path is empty then).
    RegisterFormat Register = RegisterFormat::None;
};

// Every *.tpl entry of the folder but folders (case-insensitive), sorted by name.
std::vector<TemplateInfo> TemplateList(const QString& configDir, const TextCoder& coder);

// The templates a save dialog offers: those that are no regular file of at most 1 MB are left out
// (the problems list names them).
std::vector<TemplateInfo> SavableTemplates(std::vector<TemplateInfo> templates);

// The save dialog's file types: the templates, then "Реестр Excel (*.xlsx)" and "Реестр PDF
// (*.pdf)".
std::vector<TemplateInfo> WithRegisterTypes(std::vector<TemplateInfo> templates);

// "Statement (*.txt)|*.txt|Table (*.csv)|*.csv|", as the save dialog's filter is written.
QString SaveDialogFilter(const std::vector<TemplateInfo>& templates);
// The same entries as Qt's name filters: "Statement (*.txt)".
QStringList SaveDialogNameFilters(const std::vector<TemplateInfo>& templates);

// The suggested name: the distinguishing tail of the source file name (after its last "_"), or
// its whole name when that tail is empty, then "." and the extension of the file type the dialog
// shows (none for a template without one).
QString SuggestedFileName(const QString& sourcePath, const QString& extension,
                          const TextCoder& coder);

// The name in the dialog once the user picks another file type: an extension of one of the
// templates is swapped for the new type's, a name without one gets it; a name the user gave
// another ending keeps it.
QString NameForFileType(const QString& name, const std::vector<TemplateInfo>& templates,
                        const QString& extension);

// "Документ успешно сохранен в 'P'" for one row in the list, "Документы успешно сохранены в 'P'"
// for more.
QString SaveSuccessText(qint64 rowCount, const QString& path);
// The same for a statement written to the standard output: "... сохранены в стандартный вывод".
QString StdoutSaveSuccessText(qint64 rowCount);
inline const QString SaveFailureText = QStringLiteral("Ошибка! Не удалось сохранить файл!");

// Refuses a statement that would replace what it is made from: the source file (an archive, a
// document), any document read from it or any file the reading left out. The files themselves are
// compared (device and inode), so links, hard links and other spellings of the path count. Empty
// when the target is none of them; else "Выписка не может заменить исходный файл '…'", naming the
// source file.
QString ReplacedSourceText(const QString& target, const QString& source,
                           const DocumentTable& documents);
