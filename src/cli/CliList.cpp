#include "cli/Cli.h"
#include "cli/CliCommon.h"
#include "cli/CliSafety.h"

#include "checks/DocumentTotals.h"
#include "text/Parallel.h"
#include "text/TextCoder.h"

#include <QSet>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

const QString JsonAmountKey = QStringLiteral("amount");

void Write(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

// The escaped UTF-8 of the texts written last, by where their characters lie: most cells share
// their text with many rows (the same payer, bank, account), and such a text is then escaped
// once. The rows, and so their texts, stay as they are while the listing is written: a place
// holds one text all along.
class EscapedTexts {
public:
    explicit EscapedTexts(CliEscape how) : m_how(how), m_slots(SlotCount) {}

    void Append(std::string& out, const QString& text) {
        if (text.size() > LongestKept) {
            m_scratch.truncate(0);
            AppendEscapedUtf8(m_scratch, text, m_how);
            out.append(m_scratch.constData(), size_t(m_scratch.size()));
            return;
        }
        const auto place = reinterpret_cast<quintptr>(text.constData());
        Slot& slot = m_slots[(place >> 4 ^ place >> 16) % SlotCount];
        if (slot.Place != place || slot.Size != text.size()) {
            m_scratch.truncate(0);
            AppendEscapedUtf8(m_scratch, text, m_how);
            slot.Place = place;
            slot.Size = text.size();
            slot.Bytes.assign(m_scratch.constData(), size_t(m_scratch.size()));
        }
        out += slot.Bytes;
    }

private:
    static constexpr size_t SlotCount = 4096;
    static constexpr qsizetype LongestKept = 64;
    struct Slot {
        quintptr Place = 0;
        qsizetype Size = -1;
        std::string Bytes;
    };
    CliEscape m_how;
    std::vector<Slot> m_slots;
    QByteArray m_scratch;
};

// The rows' lines are made on every core, in UTF-8 as they go, and written in order.
constexpr qsizetype RowsPerPiece = 512;
void WriteRows(
    const std::vector<DocumentRow>& rows, CliEscape how,
    const std::function<void(EscapedTexts& texts, std::string& out, qsizetype r)>& appendRow) {
    MakeInOrder(
        qsizetype(rows.size()), RowsPerPiece,
        [&]() -> BatchMaker {
            return [&, texts = std::make_shared<EscapedTexts>(how),
                    out = std::make_shared<std::string>()](qsizetype from, qsizetype to,
                                                           QByteArray& piece) {
                out->clear();
                for (qsizetype r = from; r < to; ++r)
                    appendRow(*texts, *out, r);
                piece = QByteArray(out->data(), qsizetype(out->size()));
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
    // Each column's key as it goes before its value: ,"key":
    std::vector<QByteArray> keys;
    for (const QString& key : JsonKeys(columns, amountColumn >= 0)) {
        QString text;
        if (!keys.empty()) text += u',';
        AppendJsonString(text, key);
        text += u':';
        keys.push_back(text.toUtf8());
    }
    Write("[");
    WriteRows(rows, CliEscape::Json, [&](EscapedTexts& texts, std::string& out, qsizetype r) {
        const DocumentRow& row = rows[size_t(r)];
        out += r ? ",\n{" : "\n{";
        for (int c = 0; c < int(columns.size()); ++c) {
            out.append(keys[size_t(c)].constData(), size_t(keys[size_t(c)].size()));
            out += '"';
            // The cell's own text, not a copy: texts shared by many rows would have their
            // counts raised and lowered by every core at once.
            texts.Append(out, row.DisplayText(c));
            out += '"';
        }
        if (amountColumn >= 0) {
            const std::optional<qint64> kopecks = AmountKopecks(row.ExportValue(amountColumn));
            out += ",\"" + JsonAmountKey.toStdString() + "\":";
            out += kopecks ? KopecksText(*kopecks, QStringLiteral(".")).toStdString() : "null";
        }
        out += '}';
    });
    Write(rows.empty() ? "]\n" : "\n]\n");
}

void WriteTsv(const ColumnMap& columns, const std::vector<DocumentRow>& rows) {
    const int count = int(columns.size());
    QString header;
    AppendTsvLine(header, count, [&](int c) { return columns[size_t(c)].Caption; });
    Write(header.toUtf8());
    WriteRows(rows, CliEscape::Tsv, [&](EscapedTexts& texts, std::string& out, qsizetype r) {
        const DocumentRow& row = rows[size_t(r)];
        for (int c = 0; c < count; ++c) {
            if (c > 0) out += '\t';
            texts.Append(out, row.DisplayText(c));
        }
        out += '\n';
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
