#include "export/BuildExportFile.h"
#include "checks/DocumentChecks.h"
#include "checks/DocumentTotals.h"

#include "checks/OrganisationAccount.h"
#include "checks/OrganisationSide.h"
#include "export/FormatValue.h"
#include "export/MoneyMove.h"
#include "export/Register.h"
#include "export/StatementSummary.h"
#include "export/ValueFormatter.h"
#include "journal/JournalSave.h"
#include "reading/ColumnMap.h"
#include "settings/INIStorage.h"
#include "text/Cp1251.h"
#include "text/CsvField.h"
#include "text/Parallel.h"
#include "text/SafeWrite.h"
#include "text/TextCoder.h"
#include "text/TrimSpaces.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

const QString CrLf = QStringLiteral("\r\n");

QString OrDefault(const QString& text, const QString& fallback) {
    return text.isEmpty() ? fallback : text;
}

ExportResult Failed(ExportFailure failure, const QString& what) {
    return {false, what, failure, {}};
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

const QString KindName = QStringLiteral("{DocumentKind}");

// The header with each line that holds {DocumentKind} written once for each kind present, in
// their order ("Документ=Платежное поручение", then "Документ=Банковский ордер"): 1C learns from
// them what the statement brings. With no document, no such line.
QString WithKindLines(const QString& header, const QStringList& kinds) {
    QString out;
    qsizetype from = 0;
    for (qsizetype at; (at = header.indexOf(KindName, from, Qt::CaseInsensitive)) >= 0;) {
        const qsizetype start = header.lastIndexOf(u'\n', at) + 1;
        const qsizetype newline = header.indexOf(u'\n', at);
        const qsizetype end = newline < 0 ? header.size() : newline + 1;
        out += QStringView(header).sliced(from, start - from);
        const QString line = header.sliced(start, end - start);
        for (qsizetype k = 0; k < kinds.size(); ++k) {
            out += QString(line).replace(KindName, kinds[k], Qt::CaseInsensitive);
            if (newline < 0 && k + 1 < kinds.size()) out += CrLf;
        }
        from = end;
    }
    return out += QStringView(header).sliced(from);
}

// Whether the template has a header, document or footer block as ReadTag finds one (an empty
// one counts). Without any, the statement would be blank lines reported as a success: more
// likely the wrong file was chosen than an empty statement wanted.
bool HasAnyBlock(const QString& tpl) {
    for (const char* name : {"header", "document", "footer"}) {
        const QString open = u'<' + QLatin1String(name) + u'>';
        const qsizetype at = tpl.indexOf(open);
        if (at >= 0 && tpl.indexOf(QLatin1String("</"), at + open.size()) >= 0) return true;
    }
    return false;
}

// The template's text, or none with why it cannot serve (unreadable, or no block at all): in a
// sentence naming the template, and in the words a finding about it gives.
std::optional<QString> ReadTemplate(const QString& templatePath, QString* problem,
                                    QString* why = nullptr) {
    QString readError;
    const std::optional<QString> read = ReadWholeFile(templatePath, &readError);
    if (!read) {
        // The system's own words come in English: say what happened, keep them as the detail.
        const QString detail =
            !QFileInfo::exists(templatePath) ? QStringLiteral("файл не найден")
            : readError.isEmpty()            ? QStringLiteral("файл не удалось прочитать")
                                  : QStringLiteral("файл не удалось прочитать (%1)").arg(readError);
        *problem = QStringLiteral("Не удалось прочитать шаблон '%1': %2")
                       .arg(QDir::toNativeSeparators(templatePath), detail);
        if (why) *why = QStringLiteral("Не удалось прочитать шаблон: %1").arg(detail);
        return std::nullopt;
    }
    const QString& tpl = *read;
    if (!HasAnyBlock(tpl)) {
        const QString missing = QStringLiteral("не содержит ни одного из блоков <header>, "
                                               "<document>, <footer>: это не шаблон выписки");
        *problem = QStringLiteral("Шаблон '%1' %2")
                       .arg(QDir::toNativeSeparators(templatePath), missing);
        if (why) *why = missing;
        return std::nullopt;
    }
    return read;
}

// Takes the statement's bytes a piece at a time; false when they cannot be kept.
using StatementSink = std::function<bool(const QByteArray& piece)>;

// Builds the statement and hands it on as it is made, in pieces of whole lines: a year of
// documents is a statement of a hundred megabytes, which need not be held whole. Stops at the
// first piece the sink refuses; the sink knows why. The sink is called from this thread only.
ExportResult BuildStatement(const StatementSink& sink, const DocumentTable& documents,
                            const QString& templatePath, double exportDateTime,
                            const INIStorage& settings, const TextCoder& coder,
                            FormatSettings& formats, const ExportProgress& progress) {
    QString problem;
    const std::optional<QString> read = ReadTemplate(templatePath, &problem);
    if (!read) return Failed(ExportFailure::Template, problem);
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
    bool decimalsOk = false;
    const int decimals =
        TrimSpaces(coder.ReadTag(formatBlock, QStringLiteral("decimals"))).toInt(&decimalsOk);
    // A count nobody means (negative, beyond any kopeck) leaves the amounts as written.
    formats.Decimals = decimalsOk && decimals >= 0 && decimals <= 18 ? decimals : -1;
    formats.Csv = TrimSpaces(coder.ReadTag(formatBlock, QStringLiteral("csv"))) == u"1";
    const int amountColumn = AmountColumn(documents.Columns);
    QStringList problems;
    if (formats.Decimals >= 0 && amountColumn >= 0) {
        for (const DocumentRow& row : documents.Rows) {
            if (!row.Checked || !HasExtraDecimals(row.ExportValue(amountColumn), formats)) continue;
            problems << QStringLiteral("'%1': %2 '%3': знаков после запятой больше, чем %4 в "
                                       "шаблоне; записана как есть, без округления")
                            .arg(DocumentName(row.SourcePath),
                                 documents.Columns[size_t(amountColumn)].Caption,
                                 row.ExportValue(amountColumn).trimmed())
                            .arg(formats.Decimals);
        }
    }

    // The header knows three names and the statement's own; like the document block, it is
    // searched in its own text only.
    const double date = std::trunc(exportDateTime);
    const Organisation org = ReadOrganisation(settings);
    QHash<QString, int> headerSlots{{Folded(QStringLiteral("MakeDate")), 0},
                                    {Folded(QStringLiteral("MakeTime")), 1},
                                    {Folded(QStringLiteral("ACC")), 2}};
    std::vector<QString> headerTexts{FormatValue(date, formats),
                                     FormatValue(exportDateTime - date, formats),
                                     FormatValue(org.Account, formats)};
    const StatementSummary statement = SummarizeStatement(documents, org);
    std::vector<NamedText> summary = StatementPlaceholders(statement, exportDateTime, formats);
    // The registers' total lines, one a line, money in and money out apart.
    const OrganisationSide side(documents.Columns, org);
    QStringList totalLines;
    for (const RegisterTotal& total : RegisterTotals(documents, side))
        totalLines << RegisterTotalText(total, formats.DecimalSeparator, {}, {});
    if (!side.Known()) totalLines << DirectionUnknownText;
    if (formats.Csv)
        for (QString& line : totalLines)
            line = CsvField(line);
    summary.push_back({QStringLiteral("DirectionTotals"), totalLines.join(CrLf)});
    AddSlots(headerSlots, headerTexts, summary);
    QString out;
    PlaceholderBlock(WithKindLines(coder.ReadTag(tpl, QStringLiteral("header")), statement.Kinds),
                     headerSlots)
        .Fill(out, headerTexts);
    out += CrLf;
    if (!sink(Cp1251::Encode(out))) return {true, {}, ExportFailure::None, {}};

    // Every piece of every column's tag list names a placeholder ("{" + piece + "}", untrimmed,
    // empty pieces kept); where columns share a piece, the first column fills it.
    // After them, the direction of the money, unless a column fills that name.
    const int columnCount = int(documents.Columns.size());
    QHash<QString, int> columnSlots{{Folded(QStringLiteral("Direction")), columnCount}};
    for (int c = columnCount - 1; c >= 0; --c)
        for (const QString& piece : documents.Columns[size_t(c)].TagList.split(u';'))
            columnSlots.insert(Folded(piece), c);
    // The document's kind and the dates its money moved on follow, likewise.
    const int directionSlot = columnCount, kindSlot = columnCount + 1,
              outgoingSlot = columnCount + 2, incomingSlot = columnCount + 3;
    for (const auto& [name, slot] : {std::pair{QStringLiteral("DocumentKind"), kindSlot},
                                     std::pair{QStringLiteral("OutgoingDate"), outgoingSlot},
                                     std::pair{QStringLiteral("IncomingDate"), incomingSlot}})
        if (!columnSlots.contains(Folded(name))) columnSlots.insert(Folded(name), slot);
    const int kindColumn = KeyedColumn(documents.Columns, u"ВидОплаты");
    const MoneyDates moneyDates(documents.Columns, org);
    const PlaceholderBlock documentBlock(coder.ReadTag(tpl, QStringLiteral("document")),
                                         columnSlots);

    // The documents are made on every core, a few hundred to a piece, and handed on in order.
    constexpr qsizetype RowsPerPiece = 256;
    const auto newMaker = [&]() -> BatchMaker {
        return [&, formatter = ValueFormatter(formats),
                texts = std::vector<QString>(documents.Columns.size() + 4),
                text = QString()](qsizetype from, qsizetype to, QByteArray& piece) mutable {
            text.truncate(0); // keeps its capacity for the next piece
            for (qsizetype r = from; r < to; ++r) {
                const DocumentRow& row = documents.Rows[size_t(r)];
                if (!row.Checked) continue;
                for (int c = 0; c < columnCount; ++c)
                    texts[size_t(c)] = c == amountColumn && formats.Decimals >= 0
                                           ? FormatAmount(row.ExportValue(c), formats)
                                           : formatter.Format(row.ExportValue(c));
                texts[size_t(directionSlot)] = DirectionWord(side.Direction(row));
                texts[size_t(kindSlot)] =
                    DocumentKindOf(kindColumn < 0 ? QString() : row.ExportValue(kindColumn));
                texts[size_t(outgoingSlot)] = formatter.Format(moneyDates.Outgoing(row));
                texts[size_t(incomingSlot)] = formatter.Format(moneyDates.Incoming(row));
                if (formats.Csv)
                    for (QString& t : texts)
                        t = CsvField(t);
                documentBlock.Fill(text, texts);
                text += CrLf;
            }
            piece = Cp1251::Encode(text);
        };
    };
    const qint64 total = qint64(documents.Rows.size());
    qint64 done = 0;
    bool stopped = false;
    const auto counted = [&](const QByteArray& piece) {
        done = std::min(total, done + RowsPerPiece);
        if (progress && !progress(done, total)) {
            stopped = true;
            return false;
        }
        return sink(piece);
    };
    if (progress && !progress(0, total))
        return Failed(ExportFailure::Stopped, ExportStoppedText);
    if (!MakeInOrder(total, RowsPerPiece, newMaker, counted))
        return stopped ? Failed(ExportFailure::Stopped, ExportStoppedText)
                       : ExportResult{true, {}, ExportFailure::None, problems};

    out.truncate(0);
    QHash<QString, int> footerSlots;
    std::vector<QString> footerTexts;
    AddSlots(footerSlots, footerTexts, summary);
    PlaceholderBlock(coder.ReadTag(tpl, QStringLiteral("footer")), footerSlots)
        .Fill(out, footerTexts);
    sink(Cp1251::Encode(out));
    return {true, {}, ExportFailure::None, problems};
}

} // namespace

