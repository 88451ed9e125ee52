#include "checks/OrganisationAccount.h"

#include "reading/ColumnMap.h"
#include "settings/INIStorage.h"
#include "text/TrimSpaces.h"

#include <algorithm>

QString ReadOrganisationAccount(const INIStorage& settings) {
    return TrimSpaces(settings.ReadVal(Organization, QStringLiteral("ACC"), QString()).toString());
}

QString ReadOrganisationInn(const INIStorage& settings) {
    return TrimSpaces(settings.ReadVal(Organization, QStringLiteral("INN"), QString()).toString());
}

QString OrganisationAccountProblem(const QString& acc) {
    if (acc.isEmpty())
        return QStringLiteral(
            "Не указан расчетный счет организации: в выписке поле РасчСчет будет пустым");
    const bool digits = acc.size() == 20 && std::all_of(acc.cbegin(), acc.cend(), [](QChar c) {
                            return c >= u'0' && c <= u'9';
                        });
    if (digits) return {};
    return QStringLiteral("Расчетный счет организации указан неверно: '%1' — нужно 20 цифр")
        .arg(acc);
}

bool TemplateUsesAccount(const QString& templateText) {
    for (const char* name : {"{ACC}", "{Incoming}", "{Outgoing}"})
        if (templateText.contains(QLatin1String(name), Qt::CaseInsensitive)) return true;
    return false;
}

QString TemplateAccountProblem(const QString& acc, const QString& templatePath) {
    const QString why = OrganisationAccountProblem(acc);
    // A register has no template: its heading names the account as it is.
    if (why.isEmpty() || templatePath.isEmpty()) return {};
    const std::optional<QString> tpl = ReadWholeFile(templatePath);
    return tpl && TemplateUsesAccount(*tpl) ? why : QString();
}
