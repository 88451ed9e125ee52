#include "export/RegisterXlsx.h"

#include "export/XlsxCells.h"
#include "reading/TempFolders.h"
#include "text/SafeWrite.h"

#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace {

// No column wider than this many characters: a purpose of payment would push the rest away.
constexpr double WidestColumn = 60;

const QString SheetName = QStringLiteral("Реестр");
const QString DirectionCaption = QStringLiteral("Направление");
const QString ProblemsSheetName = QStringLiteral("Замечания");

QByteArray Utf8(const QString& text) {
    return XlsxText(text);
}

double WidthOf(qsizetype characters) {
    // A little more than the characters, for the filter's arrow and the cell's margins.
    return std::min(WidestColumn, double(characters) * 1.1 + 2);
}

// "C7:C46", the cells of a column from one row to another; empty without the column.
QByteArray CellRange(lxw_row_t first, lxw_row_t last, int column) {
    if (column < 0) return {};
    char from[32];
    char to[32];
    lxw_rowcol_to_cell(from, first, lxw_col_t(column));
    lxw_rowcol_to_cell(to, last, lxw_col_t(column));
    return QByteArray(from) + ':' + to;
}

// Closes the workbook if it is still open, so that a failure on the way leaks nothing.
struct WorkbookCloser {
    lxw_workbook* Book = nullptr;
    ~WorkbookCloser() {
        if (Book) workbook_close(Book);
    }
};

// A workbook being made. The library writes a named file and keeps its rows in temporary files;
// both go to a folder of our own (the start-up clean-up removes it after a crash), and the
// finished workbook then replaces the target in one step.
struct WorkbookScratch {
    QTemporaryDir Folder{TempFolderTemplate()};
    QByteArray BookPath;
    WorkbookCloser Closer;
};

// Opens the workbook; false with why when the folder or the library failed.
bool StartWorkbook(WorkbookScratch& scratch, const QString& name, QString* why) {
    if (!scratch.Folder.isValid()) {
        *why = scratch.Folder.errorString();
        return false;
    }
    const QByteArray workPath = QFile::encodeName(scratch.Folder.path());
    scratch.BookPath = QFile::encodeName(scratch.Folder.filePath(name));
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char*>(workPath.constData());
    options.use_zip64 = LXW_TRUE;
    scratch.Closer.Book = workbook_new_opt(scratch.BookPath.constData(), &options);
    if (!scratch.Closer.Book) *why = QStringLiteral("библиотека не создала книгу");
    return scratch.Closer.Book != nullptr;
}

// Closes the workbook and puts its bytes at path, whole or not at all; false with why when the
// library, the reading back or the write failed.
bool FinishWorkbook(WorkbookScratch& scratch, const QString& path, QString* why) {
    XlsxCalls ok;
    if (!ok(workbook_close(std::exchange(scratch.Closer.Book, nullptr)))) {
        *why = ok.Why();
        return false;
    }
    QFile made(QFile::decodeName(scratch.BookPath));
    if (!made.open(QIODevice::ReadOnly)) {
        *why = made.errorString();
        return false;
    }
    const QByteArray bytes = made.readAll();
    made.close();
    return WriteFileAtomically(path, bytes, ReadOnlyTarget::Replace, why);
}

