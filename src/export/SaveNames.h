#pragma once

#include "export/TemplateCatalogue.h"

#include <QString>

#include <vector>

class TextCoder;

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
