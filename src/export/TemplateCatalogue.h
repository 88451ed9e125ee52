#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class TextCoder;

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

// The save dialog's entries as Qt's name filters: "Statement (*.txt)".
QStringList SaveDialogNameFilters(const std::vector<TemplateInfo>& templates);
