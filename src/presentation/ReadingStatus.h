#pragma once

#include <QString>

struct ReadingOutcome;

// Colours of the status line, 0x00BBGGRR as the window's status texts use them.
constexpr qint32 StatusColorUnchanged = -1;
constexpr qint32 StatusColorNeutral = -2; // the window's own text colour: neither good nor bad
constexpr qint32 StatusColorSuccess = 0x008000;
constexpr qint32 StatusColorFailure = 0x0000C0;
// Something was read but not all of it: never the success's green.
constexpr qint32 StatusColorIncomplete = 0x0060C0;

QString ReadSuccessText(qint64 count, const QString& path); // "Успешно прочитано 3 документа в '…'"
QString NotFoundText(const QString& path); // "Не найдено совместимых документов в '…'"
// "Чтение остановлено, прочитаны не все документы: прочитано 12 документов из '…'": a run the
// user cancelled.
QString ReadCancelledText(qint64 count, const QString& path);
// "Прочитано 12 документов, пропущено 3 файла в '…'": files the reading looked at were left out.
QString ReadPartialText(qint64 count, qint64 skipped, const QString& path);
// "в подпапках не читались: 4 файла": documents below the source's top level, which no reading
// takes; neither a problem nor a file left out.
QString OutsideText(qint64 count);

struct ReadingStatus {
    QString Text;
    qint32 Colour = StatusColorFailure;
};
// What the status line says after a reading, as the window and the CLI show it: the success,
// the files left out, the cancel or the not-found text. Made before the rows are taken away;
// shown: the rows the window was handed while reading, which the outcome no longer holds.
ReadingStatus ReadingStatusOf(const ReadingOutcome& outcome, qint64 shown = 0);
