#include "export/BuildExportFile.h"

#include "export/FormatValue.h"
#include "export/NumberMarks.h"
#include "export/SafeWrite.h"
#include "reading/ColumnMap.h"
#include "settings/INIStorage.h"
#include "text/Cp1251.h"
#include "text/TextCoder.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace {

const QString CrLf = QStringLiteral("\r\n");

QString OrDefault(const QString& text, const QString& fallback) {
    return text.isEmpty() ? fallback : text;
}

QString TrimSpaces(const QString& text) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text[from] == u' ')
        ++from;
    while (to > from && text[to - 1] == u' ')
        --to;
    return text.mid(from, to - from);
}

ExportResult Failed(ExportFailure failure, const QString& what) {
    return {false, what, failure};
}

} // namespace

ExportResult BuildExportFile(const QString& outputPath, const DocumentTable& documents,
                             const QString& templatePath, double exportDateTime,
                             const INIStorage& settings, const TextCoder& coder,
                             FormatSettings& formats) {
    QString readError;
    const std::optional<QString> read = ReadWholeFile(templatePath, &readError);
    if (!read) {
        if (readError.isEmpty())
            readError = QStringLiteral("the file is missing or cannot be read");
        return Failed(ExportFailure::Template,
                      QStringLiteral("cannot read the template '%1': %2")
                          .arg(QDir::toNativeSeparators(templatePath), readError));
    }
    const QString& tpl = *read;

    const QString formatBlock = coder.ReadTag(tpl, QStringLiteral("formats"));
    formats.DecimalSeparator = OrDefault(
        coder.ReadTag(formatBlock, QStringLiteral("decimal_separator")), coder.LocalPoint());
    formats.DateFormat =
        OrDefault(coder.ReadTag(formatBlock, QStringLiteral("date")), QStringLiteral("dd.MM.yyyy"));
    formats.TimeFormat =
        OrDefault(coder.ReadTag(formatBlock, QStringLiteral("time")), QStringLiteral("hh:mm"));

    const NumberMarks marks = NumberMarks::Of(coder);
    auto apply = [&](QString& block, const QString& placeholder, const PlaceholderValue& value) {
        ReplacePlaceholderText(block, placeholder, FormatValue(value, formats, coder, marks));
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
    for (const ColumnDef& column : documents.Columns) {
        QStringList names;
        for (const QString& piece : column.TagList.split(u';'))
            names.append(u'{' + piece + u'}');
        placeholders.push_back(std::move(names));
    }

    const QString documentBlock = coder.ReadTag(tpl, QStringLiteral("document"));
    for (const DocumentRow& row : documents.Rows) {
        if (!row.Checked) continue;
        QString block = documentBlock;
        for (int c = 0; c < int(placeholders.size()); ++c) {
            // A value is formatted once per column; each piece then puts it in, in order, so a
            // value holding a later placeholder is filled in again by that placeholder.
            const QString text = FormatValue(row.ExportValue(c), formats, coder, marks);
            for (const QString& placeholder : placeholders[c])
                ReplacePlaceholderText(block, placeholder, text);
        }
        out += block;
        out += CrLf;
    }
    out += coder.ReadTag(tpl, QStringLiteral("footer"));

    QString writeError;
    if (!WriteFileAtomically(outputPath, Cp1251::Encode(out), ReadOnlyTarget::Replace, &writeError))
        return Failed(ExportFailure::Output,
                      QStringLiteral("cannot save '%1': %2")
                          .arg(QDir::toNativeSeparators(outputPath), writeError));
    if (!QFileInfo::exists(outputPath))
        return Failed(ExportFailure::Output,
                      QStringLiteral("cannot save '%1': the file is not there after writing")
                          .arg(QDir::toNativeSeparators(outputPath)));
    return {true, {}, ExportFailure::None};
}
