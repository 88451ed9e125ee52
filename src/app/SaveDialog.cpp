#include "app/SaveDialog.h"

#include "export/SaveNames.h"
#include "export/SourceGuard.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

std::optional<StatementChoice>
AskStatementFile(QWidget* parent, const std::vector<TemplateInfo>& templates, int shown,
                 const QString& folder, const QString& sourcePath, const DocumentTable& documents,
                 const TextCoder& coder, bool nativeDialog) {
    if (templates.empty()) return std::nullopt;
    const QStringList filters = SaveDialogNameFilters(templates);
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!nativeDialog) dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(filters);
    const std::size_t first = shown > 0 && shown < int(templates.size()) ? std::size_t(shown) : 0;
    dialog.selectNameFilter(filters[qsizetype(first)]);
    dialog.setDefaultSuffix(templates[first].Extension);
    dialog.setDirectory(folder);
    dialog.selectFile(SuggestedFileName(sourcePath, templates[first].Extension, coder));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
        const qsizetype index = filters.indexOf(filter);
        if (index < 0) return;
        const QString extension = templates[size_t(index)].Extension;
        dialog.setDefaultSuffix(extension);
        // With no name in the box the dialog reports its folder: nothing to rename then.
        const QFileInfo typed(dialog.selectedFiles().value(0));
        if (!typed.fileName().isEmpty() && !typed.isDir())
            dialog.selectFile(NameForFileType(typed.fileName(), templates, extension));
    });
    if (!AskUntilTaken(dialog, sourcePath, documents, [](const QString&) { return true; }))
        return std::nullopt;
    // The chosen file type names the template, whatever extension was typed.
    return StatementChoice{QDir::toNativeSeparators(dialog.selectedFiles().front()),
                           std::max(0, int(filters.indexOf(dialog.selectedNameFilter())))};
}

bool AskUntilTaken(QFileDialog& dialog, const QString& sourcePath, const DocumentTable& documents,
                   const std::function<bool(const QString&)>& take) {
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    const QWidget* owner = dialog.parentWidget();
    while (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        const QString path = QDir::toNativeSeparators(dialog.selectedFiles().front());
        // Nothing saved ever replaces what the documents were read from.
        if (const QString refused = ReplacedSourceText(path, sourcePath, documents);
            !refused.isEmpty())
            QMessageBox::warning(&dialog, owner ? owner->window()->windowTitle() : QString(),
                                 refused);
        else if (take(path))
            return true;
    }
    return false;
}

bool UseNativeDialogs() {
    return !QCoreApplication::testAttribute(Qt::AA_DontUseNativeDialogs) &&
           qEnvironmentVariableIsEmpty("VYPISKA_NO_NATIVE_DIALOGS");
}
