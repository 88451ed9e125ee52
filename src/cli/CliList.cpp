#include "cli/Cli.h"
#include "cli/CliCommon.h"

#include "text/TextCoder.h"

#include <cstdio>

namespace {
// One TSV field: the four characters that would break the line structure are escaped.
QString TsvField(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        default:
            out += c;
        }
    }
    return out;
}

void WriteTsvLine(const QStringList& fields) {
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0) line += QLatin1Char('\t');
        line += TsvField(fields.at(i));
    }
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}
} // namespace

int RunList(const QStringList& args) {
    CliOptions options;
    if (!ParseCliOptions(args, {}, &options)) return ExitUsage;
    ColumnMap columns;
    if (!LoadCliColumns(options, &columns)) return ExitUsage;
    const TextCoder coder(options.Locale);
    DocumentTable table{columns, ReadCliSource(options, columns, coder).Rows};

    QStringList fields;
    for (const ColumnDef& column : columns)
        fields << column.Caption;
    WriteTsvLine(fields);
    for (const DocumentRow& row : table.Rows) {
        fields.clear();
        for (int c = 0; c < int(columns.size()); ++c)
            fields << row.DisplayText(c);
        WriteTsvLine(fields);
    }
    std::fflush(stdout);
    if (table.Rows.empty()) return ExitNoDocuments;
    PrintCliChecks(table);
    return ExitDone;
}
