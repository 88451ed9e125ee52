#include "export/BuildExportFile.h"

#include "export/FormatValue.h"
#include "export/ValueFormatter.h"
#include "reading/ColumnMap.h"
#include "settings/INIStorage.h"
#include "text/Cp1251.h"
#include "text/SafeWrite.h"
#include "text/TextCoder.h"
#include "text/TrimSpaces.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cmath>

namespace {

const QString CrLf = QStringLiteral("\r\n");

QString OrDefault(const QString& text, const QString& fallback) {
    return text.isEmpty() ? fallback : text;
}

ExportResult Failed(ExportFailure failure, const QString& what) {
    return {false, what, failure};
}

// The key of a placeholder in the slot tables: the name in braces, case-folded.
QString Folded(const QString& name) {
    return (u'{' + name + u'}').toCaseFolded();
}

// Writes what the statement holds so far and empties it. A piece ends after a line break or at
// the end, never inside a character.
void WritePiece(AtomicFileWriter& writer, QString& out) {
    writer.Write(Cp1251::Encode(out));
    out.truncate(0); // keeps its capacity for the next piece
}

} // namespace

ExportResult BuildExportFile(const QString& outputPath, const DocumentTable& documents,
                             const QString& templatePath, double exportDateTime,
                             const INIStorage& settings, const TextCoder& coder,
                             FormatSettings& formats) {
    QString readError;
    const std::optional<QString> read = ReadWholeFile(templatePath, &readError);
    if (!read) {
        // The system's own words come in English: say what happened, keep them as the detail.
        const QString why = !QFileInfo::exists(templatePath) ? QStringLiteral("файл не найден")
                            : readError.isEmpty()
                                ? QStringLiteral("файл не удалось прочитать")
                                : QStringLiteral("файл не удалось прочитать (%1)").arg(readError);
        return Failed(ExportFailure::Template,
                      QStringLiteral("Не удалось прочитать шаблон '%1': %2")
                          .arg(QDir::toNativeSeparators(templatePath), why));
    }
    const QString& tpl = *read;

    const QString formatBlock = coder.ReadTag(tpl, QStringLiteral("formats"));
    // A point when the template names none: the statement must not change with the locale of
    // whoever makes it, and 1C reads amounts with a point.
    formats.DecimalSeparator = OrDefault(
        coder.ReadTag(formatBlock, QStringLiteral("decimal_separator")), QStringLiteral("."));
    formats.DateFormat =
        OrDefault(coder.ReadTag(formatBlock, QStringLiteral("date")), QStringLiteral("dd.MM.yyyy"));
    formats.TimeFormat =
        OrDefault(coder.ReadTag(formatBlock, QStringLiteral("time")), QStringLiteral("hh:mm"));

    formats.AfterColon =
        TrimSpaces(coder.ReadTag(formatBlock, QStringLiteral("after_colon"))) == u"1";

    // The header knows three names; like the document block, it is searched in its own text only.
    const double date = std::trunc(exportDateTime);
    const QString account =
        TrimSpaces(settings.ReadVal(Organization, QStringLiteral("ACC"), QString()).toString());
    const QHash<QString, int> headerSlots{{Folded(QStringLiteral("MakeDate")), 0},
                                          {Folded(QStringLiteral("MakeTime")), 1},
                                          {Folded(QStringLiteral("ACC")), 2}};
    QString out;
    PlaceholderBlock(coder.ReadTag(tpl, QStringLiteral("header")), headerSlots)
        .Fill(out, {FormatValue(date, formats), FormatValue(exportDateTime - date, formats),
                    FormatValue(account, formats)});
    out += CrLf;

    // Every piece of every column's tag list names a placeholder ("{" + piece + "}", untrimmed,
    // empty pieces kept); where columns share a piece, the first column fills it.
    QHash<QString, int> columnSlots;
    for (int c = int(documents.Columns.size()) - 1; c >= 0; --c)
        for (const QString& piece : documents.Columns[size_t(c)].TagList.split(u';'))
            columnSlots.insert(Folded(piece), c);
    const PlaceholderBlock documentBlock(coder.ReadTag(tpl, QStringLiteral("document")),
                                         columnSlots);

    std::vector<QString> texts(documents.Columns.size());
    ValueFormatter formatter(formats);
    // The statement goes to disk as it is made, a piece at a time: a year of documents is a
    // statement of a hundred megabytes.
    QString writeError;
    AtomicFileWriter writer(outputPath, ReadOnlyTarget::Replace);
    const auto cannotSave = [&] {
        return Failed(ExportFailure::Output,
                      QStringLiteral("Не удалось сохранить '%1': %2")
                          .arg(QDir::toNativeSeparators(outputPath), writeError));
    };
    if (!writer.Open(&writeError)) return cannotSave();
    constexpr qsizetype Piece = 1 << 16;
    out.reserve(Piece + documentBlock.Size() * 2);
    for (const DocumentRow& row : documents.Rows) {
        if (!row.Checked) continue;
        for (size_t c = 0; c < texts.size(); ++c)
            texts[c] = formatter.Format(row.ExportValue(int(c)));
        documentBlock.Fill(out, texts);
        out += CrLf;
        if (out.size() >= Piece) WritePiece(writer, out);
    }
    out += coder.ReadTag(tpl, QStringLiteral("footer"));
    WritePiece(writer, out);
    if (!writer.Commit(&writeError)) return cannotSave();
    if (!QFileInfo::exists(outputPath))
        return Failed(ExportFailure::Output,
                      QStringLiteral("Не удалось сохранить '%1': после записи файла нет на месте")
                          .arg(QDir::toNativeSeparators(outputPath)));
    return {true, {}, ExportFailure::None};
}
