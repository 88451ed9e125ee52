#include "checks/SaveReasons.h"

#include "checks/OrganisationAccount.h"

#include <QSet>

#include <algorithm>
#include <array>

namespace {
// "1 ошибка", "2 ошибки", "5 ошибок"
QString Counted(qint64 n, const QString& one, const QString& few, const QString& many,
                const QString& tail = {}) {
    const qint64 lastTwo = n % 100, last = n % 10;
    const bool teen = lastTwo >= 11 && lastTwo <= 19;
    const QString& word = !teen && last == 1                ? one
                          : !teen && last >= 2 && last <= 4 ? few
                                                            : many;
    return QString::number(n) + u' ' + word + tail;
}

// The kinds a save is asked about, as the question counts them.
QString KindCount(FindingKind kind, qint64 n) {
    switch (kind) {
    case FindingKind::Duplicate:
        return Counted(n, QStringLiteral("повтор"), QStringLiteral("повтора"),
                       QStringLiteral("повторов"));
    case FindingKind::Requisite:
        return Counted(n, QStringLiteral("ошибка"), QStringLiteral("ошибки"),
                       QStringLiteral("ошибок"), QStringLiteral(" в реквизитах"));
    case FindingKind::Amount:
        return Counted(n, QStringLiteral("неточная сумма"), QStringLiteral("неточные суммы"),
                       QStringLiteral("неточных сумм"));
    case FindingKind::NotOrganisation:
        return Counted(n, QStringLiteral("чужой документ"), QStringLiteral("чужих документа"),
                       QStringLiteral("чужих документов"));
    case FindingKind::Exported:
        return Counted(n, QStringLiteral("уже выгружен"), QStringLiteral("уже выгружены"),
                       QStringLiteral("уже выгружены"));
    default:
        return {};
    }
}
} // namespace

QString CheckedFindingsText(const FindingRows& findings, const DocumentTable& table) {
    QSet<QString> checked;
    for (const DocumentRow& row : table.Rows)
        if (row.Checked) checked.insert(row.SourcePath);
    // In the order an accountant weighs them: the same payment twice first, then a payment 1C
    // already has.
    constexpr std::array<FindingKind, 5> kinds{FindingKind::Duplicate, FindingKind::Exported,
                                               FindingKind::Requisite, FindingKind::Amount,
                                               FindingKind::NotOrganisation};
    std::array<qint64, 5> counts{};
    // By kind and row key only: a year's exported documents are not made whole for a count.
    for (std::size_t f = 0; f < findings.size(); ++f) {
        const auto kind = std::find(kinds.cbegin(), kinds.cend(), findings.KindAt(f));
        const QString& path = findings.SourcePathAt(f);
        if (kind != kinds.cend() && !path.isEmpty() && checked.contains(path))
            ++counts[size_t(kind - kinds.cbegin())];
    }
    QStringList parts;
    for (size_t k = 0; k < kinds.size(); ++k)
        if (counts[k] > 0) parts << KindCount(kinds[k], counts[k]);
    return parts.isEmpty() ? QString()
                           : QStringLiteral("Среди отмеченных: ") +
                                 parts.join(QStringLiteral(", ")) + u'.';
}

SaveReasons StatementSaveReasons(const DocumentTable& table, bool readingStopped,
                                 const QString& accountProblem, const FindingRows& findings) {
    SaveReasons reasons;
    if (readingStopped)
        reasons.push_back({QStringLiteral("Чтение было остановлено: прочитаны не все документы "
                                          "источника.")});
    if (!accountProblem.isEmpty()) reasons.push_back({accountProblem + u'.'});
    if (std::none_of(table.Rows.cbegin(), table.Rows.cend(),
                     [](const DocumentRow& row) { return row.Checked; }))
        reasons.push_back({QStringLiteral("Не отмечено ни одного документа: выписка будет "
                                          "пустой.")});
    // The organisation's account, valid but met in few documents: the checks said it once (a
    // missing or malformed one is the template's concern, above).
    for (const Finding& finding : findings.Whole())
        if (finding.Kind == FindingKind::OrganisationAccount && !finding.Value.isEmpty() &&
            OrganisationAccountProblem(finding.Value).isEmpty())
            reasons.push_back({finding.Why + u'.', true});
    if (const QString checked = CheckedFindingsText(findings, table); !checked.isEmpty())
        reasons.push_back({checked, true});
    return reasons;
}

QString SaveQuestionText(const SaveReasons& reasons) {
    QStringList lines;
    for (const SaveReason& reason : reasons)
        lines << reason.Text;
    return lines.join(u'\n') +
           (reasons.size() == 1 ? QStringLiteral(" Сохранить?") : QStringLiteral("\n\nСохранить?"));
}

QString ProblemsTitle(qint64 shown, qint64 all, bool filtered) {
    return filtered ? QStringLiteral("Замечания (%1 из %2)").arg(shown).arg(all)
                    : QStringLiteral("Замечания (%1)").arg(all);
}
