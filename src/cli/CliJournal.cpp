#include "cli/Cli.h"
#include "cli/CliCommon.h"
#include "cli/CliJournal.h"
#include "cli/CliSafety.h"

#include "checks/DocumentKey.h"
#include "journal/Journal.h"
#include "settings/INIStorage.h"

#include <QDir>
#include <QFileInfo>

JournalPlace CliJournalPlace(const CliOptions& options) {
    return ResolveJournalPlace(options.ConfigDir, INIStorage(options.ConfigDir),
                               options.Values.value(QStringLiteral("--journal")),
                               options.Values.contains(QStringLiteral("--no-journal")));
}

std::optional<int> LeaveOutExported(const CliOptions& options, DocumentTable& table) {
    Journal journal(CliJournalPlace(options));
    PrintFindings(journal.Findings());
    // An empty journal would make every document look new: only one that knows may choose.
    if (journal.State() != JournalState::Ready) {
        CliError(QStringLiteral("--only-new: %1").arg(journal.Problem()));
        return ExitUsage;
    }
    const DocumentKeys keys(table.Columns);
    QStringList asked;
    std::vector<QString> rowKeys;
    for (const DocumentRow& row : table.Rows) {
        rowKeys.push_back(row.Checked ? keys.Key(row) : QString());
        if (!rowKeys.back().isEmpty()) asked << rowKeys.back();
    }
    const QHash<QString, JournalMark> exported = journal.Exported(asked);
    qint64 left = 0, kept = 0;
    for (size_t i = 0; i < table.Rows.size(); ++i) {
        DocumentRow& row = table.Rows[i];
        if (row.Checked && exported.contains(rowKeys[i])) {
            row.Checked = false;
            ++left;
        }
        kept += row.Checked ? 1 : 0;
    }
    PrintLine(stderr, QStringLiteral("Уже выгружены, не записываются: %1 из %2")
                          .arg(left)
                          .arg(left + kept));
    if (kept == 0) {
        CliError(QStringLiteral("Все документы уже выгружены: выписка не записана"));
        return ExitNoDocuments;
    }
    return std::nullopt;
}

namespace {

QString Shown(const QDateTime& utc) {
    return utc.toLocalTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

// A key's parts are kept apart by a control character: shown, they stand between "|".
QString ShownKey(QString key) {
    return key.replace(QChar(0x1f), u'|');
}

int Print(const QString& format, const QStringList& captions, const QStringList& names,
          const std::vector<QStringList>& rows) {
    QString out;
    if (format == QLatin1String("json")) {
        out += u'[';
        for (size_t r = 0; r < rows.size(); ++r) {
            out += r == 0 ? QStringLiteral("\n  {") : QStringLiteral(",\n  {");
            for (qsizetype i = 0; i < names.size(); ++i) {
                if (i > 0) out += QStringLiteral(", ");
                AppendJsonString(out, names.at(i));
                out += QStringLiteral(": ");
                AppendJsonString(out, rows[r].at(i));
            }
            out += u'}';
        }
        out += rows.empty() ? QStringLiteral("]\n") : QStringLiteral("\n]\n");
    } else {
        AppendTsvLine(out, int(captions.size()), [&](int i) { return captions.at(i); });
        for (const QStringList& row : rows)
            AppendTsvLine(out, int(row.size()), [&](int i) { return row.at(i); });
    }
    return WriteAll(stdout, out.toUtf8()) && StdoutReached() ? ExitDone : ExitWriteFailed;
}

} // namespace

int RunJournal(const QStringList& args) {
    CliOptions options;
    if (const std::optional<int> exit = ParseCliOptions(QStringLiteral("journal"), args, &options))
        return *exit;
    const QString format = CliFormat(options);
    if (format.isEmpty()) return ExitUsage;
    QDateTime since;
    if (options.Values.contains(QStringLiteral("--since"))) {
        const QString text = options.Values.value(QStringLiteral("--since"));
        since = QDateTime(QDate::fromString(text, QStringLiteral("yyyy-MM-dd")), QTime(0, 0));
        if (!since.isValid()) {
            CliError(QStringLiteral("--since '%1' is not YYYY-MM-DD").arg(text));
            return ExitUsage;
        }
    }
    Journal journal(CliJournalPlace(options));
    PrintFindings(journal.Findings());
    if (journal.State() == JournalState::Off || journal.State() == JournalState::Unusable) {
        CliError(journal.Problem());
        return ExitUsage;
    }
    if (options.Words.isEmpty()) {
        std::vector<QStringList> rows;
        for (const JournalStatement& s : journal.Statements(since))
            rows.push_back({Shown(s.Time), QDir::toNativeSeparators(s.File),
                            QString::number(s.Documents), s.Template, s.Acc, s.Inn, s.Hash});
        return Print(format,
                     {QStringLiteral("Время"), QStringLiteral("Файл"), QStringLiteral("Документов"),
                      QStringLiteral("Шаблон"), QStringLiteral("Счет"), QStringLiteral("ИНН"),
                      QStringLiteral("SHA-256")},
                     {QStringLiteral("time"), QStringLiteral("file"), QStringLiteral("documents"),
                      QStringLiteral("template"), QStringLiteral("acc"), QStringLiteral("inn"),
                      QStringLiteral("sha256")},
                     rows);
    }
    const QString file = options.Words.at(1);
    const QString absent = QStringLiteral("В журнале нет выписки '%1'")
                               .arg(QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath()));
    if (options.Words.front() == QLatin1String("show")) {
        std::vector<QStringList> rows;
        for (const JournalDocument& d : journal.Documents(file))
            rows.push_back({ShownKey(d.Key), QDir::toNativeSeparators(d.Source)});
        if (rows.empty()) {
            CliError(absent);
            return ExitNoDocuments;
        }
        return Print(format, {QStringLiteral("Ключ"), QStringLiteral("Источник")},
                     {QStringLiteral("key"), QStringLiteral("source")}, rows);
    }
    const int dropped = journal.Forget(file);
    if (dropped < 0) {
        CliError(QStringLiteral("Журнал не удалось изменить"));
        return ExitWriteFailed;
    }
    if (dropped == 0) {
        CliError(absent);
        return ExitNoDocuments;
    }
    PrintLine(stdout, QStringLiteral("Запись о выписке '%1' удалена из журнала")
                          .arg(QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath())));
    return StdoutReached() ? ExitDone : ExitWriteFailed;
}
