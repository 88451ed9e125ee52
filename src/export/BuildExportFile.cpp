#include "export/BuildExportFile.h"

#include "export/FormatValue.h"
#include "export/StatementSummary.h"
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

// Gives each named text a slot of its own after the block's other ones.
void AddSlots(QHash<QString, int>& slotOf, std::vector<QString>& texts,
              const std::vector<NamedText>& named) {
    for (const NamedText& n : named) {
        slotOf.insert(Folded(n.Name), int(texts.size()));
        texts.push_back(n.Text);
    }
}

} // namespace

ExportResult BuildExportBytes(QByteArray& bytes, const DocumentTable& documents,
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

    // The header knows three names and the statement's own; like the document block, it is
    // searched in its own text only.
    const double date = std::trunc(exportDateTime);
    const QString account =
        TrimSpaces(settings.ReadVal(Organization, QStringLiteral("ACC"), QString()).toString());
    QHash<QString, int> headerSlots{{Folded(QStringLiteral("MakeDate")), 0},
                                    {Folded(QStringLiteral("MakeTime")), 1},
                                    {Folded(QStringLiteral("ACC")), 2}};
    std::vector<QString> headerTexts{FormatValue(date, formats),
                                     FormatValue(exportDateTime - date, formats),
                                     FormatValue(account, formats)};
    const std::vector<NamedText> summary =
        StatementPlaceholders(SummarizeStatement(documents), exportDateTime, formats);
    AddSlots(headerSlots, headerTexts, summary);
    QString out;
    PlaceholderBlock(coder.ReadTag(tpl, QStringLiteral("header")), headerSlots)
        .Fill(out, headerTexts);
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
    // One allocation for the usual statement instead of a copy each time it outgrows itself.
    const qsizetype checked = std::count_if(documents.Rows.begin(), documents.Rows.end(),
                                            [](const DocumentRow& row) { return row.Checked; });
    out.reserve(out.size() + checked * (documentBlock.Size() + 2) * 5 / 4 + 1024);
    for (const DocumentRow& row : documents.Rows) {
        if (!row.Checked) continue;
        for (size_t c = 0; c < texts.size(); ++c)
            texts[c] = FormatValue(row.ExportValue(int(c)), formats);
        documentBlock.Fill(out, texts);
        out += CrLf;
    }
    QHash<QString, int> footerSlots;
    std::vector<QString> footerTexts;
    AddSlots(footerSlots, footerTexts, summary);
    PlaceholderBlock(coder.ReadTag(tpl, QStringLiteral("footer")), footerSlots)
        .Fill(out, footerTexts);
    bytes = Cp1251::Encode(out);
    return {true, {}, ExportFailure::None};
}

ExportResult BuildExportFile(const QString& outputPath, const DocumentTable& documents,
                             const QString& templatePath, double exportDateTime,
                             const INIStorage& settings, const TextCoder& coder,
                             FormatSettings& formats) {
    QByteArray bytes;
    const ExportResult built =
        BuildExportBytes(bytes, documents, templatePath, exportDateTime, settings, coder, formats);
    if (!built.Ok) return built;
    QString writeError;
    if (!WriteFileAtomically(outputPath, bytes, ReadOnlyTarget::Replace, &writeError))
        return Failed(ExportFailure::Output,
                      QStringLiteral("Не удалось сохранить '%1': %2")
                          .arg(QDir::toNativeSeparators(outputPath), writeError));
    if (!QFileInfo::exists(outputPath))
        return Failed(ExportFailure::Output,
                      QStringLiteral("Не удалось сохранить '%1': после записи файла нет на месте")
                          .arg(QDir::toNativeSeparators(outputPath)));
    return {true, {}, ExportFailure::None};
}