ExportResult BuildExportBytes(QByteArray& bytes, const DocumentTable& documents,
                              const QString& templatePath, double exportDateTime,
                              const INIStorage& settings, const TextCoder& coder,
                              FormatSettings& formats) {
    bytes.clear();
    return BuildStatement(
        [&](const QByteArray& piece) {
            bytes += piece;
            return true;
        },
        documents, templatePath, exportDateTime, settings, coder, formats, {});
}

ExportResult BuildExportPieces(const std::function<bool(const QByteArray& piece)>& sink,
                               const DocumentTable& documents, const QString& templatePath,
                               double exportDateTime, const INIStorage& settings,
                               const TextCoder& coder, FormatSettings& formats,
                               const ExportProgress& progress) {
    return BuildStatement(sink, documents, templatePath, exportDateTime, settings, coder, formats,
                          progress);
}

ExportResult BuildExportFile(const QString& outputPath, const DocumentTable& documents,
                             const QString& templatePath, double exportDateTime,
                             const INIStorage& settings, const TextCoder& coder,
                             FormatSettings& formats, const ExportProgress& progress,
                             const JournalPlace* journal) {
    JournalSave recorded(journal ? *journal : JournalPlace{}, outputPath, templatePath, documents,
                         ReadOrganisation(settings));
    // The file is opened with the first piece: a template that cannot be read touches nothing.
    AtomicFileWriter writer(outputPath, ReadOnlyTarget::Replace);
    QString writeError;
    bool opened = false;
    const auto write = [&](const QByteArray& piece) {
        if (!opened && !(opened = writer.Open(&writeError))) return false;
        recorded.Add(piece);
        return writer.Write(piece);
    };
    const ExportResult built = BuildStatement(write, documents, templatePath, exportDateTime,
                                              settings, coder, formats, progress);
    if (!built.Ok) return built;
    // A stop that comes after the last document still writes nothing.
    const qint64 total = qint64(documents.Rows.size());
    if (progress && !progress(total, total))
        return Failed(ExportFailure::Stopped, ExportStoppedText);
    if (!opened) write({});
    if (opened) recorded.BeforeRename();
    // After a refused piece the commit gives up and says why.
    const bool committed = opened && writer.Commit(&writeError);
    recorded.AfterRename(committed);
    if (!committed)
        return Failed(ExportFailure::Output,
                      QStringLiteral("Не удалось сохранить '%1': %2")
                          .arg(QDir::toNativeSeparators(outputPath), writeError));
    if (!QFileInfo::exists(outputPath))
        return Failed(ExportFailure::Output,
                      QStringLiteral("Не удалось сохранить '%1': после записи файла нет на месте")
                          .arg(QDir::toNativeSeparators(outputPath)));
    return {true, {}, ExportFailure::None, built.Problems, recorded.Findings(),
            recorded.Recorded()};
}

QString TemplateProblem(const QString& templatePath) {
    QString problem;
    ReadTemplate(templatePath, &problem);
    return problem;
}

std::optional<Finding> TemplateFinding(const QString& templatePath) {
    QString problem;
    QString why;
    if (ReadTemplate(templatePath, &problem, &why)) return std::nullopt;
    return SettingsFinding(QDir::toNativeSeparators(templatePath), why);
}
