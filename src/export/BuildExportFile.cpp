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

bool HasBrace(const QString& text) {
    return text.contains(u'{') || text.contains(u'}');
}

// "{x{Номер}}": once {Номер} is filled, the outer braces may make a placeholder of another
// column around the value. Only the column-by-column fill sees that.
bool HasNestedOpenBrace(const QString& block) {
    bool open = false;
    for (const QChar c : block) {
        if (c == u'{') {
            if (open) return true;
            open = true;
        } else if (c == u'}') {
            open = false;
        }
    }
    return false;
}

// The usual row: no value and no placeholder name holds a brace. Then no value can make or hide
// a placeholder, and filling the block column by column comes to this: every "{name}" of the
// block gets the value of the first column that has the name. One pass instead of one per piece.
void FillInOnePass(QString& out, const QString& block, const QHash<QString, int>& firstColumn,
                   const std::vector<QString>& texts) {
    qsizetype from = 0;
    for (qsizetype open = block.indexOf(u'{'); open >= 0; open = block.indexOf(u'{', open + 1)) {
        const qsizetype close = block.indexOf(u'}', open + 1);
        if (close < 0) break;
        const auto found = firstColumn.constFind(block.mid(open, close - open + 1).toCaseFolded());
        if (found == firstColumn.cend()) continue;
        out += QStringView(block).mid(from, open - from);
        out += texts[size_t(*found)];
        from = close + 1;
        open = close;
    }
    out += QStringView(block).mid(from);
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

    auto apply = [&](QString& block, const QString& placeholder, const PlaceholderValue& value) {
        ReplacePlaceholderText(block, placeholder, FormatValue(value, formats));
    };

    QString header = coder.ReadTag(tpl, QStringLiteral("header"));
    const double date = std::trunc(exportDateTime);
    apply(header, QStringLiteral("{MakeDate}"), date);
    apply(header, QStringLiteral("{MakeTime}"), exportDateTime - date);
    const QString account =
        TrimSpaces(settings.ReadVal(Organization, QStringLiteral("ACC"), QString()).toString());
    apply(header, QStringLiteral("{ACC}"), account);

    QString out = header + CrLf;

    // The placeholders of every column, worked out once: "{" + piece + "}" for each piece of
    // its tag list, untrimmed, empty pieces kept.
    std::vector<QStringList> placeholders;
    placeholders.reserve(documents.Columns.size());
    QHash<QString, int> firstColumn; // case-folded placeholder -> first column that has it
    bool bracesOnlyAround = true;
    for (const ColumnDef& column : documents.Columns) {
        QStringList names;
        for (const QString& piece : column.TagList.split(u';')) {
            names.append(u'{' + piece + u'}');
            bracesOnlyAround = bracesOnlyAround && !HasBrace(piece);
        }
        placeholders.push_back(std::move(names));
    }
    // Where columns share a name the first one fills it: insert from the last column to the
    // first, so the first one's entry stays.
    for (int c = int(placeholders.size()) - 1; c >= 0; --c)
        for (const QString& name : std::as_const(placeholders[size_t(c)]))
            firstColumn.insert(name.toCaseFolded(), c);

    const QString documentBlock = coder.ReadTag(tpl, QStringLiteral("document"));
    bracesOnlyAround = bracesOnlyAround && !HasNestedOpenBrace(documentBlock);
    std::vector<QString> texts(placeholders.size());
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
    out.reserve(Piece + documentBlock.size() * 2);
    for (const DocumentRow& row : documents.Rows) {
        if (!row.Checked) continue;
        bool plain = bracesOnlyAround;
        for (size_t c = 0; c < placeholders.size(); ++c) {
            texts[c] = formatter.Format(row.ExportValue(int(c)));
            plain = plain && !HasBrace(texts[c]);
        }
        if (plain) {
            FillInOnePass(out, documentBlock, firstColumn, texts);
        } else {
            // Column by column, piece by piece: a value holding the placeholder of a later
            // column is filled in again by that column.
            QString block = documentBlock;
            for (size_t c = 0; c < placeholders.size(); ++c)
                for (const QString& placeholder : std::as_const(placeholders[c]))
                    ReplacePlaceholderText(block, placeholder, texts[c]);
            out += block;
        }
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
