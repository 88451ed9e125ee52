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
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
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
    // A statement never replaces its own source: say so and ask again.
    QString refused;
    do {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        refused = ReplacedSourceText(dialog.selectedFiles().front(), sourcePath, documents);
        if (!refused.isEmpty())
            QMessageBox::warning(&dialog, parent ? parent->window()->windowTitle() : QString(),
                                 refused);
    } while (!refused.isEmpty());
    // The chosen file type names the template, whatever extension was typed.
    return StatementChoice{QDir::toNativeSeparators(dialog.selectedFiles().front()),
                           std::max(0, int(filters.indexOf(dialog.selectedNameFilter())))};
}

bool UseNativeDialogs() {
    return !QCoreApplication::testAttribute(Qt::AA_DontUseNativeDialogs) &&
           qEnvironmentVariableIsEmpty("VYPISKA_NO_NATIVE_DIALOGS");
}