// The sheet "Замечания": the findings in the problems list's columns, every cell text. Empty,
// or why the library refused a cell.
QString AddFindingsSheet(lxw_workbook* book, const FindingList& findings, lxw_format* bold,
                         lxw_format* text) {
    lxw_worksheet* notes = workbook_add_worksheet(book, ProblemsSheetName.toUtf8().constData());
    if (!notes) return QStringLiteral("библиотека не создала лист");
    XlsxCalls ok;
    const QStringList& captions = FindingCaptions();
    const auto last = lxw_col_t(captions.size() - 1);
    for (int c = 0; c < int(captions.size()); ++c) {
        qsizetype widest = captions[c].size();
        for (const Finding& finding : findings)
            widest = std::max(widest, FindingField(finding, c).size());
        ok(worksheet_set_column(notes, lxw_col_t(c), lxw_col_t(c), WidthOf(widest), nullptr));
    }
    worksheet_freeze_panes(notes, 1, 0);
    ok(worksheet_autofilter(notes, 0, 0, lxw_row_t(findings.size()), last));
    for (int c = 0; c < int(captions.size()); ++c)
        ok(worksheet_write_string(notes, 0, lxw_col_t(c), Utf8(captions[c]), bold));
    lxw_row_t n = 0;
    for (const Finding& finding : findings) {
        ++n;
        for (int c = 0; c < int(captions.size()); ++c) {
            // Values stay text: an account or a number with a leading zero keeps its digits.
            const QString field = FindingField(finding, c);
            if (field.isEmpty()) continue;
            if (!ok(worksheet_write_string(notes, n, lxw_col_t(c), Utf8(field), text)))
                return ok.Why();
        }
    }
    return ok.Ok() ? QString() : ok.Why();
}

} // namespace

