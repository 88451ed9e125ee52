#include "checks/Findings.h"
#include "settings/SettingsUpgrade.h"

#include "settings/SettingsFile.h"

#include "checks/DocumentTotals.h"
#include "checks/OrganisationAccount.h"
#include "checks/RequisiteChecks.h"
#include "export/BuildExportFile.h"
#include "export/SaveCommand.h"
#include "text/CsvField.h"

#include <QDir>

#include <QFileInfo>
#include <QRegularExpression>

namespace {

// The problem texts name their file in full; the finding names it once, in its own column, so
// the words say only what is wrong. Texts of another shape stay whole.
QString WithoutName(const QString& line, const QString& path) {
    const QString quoted = u'\'' + path + u'\'';
    for (const QString& lead :
         {QStringLiteral("Файл %1: "), QStringLiteral("Файл %1 "), QStringLiteral("Архив %1: "),
          QStringLiteral("Архив %1 "), QStringLiteral("Карта колонок %1, "),
          QStringLiteral("Карта колонок %1: "), QStringLiteral("Шаблон %1 "),
          QStringLiteral("Документы в %1 "), QStringLiteral("%1 ")}) {
        const QString prefix = lead.arg(quoted);
        if (line.startsWith(prefix)) return line.mid(prefix.size());
    }
    QString rest = line;
    rest.replace(u' ' + quoted, QString());
    return rest;
}

bool IsAmountLine(const QString& why) {
    // "сумма '…' не является числом", "пропущен: в нем нет суммы": the checks name the value
    // of the first; the second leaves the file out, and says so as "пропущен".
    return why.startsWith(QStringLiteral("сумма '"));
}

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
        {FindingKind::Altered, QStringLiteral("изменено")}};
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

void AddFileFindings(FindingList& out, const QString& path, bool row, const QString& problem) {
    const QString name = DocumentName(path);
    if (problem.isEmpty()) {
        if (!row) out.push_back({FindingKind::Skipped, name, {}, {}, {}, {}});
        return;
    }
    const QStringList lines = problem.split(u'\n');
    bool saidWhy = false;
    for (const QString& line : lines) {
        const QString why = WithoutName(line, path);
        if (row && IsAmountLine(why)) continue;
        Finding finding{FindingKind::Unread, name, {}, {}, why, row ? path : QString()};
        // The line that says why a file was left out is its "пропущен"; a file that could not
        // be opened at all is "не прочитан". What else is said of it (a guessed encoding) too.
        if (!row && !saidWhy && why.contains(QStringLiteral("пропущен"))) {
            finding.Kind = FindingKind::Skipped;
            const QString said = QStringLiteral("пропущен: ");
            if (why.startsWith(said)) finding.Why = why.mid(said.size());
            saidWhy = true;
        }
        out.push_back(std::move(finding));
    }
}

void AddArchiveFindings(FindingList& out, const QString& archive, const QStringList& problems,
                        const QStringList& refused) {
    const QString name = DocumentName(archive);
    std::vector<bool> told(size_t(refused.size()));
    for (const QString& line : problems) {
        const QString why = WithoutName(line, archive);
        Finding finding{FindingKind::Archive, name, {}, {}, why, {}};
        for (qsizetype r = 0; r < refused.size(); ++r) {
            const QString& entry = refused[r];
            // An entry named in its line ("элемент 'a.xml' …", "имя элемента №3 …").
            if (told[size_t(r)] ||
                !(why.contains(Quoted(entry)) || (entry.startsWith(u'№') && why.contains(entry))))
                continue;
            told[size_t(r)] = true;
            finding.Kind = FindingKind::Skipped;
            finding.File = entry;
            break;
        }
        out.push_back(std::move(finding));
    }
    for (qsizetype r = 0; r < refused.size(); ++r)
        if (!told[size_t(r)])
            out.push_back({FindingKind::Skipped,
                           refused[r],
                           {},
                           {},
                           QStringLiteral("элемент архива '%1' не прочитан").arg(name),
                           {}});
}

void AddSourceFinding(FindingList& out, FindingKind kind, const QString& source,
                      const QString& line) {
    out.push_back({kind, DocumentName(source), {}, {}, WithoutName(line, source), {}});
}

