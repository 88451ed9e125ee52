#include "export/TemplateCatalogue.h"

#include "text/SettingsFile.h"
#include "text/TextCoder.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

// Unreadable templates are listed too, and so are pipes and devices of the name (a folder is no
// template): passed over, the first one by name would quietly become another, and the statement
// would get another template's layout. Reading one says why it fails.
std::vector<TemplateInfo> TemplateList(const QString& configDir, const TextCoder& coder) {
    const QDir dir(configDir);
    const QFileInfoList files = dir.entryInfoList(
        {QStringLiteral("*.tpl")}, QDir::Files | QDir::System, QDir::Name | QDir::IgnoreCase);
    std::vector<TemplateInfo> list;
    list.reserve(files.size());
    for (const QFileInfo& file : files) {
        TemplateInfo t;
        t.FileName = file.fileName();
        t.Path = file.absoluteFilePath();
        t.BaseName = coder.OnlyName(t.FileName);
        t.Extension = coder.GetExt(t.BaseName);
        t.Title = coder.OnlyName(t.BaseName);
        list.push_back(std::move(t));
    }
    return list;
}

QStringList SaveDialogNameFilters(const std::vector<TemplateInfo>& templates) {
    QStringList filters;
    for (const TemplateInfo& t : templates)
        filters.append(t.Title + QStringLiteral(" (*.") + t.Extension + u')');
    return filters;
}

std::vector<TemplateInfo> SavableTemplates(std::vector<TemplateInfo> templates) {
    std::erase_if(templates,
                  [](const TemplateInfo& t) { return !SettingsFileProblem(t.Path).isEmpty(); });
    return templates;
}

std::vector<TemplateInfo> WithRegisterTypes(std::vector<TemplateInfo> templates) {
    templates.push_back(
        {{}, {}, {}, QStringLiteral("xlsx"), QStringLiteral("Реестр Excel"), RegisterFormat::Xlsx});
    templates.push_back(
        {{}, {}, {}, QStringLiteral("pdf"), QStringLiteral("Реестр PDF"), RegisterFormat::Pdf});
    return templates;
}
