#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class TextCoder;

// One *.tpl file of ConfigDir: "Statement.txt.tpl" has the title "Statement", extension "txt".
struct TemplateInfo {
    QString FileName;  // "Statement.txt.tpl"
    QString Path;      // full path
    QString BaseName;  // "Statement.txt"
    QString Extension; // "txt"
    QString Title;     // "Statement"
};

// Every ordinary *.tpl file of the folder (case-insensitive), sorted by name.
std::vector<TemplateInfo> TemplateList(const QString& configDir, const TextCoder& coder);

// "Statement (*.txt)|*.txt|Table (*.csv)|*.csv|", as the save dialog's filter is written.
QString SaveDialogFilter(const std::vector<TemplateInfo>& templates);
// The same entries as Qt's name filters: "Statement (*.txt)".
QStringList SaveDialogNameFilters(const std::vector<TemplateInfo>& templates);

// The suggested name: the distinguishing tail of the source file name, ".", and the extension
// of the last template.
QString SuggestedFileName(const QString& sourcePath, const std::vector<TemplateInfo>& templates,
                          const TextCoder& coder);

// "Документ успешно сохранен в 'P'" for one row in the list, "Документы успешно сохранены в 'P'"
// for more.
QString SaveSuccessText(qint64 rowCount, const QString& path);
inline const QString SaveFailureText = QStringLiteral("Ошибка! Не удалось сохранить файл!");
