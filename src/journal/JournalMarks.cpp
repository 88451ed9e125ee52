#include "journal/JournalMarks.h"

#include "checks/DocumentKey.h"
#include "journal/Journal.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

QString ExportedWhere(const QString& file, const QDateTime& time) {
    return QStringLiteral("'%1' от %2")
        .arg(QFileInfo(file).fileName(),
             time.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm")));
}

std::pair<QString, QString> ExportedTexts(const QString& where) {
    return {where, QStringLiteral("уже выгружен в выписке %1").arg(where)};
}

FindingRows MarkExported(const JournalPlace& place, const DocumentTable& table,
                         DocumentChecks& checks) {
    checks.Exported.clear();
    if (place.Type == JournalPlace::Kind::Off) {
        checks.JournalProblem = QStringLiteral("журнал выгрузок не ведется");
        return {};
    }
    Journal journal(place);
    FindingList found = journal.Findings();
    checks.JournalProblem = journal.State() == JournalState::Ready ? QString() : journal.Problem();
    const DocumentKeys keys(table.Columns);
    QHash<QString, QString> dates;
    // The documents of one save share its texts: a hundred thousand marks would otherwise hold
    // a hundred thousand copies of the same few words.
    QHash<std::pair<QString, qint64>, std::pair<QString, QString>> said;
    std::vector<std::pair<QString, std::pair<QString, QString>>> marks;
    // The keys of a slice of rows at a time: a hundred thousand of them at once were a tenth of
    // the window's memory at the end of a reading.
    constexpr std::size_t Slice = 4000;
    for (std::size_t from = 0; from < table.Rows.size(); from += Slice) {
        const std::size_t to = std::min(table.Rows.size(), from + Slice);
        QStringList asked;
        std::vector<QString> rowKeys;
        rowKeys.reserve(to - from);
        for (std::size_t r = from; r < to; ++r) {
            rowKeys.push_back(keys.Key(table.Rows[r], &dates));
            if (!rowKeys.back().isEmpty()) asked << rowKeys.back();
        }
        const QHash<QString, JournalMark> exported = journal.Exported(asked);
        for (std::size_t r = from; r < to && !exported.isEmpty(); ++r) {
            const auto mark = exported.constFind(rowKeys[r - from]);
            if (mark == exported.cend()) continue;
            const std::pair<QString, qint64> save{mark->File, mark->Time.toMSecsSinceEpoch()};
            auto texts = said.find(save);
            if (texts == said.end())
                texts = said.insert(save, ExportedTexts(ExportedWhere(mark->File, mark->Time)));
            marks.emplace_back(table.Rows[r].SourcePath, *texts);
        }
    }
    if (marks.empty()) return found;
    checks.Exported.Add(marks);
    // The problems list's rows, in the table's order.
    std::vector<std::uint32_t> documents;
    documents.reserve(marks.size());
    for (const auto& each : marks)
        documents.push_back(std::uint32_t(checks.Exported.Find(each.first)));
    FindingRows rows;
    rows.SetExported(checks.Exported, std::move(documents));
    Finding count;
    count.Kind = FindingKind::Exported;
    count.File = QDir::toNativeSeparators(QFileInfo(journal.Place().Where).fileName());
    count.Why = QStringLiteral("Уже выгружено документов: %1 из %2 (по журналу выгрузок)")
                    .arg(rows.size())
                    .arg(table.Rows.size());
    found.push_back(std::move(count));
    rows.Whole() = std::move(found);
    return rows;
}
