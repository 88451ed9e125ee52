#pragma once

#include "export/TemplateCatalogue.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QFileDialog;
class QWidget;
class TextCoder;
struct DocumentTable;

struct StatementChoice {
    QString Path;          // native separators
    int TemplateIndex = 0; // the file type chosen, which names the template
};

// "Сохранить как": one file type per template, the type at shown preselected (the first when
// out of range); the suggested name and the added extension follow the type. None when the user
// cancels. A file the documents were read from is refused and the dialog asks again.
std::optional<StatementChoice>
AskStatementFile(QWidget* parent, const std::vector<TemplateInfo>& templates, int shown,
                 const QString& folder, const QString& sourcePath, const DocumentTable& documents,
                 const TextCoder& coder, bool nativeDialog);

// Runs the save dialog until `take` accepts the chosen file (native separators) or the user gives
// up (false). Replacing a file is asked first; a file the documents were read from is refused,
// said, and asked again, and so is a file `take` turns down (it says why itself).
bool AskUntilTaken(QFileDialog& dialog, const QString& sourcePath, const DocumentTable& documents,
                   const std::function<bool(const QString&)>& take);

// The system's file dialogs, unless the application or VYPISKA_NO_NATIVE_DIALOGS turns them off.
bool UseNativeDialogs();
