#include "presentation/ReadingStatus.h"

#include "reading/ReadingRun.h"
#include "text/PluralForm.h"

QString ReadSuccessText(qint64 count, const QString& path) {
    return QStringLiteral("Успешно ") + PluralForm(QStringLiteral("прочитан"), count, 0) +
           QLatin1Char(' ') + QString::number(count) + QLatin1Char(' ') +
           PluralForm(QStringLiteral("документ"), count, 2) + QStringLiteral(" в '") + path +
           QLatin1Char('\'');
}

namespace {
// "прочитано 12 документов"
QString CountText(const QString& participle, qint64 count, const QString& noun) {
    return PluralForm(participle, count, 0) + QLatin1Char(' ') + QString::number(count) +
           QLatin1Char(' ') + PluralForm(noun, count, 2);
}
} // namespace

QString ReadCancelledText(qint64 count, const QString& path) {
    return QStringLiteral("Чтение остановлено, прочитаны не все документы: ") +
           CountText(QStringLiteral("прочитан"), count, QStringLiteral("документ")) +
           QStringLiteral(" из '") + path + QLatin1Char('\'');
}

QString ReadPartialText(qint64 count, qint64 skipped, const QString& path) {
    return CountText(QStringLiteral("Прочитан"), count, QStringLiteral("документ")) +
           QStringLiteral(", ") +
           CountText(QStringLiteral("пропущен"), skipped, QStringLiteral("файл")) +
           QStringLiteral(" в '") + path + QLatin1Char('\'');
}

QString OutsideText(qint64 count) {
    return QStringLiteral("в подпапках не читались: %1 ")
        .arg(count)
        .append(PluralForm(QStringLiteral("файл"), count, 2));
}

QString NotFoundText(const QString& path) {
    return QStringLiteral("Не найдено совместимых документов в '") + path + QLatin1Char('\'');
}

ReadingStatus ReadingStatusOf(const ReadingOutcome& outcome, qint64 shown) {
    const qint64 rows = shown + qint64(outcome.Rows.size());
    const QString& path = outcome.Source;
    // The user stopped it: say so, with what was read, even when that is nothing.
    if (outcome.Cancelled)
        return {ReadCancelledText(rows, path),
                rows == 0 ? StatusColorFailure : StatusColorIncomplete};
    // A file left out must not pass for a whole reading.
    if (rows > 0 && !outcome.Skipped.isEmpty())
        return {ReadPartialText(rows, outcome.Skipped.size(), path), StatusColorIncomplete};
    if (rows > 0) return {ReadSuccessText(rows, path), StatusColorSuccess};
    return {NotFoundText(path), StatusColorFailure};
}
