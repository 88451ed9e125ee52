#include "findings/Findings.h"

#include "text/CsvField.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

QString Quoted(const QString& text) {
    return u'\'' + text + u'\'';
}

QString TabField(QString text) {
    // One finding a line, one field a column, whatever the value holds.
    text.replace(u'\t', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
    return text;
}

} // namespace

namespace {

// Every kind with its word, in the order of the enum.
const std::vector<std::pair<FindingKind, QString>>& KindTexts() {
    static const std::vector<std::pair<FindingKind, QString>> texts{
        {FindingKind::Skipped, QStringLiteral("пропущен")},
        {FindingKind::Unread, QStringLiteral("не прочитан")},
        {FindingKind::Archive, QStringLiteral("архив")},
        {FindingKind::Requisite, QStringLiteral("реквизит")},
        {FindingKind::Duplicate, QStringLiteral("повтор")},
        {FindingKind::Amount, QStringLiteral("сумма")},
        {FindingKind::NotOrganisation, QStringLiteral("чужой документ")},
        {FindingKind::OrganisationAccount, QStringLiteral("счет организации")},
        {FindingKind::Settings, QStringLiteral("настройки")},
        {FindingKind::Altered, QStringLiteral("изменено")},
        {FindingKind::Exported, QStringLiteral("уже выгружен")},
        {FindingKind::Journal, QStringLiteral("журнал")}};
    return texts;
}

} // namespace

QString FindingKindText(FindingKind kind) {
    for (const auto& [each, text] : KindTexts())
        if (each == kind) return text;
    return {};
}

const std::vector<FindingKind>& AllFindingKinds() {
    static const std::vector<FindingKind> kinds = [] {
        std::vector<FindingKind> all;
        for (const auto& entry : KindTexts())
            all.push_back(entry.first);
        return all;
    }();
    return kinds;
}

QString FindingLine(const Finding& finding) {
    QStringList parts{FindingKindText(finding.Kind)};
    if (!finding.File.isEmpty()) parts << Quoted(finding.File);
    QString what = finding.Field;
    if (!finding.Value.isEmpty())
        what += (what.isEmpty() ? QString() : QStringLiteral(" ")) + Quoted(finding.Value);
    if (!what.isEmpty()) parts << what;
    if (!finding.Why.isEmpty()) parts << finding.Why;
    return parts.join(QStringLiteral(": "));
}

QString DocumentName(const QString& sourcePath) {
    // Without a backslash or a drive every system names it alike, and without asking QFileInfo
    // 100,000 exported documents are named in a blink when the problems list shows them.
    if (!sourcePath.contains(u'\\') && !sourcePath.contains(u':')) {
        const qsizetype slash = sourcePath.lastIndexOf(u'/');
        return slash + 1 < sourcePath.size() ? sourcePath.mid(slash + 1) : sourcePath;
    }
    const QString name = QFileInfo(sourcePath).fileName();
    return name.isEmpty() ? sourcePath : name;
}

Finding FileFinding(FindingKind kind, const QString& path, const QString& why) {
    return {kind, DocumentName(path), {}, {}, why, {}};
}

Finding SettingsFinding(const QString& path, const QString& why, const QString& field) {
    const QString name = QFileInfo(path).isDir() ? path : DocumentName(path);
    return {FindingKind::Settings, name, field, {}, why, {}};
}

FindingList ProblemsList(FindingList settings, const FindingList& account, FindingList reading,
                         FindingList checks) {
    FindingList all = std::move(settings);
    all.reserve(all.size() + account.size() + reading.size() + checks.size());
    all.insert(all.end(), account.begin(), account.end());
    for (FindingList* part : {&reading, &checks})
        all.insert(all.end(), std::make_move_iterator(part->begin()),
                   std::make_move_iterator(part->end()));
    return all;
}

const QStringList& FindingCaptions() {
    static const QStringList captions{QStringLiteral("Вид"), QStringLiteral("Файл"),
                                      QStringLiteral("Реквизит"), QStringLiteral("Значение"),
                                      QStringLiteral("Почему"), QStringLiteral("Номер"),
                                      QStringLiteral("Дата"), QStringLiteral("Сумма")};
    return captions;
}

QString FindingField(const Finding& finding, int column) {
    switch (column) {
    case 0:
        return FindingKindText(finding.Kind);
    case 1:
        return finding.File;
    case 2:
        return finding.Field;
    case 3:
        return finding.Value;
    case 4:
        return finding.Why;
    case 5:
        return finding.Number;
    case 6:
        return finding.Date;
    case 7:
        return finding.Amount;
    default:
        return {};
    }
}

QString FindingsText(const FindingList& findings) {
    const int columns = int(FindingCaptions().size());
    QString text = FindingCaptions().join(u'\t') + u'\n';
    for (const Finding& finding : findings) {
        for (int c = 0; c < columns; ++c)
            text += (c ? QStringLiteral("\t") : QString()) + TabField(FindingField(finding, c));
        text += u'\n';
    }
    return text;
}

QByteArray FindingsCsv(const FindingList& findings) {
    const int columns = int(FindingCaptions().size());
    QString text = FindingCaptions().join(u';') + QStringLiteral("\r\n");
    for (const Finding& finding : findings) {
        for (int c = 0; c < columns; ++c)
            text += (c ? QStringLiteral(";") : QString()) + CsvField(FindingField(finding, c));
        text += QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QString ShortTip(const QStringList& lines, qsizetype most) {
    if (lines.size() <= most) return lines.join(u'\n');
    const qsizetype shown = std::max<qsizetype>(1, most - 1);
    return (lines.mid(0, shown) +
            QStringList{QStringLiteral("ещё %1 — в списке замечаний").arg(lines.size() - shown)})
        .join(u'\n');
}
