#include "export/TemplateFindings.h"

#include "export/BuildExportFile.h"
#include "export/SaveCommand.h"

#include <QDir>

FindingList TemplateFindings(const QString& configDir, const TextCoder& coder) {
    FindingList out;
    const QDir dir(configDir);
    const std::vector<TemplateInfo> templates = TemplateList(configDir, coder);
    if (templates.empty())
        out.push_back(SettingsFinding(
            dir.path(), QStringLiteral("нет ни одного шаблона (*.tpl): выписку не сохранить")));
    for (const TemplateInfo& info : templates)
        if (std::optional<Finding> finding = TemplateFinding(info.Path))
            out.push_back(std::move(*finding));
    return out;
}
