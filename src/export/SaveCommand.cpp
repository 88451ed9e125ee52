#include "export/SaveCommand.h"

#include "reading/ReadingRun.h"
#include "text/TextCoder.h"

#include <QDir>

std::vector<TemplateInfo> TemplateList(const QString& configDir, const TextCoder& coder) {
    const QDir dir(configDir);
    const QFileInfoList files = dir.entryInfoList(
        {QStringLiteral("*.tpl")}, QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
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

QString SaveDialogFilter(const std::vector<TemplateInfo>& templates) {
    QString filter;
    for (const TemplateInfo& t : templates)
        filter += t.Title + QStringLiteral(" (*.") + t.Extension + QStringLiteral(")|*.") +
                  t.Extension + u'|';
    return filter;
}

QStringList SaveDialogNameFilters(const std::vector<TemplateInfo>& templates) {
    QStringList filters;
    for (const TemplateInfo& t : templates)
        filters.append(t.Title + QStringLiteral(" (*.") + t.Extension + u')');
    return filters;
}

QString SuggestedFileName(const QString& sourcePath, const std::vector<TemplateInfo>& templates,
                          const TextCoder& coder) {
    // The extension of the last template, whichever type the dialog shows first.
    const QString extension = templates.empty() ? QString() : templates.back().Extension;
    return coder.GetFnameUnicPart(sourcePath) + u'.' + extension;
}

QString SaveSuccessText(qint64 rowCount, const QString& path) {
    const qint64 k = rowCount > 1 ? 10 : 1;
    return PluralForm(QStringLiteral("Документ"), k, 1) + QStringLiteral(" успешно ") +
           PluralForm(QStringLiteral("сохранен"), k, 1) + QStringLiteral(" в '") + path + u'\'';
}
