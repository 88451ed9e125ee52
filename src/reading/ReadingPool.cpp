#include "reading/ReadingPool.h"

bool Stopped(ReadingCancel cancel) {
    return cancel && cancel->load(std::memory_order_relaxed);
}

void Take(const QString& path, std::optional<DocumentRow> row, const QString& problem,
          FindingList findings, ReadingOutcome* outcome, ReadingCancel cancel) {
    if (!row && Stopped(cancel)) return;
    if (!row && findings.empty()) findings.push_back(FileFinding(FindingKind::Skipped, path, {}));
    for (Finding& finding : findings) {
        if (row) finding.SourcePath = path;
        outcome->Findings.push_back(std::move(finding));
    }
    if (row)
        outcome->Rows.push_back(std::move(*row));
    else
        outcome->Skipped << path;
    if (!problem.isEmpty())
        outcome->Problems << problem.split(u'\n');
    else if (!row)
        outcome->Problems << QStringLiteral("Файл '%1' пропущен").arg(path);
}

qint64 KeptBytes(const DocumentRow& row) {
    constexpr qsizetype Short = 64;
    qint64 kept = 0;
    for (const DocumentCell& cell : row.Cells) {
        if (cell.RawValue().size() > Short) kept += cell.RawValue().size() * 2;
        if (cell.DisplayText().size() > Short && !cell.DisplayText().isSharedWith(cell.RawValue()))
            kept += cell.DisplayText().size() * 2;
    }
    return kept;
}

void SayFull(const ReadingPool& pool, const QString& source, ReadingOutcome* outcome) {
    if (!pool.Full() || pool.OutOfMemory()) return;
    const QString why = QStringLiteral("содержат больше %1 МБ длинных значений; чтение "
                                       "остановлено, прочитанное оставлено")
                            .arg(QString::number(double(pool.KeptBudget()) / (1 << 20)));
    outcome->Problems << QStringLiteral("Документы в '%1' %2").arg(source, why);
    outcome->Findings.push_back(FileFinding(FindingKind::Unread, source, why));
}