ExportResult WriteRegisterXlsx(const QString& path, const DocumentTable& table,
                               const RegisterHeading& heading, const FindingList& findings,
                               const ExportProgress& progress) {
    const auto failed = [&](const QString& why) { return RegisterFailure(path, why); };
    const ExportResult stopped{false, ExportStoppedText, ExportFailure::Stopped, {}};
    // Refused before any work: the library would fail only at the row past the limit.
    const qint64 checked = std::count_if(table.Rows.cbegin(), table.Rows.cend(),
                                         [](const DocumentRow& row) { return row.Checked; });
    for (const qint64 rows : {checked + 2, qint64(findings.size()) + 1})
        if (const QString why = XlsxRowsProblem(rows); !why.isEmpty()) return failed(why);
    WorkbookScratch scratch;
    QString why;
    if (!StartWorkbook(scratch, QStringLiteral("register.xlsx"), &why)) return failed(why);
    lxw_workbook* book = scratch.Closer.Book;
    XlsxCalls ok; // every return code counts: a sheet without its totals is no register

    QByteArray title = RegisterTitle.toUtf8();
    QByteArray author = heading.Organisation.toUtf8();
    lxw_doc_properties properties{};
    properties.title = title.data();
    properties.author = author.isEmpty() ? nullptr : author.data();
    properties.created = heading.Created.isValid() ? time_t(heading.Created.toSecsSinceEpoch()) : 0;
    ok(workbook_set_properties(book, &properties));

    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);
    lxw_format* money = workbook_add_format(book);
    format_set_num_format(money, "#,##0.00");
    lxw_format* boldMoney = workbook_add_format(book);
    format_set_num_format(boldMoney, "#,##0.00");
    format_set_bold(boldMoney);
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "dd.mm.yyyy");
    lxw_format* text = workbook_add_format(book);
    format_set_num_format(text, "@");

    lxw_format* titleFormat = workbook_add_format(book);
    format_set_bold(titleFormat);
    format_set_font_size(titleFormat, 14);

    lxw_worksheet* sheet = workbook_add_worksheet(book, SheetName.toUtf8().constData());
    if (!sheet) return failed(QStringLiteral("библиотека не создала лист"));
    const OrganisationSide side(table.Columns, heading.Side);
    const int amount = AmountColumn(table.Columns);
    // The direction of the money goes last, when the organisation's side is known.
    const int columns = int(table.Columns.size()) + (heading.SideKnown ? 1 : 0);
    const int directionColumn = heading.SideKnown ? columns - 1 : -1;
    const auto caption = [&](int c) {
        return c == directionColumn ? DirectionCaption : table.Columns[size_t(c)].Caption;
    };

    // Widths first: the library cannot fit a column to its texts.
    std::vector<qsizetype> widths(static_cast<size_t>(columns));
    lxw_row_t rows = 0;
    for (int c = 0; c < columns; ++c)
        widths[size_t(c)] = caption(c).size();
    if (directionColumn >= 0)
        widths[size_t(directionColumn)] = std::max(widths[size_t(directionColumn)],
                                                   DirectionWord(MoneyDirection::Incoming).size());
    for (const DocumentRow& row : table.Rows) {
        if (!row.Checked) continue;
        ++rows;
        for (int c = 0; c < int(table.Columns.size()); ++c) {
            const QString value = row.ExportValue(c).trimmed();
            qsizetype size = value.size();
            switch (RegisterCellKind(table.Columns[size_t(c)], value)) {
            case RegisterCell::Amount:
                size += size / 3 + 3; // digit groups and two decimals
                break;
            case RegisterCell::Date:
                size = 10;
                break;
            default:
                break;
            }
            widths[size_t(c)] = std::max(widths[size_t(c)], size);
        }
    }
    if (columns > 0)
        for (const RegisterTotal& total : heading.TotalLines)
            widths[0] = std::max(widths[0], RegisterCountText(total).size());
    for (int c = 0; c < columns; ++c)
        ok(worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), WidthOf(widths[size_t(c)]),
                                nullptr));

    // Above the table, what a reader of a printed sheet needs: whose payments, over which days,
    // made when.
    QStringList above{RegisterTitle};
    for (const QString& line :
         {RegisterOrganisationText(heading), RegisterPeriodText(heading),
          heading.Created.isValid() ? RegisterCreatedText(heading.Created) : QString()})
        if (!line.isEmpty()) above << line;
    const lxw_row_t headerRow = lxw_row_t(above.size()) + 1; // a blank row between
    const lxw_row_t firstRow = headerRow + 1;
    // Every row the sheet needs, heading and totals included, before any is written.
    if (const QString why =
            XlsxRowsProblem(qint64(firstRow) + rows + qint64(heading.TotalLines.size()) +
                            (heading.SideKnown ? 0 : 1));
        !why.isEmpty())
        return failed(why);

    // Print set-up: landscape A4, one page wide, the header row on every page, numbered pages.
    worksheet_set_landscape(sheet);
    worksheet_set_paper(sheet, 9);
    worksheet_fit_to_pages(sheet, 1, 0);
    ok(worksheet_repeat_rows(sheet, headerRow, headerRow));
    ok(worksheet_set_footer(sheet, "&CСтр. &P из &N"));

    // The rows go to disk as they are made, and the library refuses a range over rows it has let
    // go: the filter is set before them.
    worksheet_freeze_panes(sheet, firstRow, 0);
    if (columns > 0)
        ok(worksheet_autofilter(sheet, headerRow, 0, headerRow + rows, lxw_col_t(columns - 1)));

    for (qsizetype i = 0; i < above.size(); ++i)
        ok(worksheet_write_string(sheet, lxw_row_t(i), 0, Utf8(above[i]),
                                  i == 0 ? titleFormat : nullptr));
    for (int c = 0; c < columns; ++c)
        ok(worksheet_write_string(sheet, headerRow, lxw_col_t(c), Utf8(caption(c)), bold));
    lxw_row_t r = headerRow;
    std::map<MoneyDirection, qint64> textAmounts;
    for (const DocumentRow& row : table.Rows) {
        if (!row.Checked) continue;
        if (progress && (r - headerRow) % 256 == 0 && !progress(r - headerRow, rows))
            return stopped;
        ++r;
        const MoneyDirection direction =
            heading.SideKnown ? side.Direction(row) : MoneyDirection::Other;
        if (directionColumn >= 0 && direction != MoneyDirection::Other)
            ok(worksheet_write_string(sheet, r, lxw_col_t(directionColumn),
                                      Utf8(DirectionWord(direction)), text));
        for (int c = 0; c < int(table.Columns.size()); ++c) {
            const ColumnDef& column = table.Columns[size_t(c)];
            const QString value = row.ExportValue(c).trimmed();
            lxw_error error = LXW_NO_ERROR;
            switch (RegisterCellKind(column, value)) {
            case RegisterCell::Amount:
                error = worksheet_write_number(sheet, r, lxw_col_t(c),
                                               double(*RegisterAmount(value)) / 100.0, money);
                break;
            case RegisterCell::Date: {
                const QDate day = *RegisterDate(column, value);
                lxw_datetime when{day.year(), day.month(), day.day(), 0, 0, 0};
                error = worksheet_write_datetime(sheet, r, lxw_col_t(c), &when, date);
                break;
            }
            case RegisterCell::Number:
                error = worksheet_write_number(sheet, r, lxw_col_t(c), value.toDouble(), nullptr);
                break;
            case RegisterCell::Text:
                if (c == amount) ++textAmounts[direction];
                if (!value.isEmpty())
                    error = worksheet_write_string(sheet, r, lxw_col_t(c), Utf8(value), text);
                break;
            }
            if (!ok(error)) return failed(ok.Why());
        }
    }

    // The totals: a sum Excel keeps up to date (over the direction column when there is one),
    // its cached value the exact total; no sum at all when an amount stays out of it, so that
    // nobody takes a partial sum for the total.
    lxw_row_t totalRow = r;
    if (columns > 0) {
        // The count goes first, unless the amounts themselves are the first column.
        const int countColumn = amount == 0 && columns > 1 ? 1 : 0;
        const QByteArray amounts = CellRange(firstRow, r, amount);
        const QByteArray directions = CellRange(firstRow, r, directionColumn);
        for (const RegisterTotal& total : heading.TotalLines) {
            ++totalRow;
            ok(worksheet_write_string(sheet, totalRow, lxw_col_t(countColumn),
                                      Utf8(RegisterCountText(total)), bold));
            if (amount < 0 || amount == countColumn) continue;
            qint64 uncounted = total.Uncounted;
            for (const auto& [direction, count] : textAmounts)
                if (!total.Direction || *total.Direction == direction)
                    uncounted = std::max(uncounted, count);
            lxw_error error = LXW_NO_ERROR;
            if (uncounted > 0) {
                error = worksheet_write_string(
                    sheet, totalRow, lxw_col_t(amount),
                    Utf8(QStringLiteral("не учтено сумм: %1").arg(uncounted)), bold);
            } else if (r > headerRow) {
                const QByteArray formula = total.Direction
                                               ? "=SUMIF(" + directions + ",\"" +
                                                     DirectionWord(*total.Direction).toUtf8() +
                                                     "\"," + amounts + ')'
                                               : "=SUM(" + amounts + ')';
                error = worksheet_write_formula_num(sheet, totalRow, lxw_col_t(amount),
                                                    formula.constData(), boldMoney,
                                                    double(total.Kopecks) / 100.0);
            }
            if (!ok(error)) return failed(ok.Why());
        }
        if (!heading.SideKnown)
            ok(worksheet_write_string(sheet, ++totalRow, lxw_col_t(countColumn),
                                      Utf8(DirectionUnknownText), nullptr));
    }
    if (!findings.empty())
        if (const QString why = AddFindingsSheet(book, findings, bold, text); !why.isEmpty())
            return failed(why);

    if (!ok.Ok()) return failed(ok.Why());
    if (progress && !progress(rows, rows)) return stopped;
    if (!FinishWorkbook(scratch, path, &why)) return failed(why);
    return {true, {}, ExportFailure::None, {}};
}

ExportResult WriteFindingsXlsx(const QString& path, const FindingList& findings) {
    const auto failed = [&](const QString& why) {
        return ExportResult{false,
                            QStringLiteral("Не удалось записать '%1': %2").arg(path, why),
                            ExportFailure::Output,
                            {}};
    };
    if (const QString why = XlsxRowsProblem(qint64(findings.size()) + 1); !why.isEmpty())
        return failed(why);
    WorkbookScratch scratch;
    QString why;
    if (!StartWorkbook(scratch, QStringLiteral("findings.xlsx"), &why)) return failed(why);
    lxw_workbook* book = scratch.Closer.Book;
    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);
    lxw_format* text = workbook_add_format(book);
    format_set_num_format(text, "@");
    if (why = AddFindingsSheet(book, findings, bold, text); !why.isEmpty()) return failed(why);
    if (!FinishWorkbook(scratch, path, &why)) return failed(why);
    return {true, {}, ExportFailure::None, {}};
}
