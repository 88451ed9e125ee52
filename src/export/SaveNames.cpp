#include "export/SaveNames.h"

#include "text/PluralForm.h"
#include "text/TextCoder.h"

#include <algorithm>

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

QString StdoutSaveSuccessText(qint64 rowCount) {
    return SavedText(rowCount, QStringLiteral("стандартный вывод"));
}
