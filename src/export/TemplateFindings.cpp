#include "export/TemplateFindings.h"

#include "export/BuildExportFile.h"
#include "export/TemplateCatalogue.h"
#include "text/SettingsFile.h"
#include "settings/SettingsUpgrade.h"

#include <QDir>
#include <QFileInfo>

FindingList SettingsFolderFindings(const QString& configDir, const TextCoder& coder) {
    FindingList out;
    const QDir dir(configDir);
    for (const SettingsGap& gap : MissingDefaultLines(configDir))
        out.push_back(SettingsFinding(gap.Path, gap.Why));
    const std::vector<TemplateInfo> templates = TemplateList(configDir, coder);
    if (templates.empty())
        out.push_back(SettingsFinding(
            dir.path(), QStringLiteral("нет ни одного шаблона (*.tpl): выписку не сохранить")));
    for (const TemplateInfo& info : templates)
        if (std::optional<Finding> finding = TemplateFinding(info.Path))
            out.push_back(std::move(*finding));
    return out;
}

void AddSettingsFileFindings(FindingList& out, const QString& configDir) {
    const QDir dir(configDir);
    for (const QString& name : {QStringLiteral("CONFIG.INI"), QStringLiteral("USER.INI")}) {
        const QFileInfo file(dir.filePath(name));
        QString why = SettingsFileProblem(file.filePath());
        if (why.isEmpty() && file.exists() && !file.isReadable())
            why = QStringLiteral("файл не удалось прочитать");
        if (!why.isEmpty())
            out.push_back({FindingKind::Settings,
                           name,
                           {},
                           {},
                           why + QStringLiteral(", взяты настройки по умолчанию"),
                           {}});
    }
}