void AddSettingsFindings(FindingList& out, const QString& path, const QStringList& problems) {
    static const QRegularExpression lineNumber(QStringLiteral("^(строка \\d+): "));
    const QString name = QFileInfo(path).isDir() ? path : DocumentName(path);
    for (const QString& problem : problems) {
        Finding finding{FindingKind::Settings, name, {}, {}, WithoutName(problem, path), {}};
        if (const QRegularExpressionMatch m = lineNumber.match(finding.Why); m.hasMatch()) {
            finding.Field = m.captured(1);
            finding.Why = finding.Why.mid(m.capturedLength());
        }
        out.push_back(std::move(finding));
    }
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

FindingList ConfigFindings(const QString& configDir, const QStringList& columnMapProblems,
                           const TextCoder& coder) {
    FindingList out;
    const QDir dir(configDir);
    AddSettingsFindings(out, dir.filePath(QStringLiteral("TAG.INI")), columnMapProblems);
    for (const SettingsGap& gap : MissingDefaultLines(configDir))
        AddSettingsFindings(out, gap.Path, {gap.Why});
    const std::vector<TemplateInfo> templates = TemplateList(configDir, coder);
    if (templates.empty())
        AddSettingsFindings(
            out, dir.path(),
            {QStringLiteral("нет ни одного шаблона (*.tpl): выписку не сохранить")});
    for (const TemplateInfo& info : templates) {
        const QString problem = TemplateProblem(info.Path);
        if (!problem.isEmpty())
            AddSettingsFindings(out, QDir::toNativeSeparators(info.Path), {problem});
    }
    return out;
}

void AddAccountFinding(FindingList& out, const QString& account) {
    const QString why = OrganisationAccountProblem(account);
    if (!why.isEmpty())
        out.push_back({FindingKind::OrganisationAccount,
                       QStringLiteral("CONFIG.INI"),
                       QStringLiteral("ACC"),
                       account,
                       why,
                       {}});
}

namespace {
// The document's number, date and amount as its sender wrote them, as the Значение column is:
// the same in the window, the command line and the register, whatever the locale.
struct DocumentColumns {
    explicit DocumentColumns(const ColumnMap& columns)
        : Number(KeyedColumn(columns, u"Номер")), Date(KeyedColumn(columns, u"Дата")),
          Amount(AmountColumn(columns)) {}
    void Fill(Finding& finding, const DocumentRow& row) const {
        const auto text = [&](int column) {
            return column < 0 ? QString() : row.ExportValue(column).trimmed();
        };
        finding.Number = text(Number);
        finding.Date = text(Date);
        finding.Amount = text(Amount);
    }
    int Number, Date, Amount;
};
} // namespace

void AddDocumentFields(FindingList& findings, const DocumentTable& table) {
    QHash<QString, qsizetype> rows;
    const DocumentColumns columns(table.Columns);
    for (Finding& finding : findings) {
        if (finding.SourcePath.isEmpty()) continue;
        if (rows.isEmpty())
            for (size_t r = 0; r < table.Rows.size(); ++r)
                rows.insert(table.Rows[r].SourcePath, qsizetype(r));
        if (const auto row = rows.constFind(finding.SourcePath); row != rows.cend())
            columns.Fill(finding, table.Rows[size_t(*row)]);
    }
}

FindingList CheckFindings(const DocumentTable& table, const DocumentChecks& checks,
                          const QString& organisationInn) {
    FindingList out;
    const int number = KeyedColumn(table.Columns, u"Номер");
    const DocumentColumns columns(table.Columns);
    const auto caption = [&](int column) {
        return column >= 0 && column < int(table.Columns.size())
                   ? table.Columns[std::size_t(column)].Caption
                   : QString();
    };
    // Documents not the organisation's: named one by one only while they are the few.
    qint64 foreign = 0;
    for (const std::vector<CellProblem>& cells : checks.Cells)
        foreign += std::any_of(cells.cbegin(), cells.cend(), [](const CellProblem& problem) {
            return problem.Kind == CellProblemKind::NotOrganisation;
        });
    const qint64 all = qint64(table.Rows.size());
    const bool accountSuspect = foreign * 2 > all;
    if (accountSuspect)
        out.push_back(
            {FindingKind::OrganisationAccount,
             QStringLiteral("CONFIG.INI"),
             QStringLiteral("ACC"),
             checks.Account,
             QStringLiteral("Счет организации %1%2 не встречается в %3 из %4 %5: проверьте "
                            "настройки")
                 .arg(checks.Account, organisationInn.isEmpty()
                                          ? QString()
                                          : QStringLiteral(" (ИНН %1)").arg(organisationInn))
                 .arg(foreign)
                 .arg(all)
                 // "из 1 документа", "из 21 документа", "из 5 документов"
                 .arg(all % 10 == 1 && all % 100 != 11 ? QStringLiteral("документа")
                                                       : QStringLiteral("документов")),
             {}});
    for (const DocumentRow& row : table.Rows) {
        const QString name = DocumentName(row.SourcePath);
        const size_t first = out.size();
        const auto cells = checks.Cells.constFind(row.SourcePath);
        if (cells != checks.Cells.cend()) {
            for (const CellProblem& problem : *cells) {
                if (accountSuspect && problem.Kind == CellProblemKind::NotOrganisation) continue;
                const FindingKind kind = problem.Kind == CellProblemKind::Amount
                                             ? FindingKind::Amount
                                         : problem.Kind == CellProblemKind::NotOrganisation
                                             ? FindingKind::NotOrganisation
                                             : FindingKind::Requisite;
                out.push_back({kind, name, caption(problem.Column),
                               row.ExportValue(problem.Column).trimmed(), problem.Why,
                               row.SourcePath});
            }
        }
        if (checks.IsDuplicate(row.SourcePath)) {
            constexpr qsizetype Named = 3;
            const QStringList others = checks.DuplicatesOf(row.SourcePath);
            QStringList names;
            for (const QString& other : others.mid(0, Named))
                names << Quoted(DocumentName(other));
            if (others.size() > Named) names << QStringLiteral("ещё %1").arg(others.size() - Named);
            out.push_back(
                {FindingKind::Duplicate, name, caption(number),
                 number < 0 ? QString() : row.ExportValue(number).trimmed(),
                 QStringLiteral("те же номер, дата, сумма, счета и ИНН плательщика, что в ") +
                     names.join(QStringLiteral(", ")),
                 row.SourcePath});
        }
        for (size_t f = first; f < out.size(); ++f)
            columns.Fill(out[f], row);
    }
    return out;
}

const QStringList& FindingCaptions() {
    static const QStringList captions{QStringLiteral("Вид"),      QStringLiteral("Файл"),
                                      QStringLiteral("Реквизит"), QStringLiteral("Значение"),
                                      QStringLiteral("Почему"),   QStringLiteral("Номер"),
                                      QStringLiteral("Дата"),     QStringLiteral("Сумма")};
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
