#include "cli/Cli.h"
#include "cli/CliCommon.h"
#include "cli/CliSafety.h"

#include "checks/DocumentTotals.h"
#include "text/Parallel.h"
#include "text/TextCoder.h"

#include <QSet>

#include <cstdio>

namespace {

const QString JsonAmountKey = QStringLiteral("amount");

void Write(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

// The rows' lines are made on every core and written in order.
constexpr qsizetype RowsPerPiece = 512;
void WriteRows(const std::vector<DocumentRow>& rows,
               const std::function<void(QString& out, qsizetype r)>& appendRow) {
    MakeInOrder(
        qsizetype(rows.size()), RowsPerPiece,
        [&]() -> BatchMaker {
            return [&, out = QString()](qsizetype from, qsizetype to, QByteArray& piece) mutable {
                out.truncate(0);
                for (qsizetype r = from; r < to; ++r)
                    appendRow(out, r);
                piece = out.toUtf8();
            };
        },
        [](const QByteArray& piece) {
            // A stop signal while stdout was blocked ends the listing here, not at its end.
            EndIfInterrupted();
            Write(piece);
            return true;
        });
}

// The object keys: the captions, a repeated one numbered " (2)", " (3)", ... so that no column
// hides another; "amount" stays free for the amount as a number when the map has one.
QStringList JsonKeys(const ColumnMap& columns, bool withAmount) {
    QSet<QString> used;
    if (withAmount) used.insert(JsonAmountKey);
    QStringList keys;
    for (const ColumnDef& column : columns) {
        QString key = column.Caption;
        for (int n = 2; used.contains(key); ++n)
            key = QStringLiteral("%1 (%2)").arg(column.Caption).arg(n);
        used.insert(key);
        keys << key;
    }
    return keys;
}

// An array with one object per line, for scripts: the captions with the texts the list shows,
// and the amount again as a number under "amount": exactly, in rubles and kopecks, as the totals
// count it; null when the totals leave it out (no number, a fraction of a kopeck).
void WriteJson(const ColumnMap& columns, const std::vector<DocumentRow>& rows) {
    const int amountColumn = AmountColumn(columns);
    const QStringList keys = JsonKeys(columns, amountColumn >= 0);
    Write("[");
    WriteRows(rows, [&](QString& out, qsizetype r) {
        const DocumentRow& row = rows[size_t(r)];
        out += r ? QStringLiteral(",\n{") : QStringLiteral("\n{");
        for (int c = 0; c < int(columns.size()); ++c) {
            if (c) out += u',';
            AppendJsonString(out, keys[c]);
            out += u':';
            AppendJsonString(out, row.DisplayText(c));
        }
        if (amountColumn >= 0) {
            const std::optional<qint64> kopecks = AmountKopecks(row.ExportValue(amountColumn));
            out += QStringLiteral(",\"%1\":").arg(JsonAmountKey);
            out += kopecks ? KopecksText(*kopecks, QStringLiteral(".")) : QStringLiteral("null");
        }
        out += u'}';
    });
    Write(rows.empty() ? "]\n" : "\n]\n");
}

void WriteTsv(const ColumnMap& columns, const std::vector<DocumentRow>& rows) {
    const int count = int(columns.size());
    QString header;
    AppendTsvLine(header, count, [&](int c) { return columns[size_t(c)].Caption; });
    Write(header.toUtf8());
    WriteRows(rows, [&](QString& out, qsizetype r) {
        // The cell's own text, not a copy: texts shared by many rows would have their counts
        // raised and lowered by every core at once.
        AppendTsvLine(out, count,
                      [&](int c) -> const QString& { return rows[size_t(r)].DisplayText(c); });
    });
}
} // namespace

int RunList(const QStringList& args) {
    CliRun run;
    if (const std::optional<int> exit = run.Parse(QStringLiteral("list"), args)) return *exit;
    const QString format = CliFormat(run.Options);
    if (format.isEmpty()) return ExitUsage;
    if (const std::optional<int> exit = run.Read(RowUse::List)) return *exit;
    const DocumentTable& table = run.Table;

    CliChecks checks(table, CliOrganisation(run.Options));
    if (format == QLatin1String("json"))
        WriteJson(table.Columns, table.Rows);
    else
        WriteTsv(table.Columns, table.Rows);
    EndIfInterrupted();
    if (!StdoutReached()) return ExitWriteFailed;
    if (table.Rows.empty()) return ExitNoDocuments;
    checks.Print();
    return run.End();
}
