#include "export/SaveCommand.h"

#include "reading/DocumentTable.h"
#include "reading/ReadingRun.h"
#include "text/SettingsFile.h"
#include "text/FileNames.h"
#include "text/TextCoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>
#include <utility>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

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

namespace {
QString WithExtension(const QString& stem, const QString& extension) {
    return extension.isEmpty() ? stem : stem + u'.' + extension;
}
} // namespace

QString SuggestedFileName(const QString& sourcePath, const QString& extension,
                          const TextCoder& coder) {
    QString stem = coder.GetFnameUnicPart(sourcePath);
    // "doc_.xml" has nothing after its "_": a bare ".txt" would be a hidden file with no name.
    if (stem.isEmpty()) stem = coder.OnlyName(coder.GetName(sourcePath));
    if (stem.isEmpty()) stem = coder.GetName(sourcePath);
    return WithExtension(stem, extension);
}

QString NameForFileType(const QString& name, const std::vector<TemplateInfo>& templates,
                        const QString& extension) {
    for (const TemplateInfo& t : templates) {
        if (t.Extension.isEmpty()) continue;
        const QString old = u'.' + t.Extension;
        if (name.size() > old.size() && name.endsWith(old, Qt::CaseInsensitive))
            return WithExtension(name.chopped(old.size()), extension);
    }
    // A name without any extension gets the type's, as the dialog would add it on saving.
    const QString file = name.mid(std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\')) + 1);
    if (!file.isEmpty() && !file.contains(u'.')) return WithExtension(name, extension);
    return name;
}

namespace {
// "Документ успешно сохранен в " or "Документы успешно сохранены в ", then where.
QString SavedText(qint64 rowCount, const QString& where) {
    const qint64 k = rowCount > 1 ? 10 : 1;
    return PluralForm(QStringLiteral("Документ"), k, 1) + QStringLiteral(" успешно ") +
           PluralForm(QStringLiteral("сохранен"), k, 1) + QStringLiteral(" в ") + where;
}
} // namespace

QString SaveSuccessText(qint64 rowCount, const QString& path) {
    return SavedText(rowCount, u'\'' + path + u'\'');
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

QString StdoutSaveSuccessText(qint64 rowCount) {
    return SavedText(rowCount, QStringLiteral("стандартный вывод"));
}

namespace {
#ifdef Q_OS_UNIX
using FileId = std::pair<dev_t, ino_t>;
// The file the path leads to, links followed; none when there is none.
std::optional<FileId> IdOf(const QString& path) {
    struct stat st {};
    if (path.isEmpty() || ::stat(FileNameBytes(path).constData(), &st) != 0) return std::nullopt;
    return FileId{st.st_dev, st.st_ino};
}
#endif
} // namespace

QString ReplacedSourceText(const QString& target, const QString& source,
                           const DocumentTable& documents) {
    const auto refused = [](const QString& path) {
        return QStringLiteral("Выписка не может заменить исходный файл '%1'")
            .arg(QDir::toNativeSeparators(path));
    };
#ifdef Q_OS_UNIX
    // A new file replaces nothing; only an existing one needs looking at.
    const std::optional<FileId> written = IdOf(target);
    if (!written) return {};
    if (IdOf(source) == written) return refused(source);
    // An archive's entries have no file of their own: their paths lead nowhere.
    for (const DocumentRow& row : documents.Rows)
        if (IdOf(row.SourcePath) == written) return refused(row.SourcePath);
    // A file left out is often the one that needs the user's attention: its original counts most.
    for (const QString& path : documents.LeftOut)
        if (IdOf(path) == written) return refused(path);
    return {};
#else
    const auto same = [](const QString& a, const QString& b) {
        return !a.isEmpty() && !b.isEmpty() &&
               QFileInfo(a).canonicalFilePath().compare(QFileInfo(b).canonicalFilePath(),
                                                        Qt::CaseInsensitive) == 0;
    };
    if (!QFileInfo::exists(target)) return {};
    if (same(target, source)) return refused(source);
    for (const DocumentRow& row : documents.Rows)
        if (same(target, row.SourcePath)) return refused(row.SourcePath);
    for (const QString& path : documents.LeftOut)
        if (same(target, path)) return refused(path);
    return {};
#endif
}
