// The list's search and quick filters, the filtered totals line, and the column settings kept
// in USER.INI.
#include "presentation/DocumentFilter.h"
#include "presentation/WidthSample.h"
#include "settings/INIStorage.h"
#include "settings/ListColumns.h"

#include <QtTest>
#include "TestMain.h"

using namespace Qt::StringLiterals;

namespace {

// Rows of "number|payer|amount as shown"; every row checked unless its number starts with "-".
DocumentTable Table(const QStringList& rows) {
    DocumentTable table;
    table.Columns = {{u"Номер"_s, u"Номер;N"_s},
                     {u"Плательщик"_s, u"Плательщик1;P"_s},
                     {u"Сумма"_s, u"Сумма;S"_s}};
    for (const QString& line : rows) {
        DocumentRow row;
        row.SourcePath = u"/in/"_s + line.section(u'|', 0, 0) + u".xml"_s;
        row.Checked = !line.startsWith(u'-');
        for (const QString& value : line.split(u'|'))
            row.Cells.push_back({value, value});
        // The amount as its sender wrote it: "18000,00".
        const QString shown = row.Cells.back().DisplayText();
        row.Cells.back() = {shown, QString(shown).remove(u'₽').remove(u' ').remove(u'\u00A0')};
        table.Rows.push_back(row);
    }
    return table;
}

QString Shown(DocumentFilter& filter, const DocumentTable& table, const DocumentChecks& checks) {
    QStringList numbers;
    for (std::size_t r = 0; r < table.Rows.size(); ++r)
        if (filter.Accepts(table, checks, r)) numbers << table.Rows[r].DisplayText(0);
    return numbers.join(u' ');
}

const QStringList Rows = {
    u"1|ООО «Звёздочка»|18 000,00 ₽"_s, u"2|ИП Семёнов|500,00 ₽"_s,
    u"-3|ЗАО Ромашка|18 000,50 ₽"_s, u"4|ооо звездочка|1,00 ₽"_s,
    u"-5|Семенов А.|7,00 ₽"_s};

} // namespace

class TestDocumentFilter : public QObject {
    Q_OBJECT
private slots:
    void filter_data() {
        AddColumns<QString, int, QString>({"search", "quick", "shown"});
        const auto row = [](const char* name, const QString& search, QuickFilter quick,
                            const char* shown) {
            QTest::newRow(name) << search << int(quick) << QString::fromUtf8(shown);
        };
        row("nothing typed", {}, QuickFilter::All, "1 2 -3 4 -5");
        row("any letter case", u"ЗВЕЗД"_s, QuickFilter::All, "1 4");
        row("ё typed as е", u"семенов"_s, QuickFilter::All, "2 -5");
        row("е typed as ё", u"Звёздочка"_s, QuickFilter::All, "1 4");
        row("plain space finds the amount's no-break one", u"18 000"_s, QuickFilter::All, "1 -3");
        row("any column", u"7,0"_s, QuickFilter::All, "-5");
        row("inside a word", u"машк"_s, QuickFilter::All, "-3");
        row("no match", u"Лютик"_s, QuickFilter::All, "");
        row("an amount as 1C writes it", u"18000.50"_s, QuickFilter::All, "-3");
        row("an amount with a comma", u"18000,00"_s, QuickFilter::All, "1");
        row("an amount with blanks", u"18 000.5"_s, QuickFilter::All, "-3");
        row("a third decimal: no amount", u"18000,005"_s, QuickFilter::All, "");
        row("checked", {}, QuickFilter::Checked, "1 2 4");
        row("unchecked", {}, QuickFilter::Unchecked, "-3 -5");
        row("unchecked and typed", u"семен"_s, QuickFilter::Unchecked, "-5");
        row("with problems", {}, QuickFilter::WithProblems, "2 -3 4");
        row("duplicates", {}, QuickFilter::Duplicates, "2 4");
        row("duplicates and typed", u"ооо"_s, QuickFilter::Duplicates, "4");
    }
    void filter() {
        QFETCH(QString, search);
        QFETCH(int, quick);
        QFETCH(QString, shown);
        // The amounts are shown as ru_RU shows them: digits grouped by no-break spaces.
        QStringList rows = Rows;
        for (QString& r : rows)
            r.replace(u"18 000"_s, u"18\u00A0000"_s);
        const DocumentTable table = Table(rows);
        DocumentChecks checks;
        checks.Cells.insert(u"/in/-3.xml"_s, {{1, u"ИНН"_s}});
        checks.DuplicateGroups = {{u"/in/2.xml"_s, u"/in/4.xml"_s}};
        checks.DuplicateGroupOf = {{u"/in/2.xml"_s, 0}, {u"/in/4.xml"_s, 0}};
        DocumentFilter filter;
        filter.SetSearch(search);
        filter.SetQuick(QuickFilter(quick));
        QCOMPARE(Shown(filter, table, checks), shown);
    }

    // Rows sorted or read anew are indexed again; a search cleared leaves the filter idle.
    void typingAndNewRows() {
        DocumentTable table = Table(Rows);
        const DocumentChecks none;
        DocumentFilter filter;
        filter.SetSearch(u"семенов"_s);
        QCOMPARE(Shown(filter, table, none), u"2 -5"_s);
        std::reverse(table.Rows.begin(), table.Rows.end()); // a sort
        filter.Forget();
        QCOMPARE(Shown(filter, table, none), u"-5 2"_s);
        table = Table({u"9|Семёнова|1 ₽"_s}); // a new reading
        filter.Forget();
        QCOMPARE(Shown(filter, table, none), u"9"_s);
        filter.SetSearch({});
        QVERIFY(!filter.IsActive());
    }

    // Texts are folded a character at a time while searched; those whose case does not map one
    // character to one (a surrogate pair, "İ") must still match as their whole folded text does.
    void foldedMatch_data() {
        AddColumns<QString, QString, bool>({"value", "search", "found"});
        QTest::newRow("plain, any case") << u"Оплата ПО СЧЁТУ"_s << u"по счет"_s << true;
        QTest::newRow("match at the very end") << u"abc"_s << u"BC"_s << true;
        QTest::newRow("search longer than the text") << u"ab"_s << u"abc"_s << false;
        QTest::newRow("a near miss then a match") << u"ааб аав"_s << u"аав"_s << true;
        QTest::newRow("dotted I folds to two characters") << u"İSTANBUL"_s << u"i\u0307s"_s << true;
        QTest::newRow("text shorter than the search until folded")
            << u"aİ"_s << u"ai\u0307"_s << true;
        QTest::newRow("dotted I, plain i not inside") << u"İST"_s << u"ist"_s << false;
        QTest::newRow("match before a character folded whole") << u"счет İ"_s << u"счет"_s << true;
        QTest::newRow("surrogate pair after the match") << u"оплата 😀"_s << u"оплата"_s << true;
        QTest::newRow("surrogate pair searched") << u"x😀y"_s << u"😀Y"_s << true;
        QTest::newRow("capital sharp s") << u"STRAẞE"_s << u"straße"_s << true;
        QTest::newRow("greek capital sigma") << u"ΣΟΦΙΑ"_s << u"σοφια"_s << true;
        QTest::newRow("narrow no-break space") << u"1\u202F000"_s << u"1 000"_s << true;
    }
    void foldedMatch() {
        QFETCH(QString, value);
        QFETCH(QString, search);
        QFETCH(bool, found);
        // What the whole text folded says must agree with the row given.
        QCOMPARE(SearchFold(value).contains(SearchFold(search)), found);
        const DocumentTable table = Table({u"1|"_s + value + u"|x"_s});
        DocumentFilter filter;
        filter.SetSearch(search);
        QCOMPARE(Shown(filter, table, {}), found ? u"1"_s : QString());
        // Asked again, the value found whole-folded the first time answers the same.
        filter.SetSearch(search + u"\u0000"_s);
        filter.SetSearch(search);
        QCOMPARE(Shown(filter, table, {}), found ? u"1"_s : QString());
    }

    // Whatever was typed before, and however the rows were sorted meanwhile, a search shows
    // the rows a fresh filter shows. Steps: a search, or "sort N" by column N, or "prepare".
    void sameAsFresh_data() {
        AddColumns<QStringList, bool>({"steps", "samePaths"});
        QTest::newRow("typing on and deleting back")
            << QStringList{u"о"_s, u"оо"_s, u"ооо"_s, u"оо"_s, u"о"_s, u"а"_s} << false;
        QTest::newRow("a sort between keystrokes")
            << QStringList{u"с"_s, u"sort 1"_s, u"се"_s, u"sort 0"_s, u"с"_s} << false;
        QTest::newRow("indexed before the first keystroke, then sorted")
            << QStringList{u"prepare"_s, u"sort 1"_s, u"звезд"_s, u"sort 2"_s, u"зве"_s} << false;
        QTest::newRow("sorted twice before the next keystroke")
            << QStringList{u"ром"_s, u"sort 1"_s, u"sort 2"_s, u"ро"_s, u"sort 0"_s, u"р"_s}
            << false;
        QTest::newRow("rows that cannot be told apart, sorted")
            << QStringList{u"семен"_s, u"sort 1"_s, u"семе"_s, u"sort 2"_s, u"1"_s} << true;
    }
    void sameAsFresh() {
        QFETCH(QStringList, steps);
        QFETCH(bool, samePaths);
        DocumentTable table =
            Table(Rows + QStringList{u"6|Ромашка-Семёнова|1,00 ₽"_s});
        // Rows read from one file share its path's buffer.
        if (samePaths)
            for (DocumentRow& row : table.Rows)
                row.SourcePath = table.Rows.front().SourcePath;
        const DocumentChecks none;
        DocumentFilter filter;
        for (const QString& step : steps) {
            if (step == u"prepare"_s) {
                filter.Prepare(table);
            } else if (step.startsWith(u"sort "_s)) {
                const int column = step.mid(5).toInt();
                filter.RowsMoving(table);
                std::stable_sort(table.Rows.begin(), table.Rows.end(),
                                 [column](const DocumentRow& a, const DocumentRow& b) {
                                     return a.DisplayText(column) < b.DisplayText(column);
                                 });
            } else {
                filter.SetSearch(step);
                DocumentFilter fresh;
                fresh.SetSearch(step);
                QCOMPARE(Shown(filter, table, none), Shown(fresh, table, none));
            }
        }
    }

    void totalsText_data() {
        AddColumns<bool, qint64, qint64, QString>({"filtered", "shown", "hidden", "text"});
        const QString totals = u"Отмечено: 11 из 12 · 97 386,64 ₽"_s;
        QTest::newRow("no filter") << false << 12LL << 0LL << totals;
        QTest::newRow("filter, nothing hidden")
            << true << 3LL << 0LL << u"Показано 3 из 12 · "_s + totals;
        QTest::newRow("checked ones hidden")
            << true << 1LL << 10LL
            << u"Показано 1 из 12 · "_s + totals + u" (скрыто отмеченных: 10)"_s;
    }
    void totalsText() {
        QFETCH(bool, filtered);
        QFETCH(qint64, shown);
        QFETCH(qint64, hidden);
        QFETCH(QString, text);
        QCOMPARE(FilteredTotalsText(u"Отмечено: 11 из 12 · 97 386,64 ₽"_s, filtered,
                                    shown, 12, hidden),
                 text);
    }

    // Widths, places and the sort are kept by column key: a TAG.INI that reorders its columns
    // keeps them; places that are no arrangement of all columns are dropped.
    void columnSettings_data() {
        QTest::addColumn<QString>("stored");
        // The widths, places, sort key and hidden marks (1 for a hidden column) read back.
        QTest::addColumn<QString>("read");
        QTest::newRow("none stored: the tax field hidden") << "" << "0 0 0 0|||0 0 0 1";
        QTest::newRow("all stored")
            << "Column_Номер=40,2|Column_Сумма=90,0|Column_Плательщик1=200,1|"
               "Column_ПоказательКБК=30,3|SortColumn=сумма|HiddenColumns=Плательщик1;сумма"
            << "40 200 90 30|2 1 0 3|Сумма|0 1 1 0";
        QTest::newRow("a place twice, none hidden")
            << "Column_Номер=40,1|Column_Сумма=90,0|Column_Плательщик1=200,1|HiddenColumns=;"
            << "40 200 90 0|||0 0 0 0";
        QTest::newRow("a place missing") << "Column_Номер=40,2|Column_Сумма=90,0"
                                         << "40 0 90 0|||0 0 0 1";
        QTest::newRow("nonsense and a gone column")
            << "Column_Номер=wide,1|Column_Сумма=-5,0|SortColumn=Gone|HiddenColumns=Gone"
            << "0 0 0 0|||0 0 0 0";
    }
    void columnSettings() {
        QFETCH(QString, stored);
        QTemporaryDir dir;
        const INIStorage settings(dir.path() + u'/');
        for (const QString& line : stored.split(u'|', Qt::SkipEmptyParts))
            QVERIFY(settings.WriteVal(User, line.section(u'=', 0, 0), line.section(u'=', 1)));
        ColumnMap columns = Table({}).Columns;
        columns.push_back({u"КБК"_s, u"ПоказательКБК;K"_s});
        const ListColumnsLayout layout = ReadListColumns(settings, columns);
        QStringList w, p, h;
        for (const ListColumnState& column : layout.Columns) {
            w << QString::number(column.Width);
            h << QString::number(column.Hidden);
        }
        for (const int place : StoredPositions(layout))
            p << QString::number(place);
        QTEST(QStringList({w.join(u' '), p.join(u' '), layout.SortKey, h.join(u' ')}).join(u'|'),
              "read");
        // What is written reads back the same, none hidden included.
        ListColumnsLayout changed = layout;
        changed.Columns = {{55, 1}, {66, 0, true}, {77, 2}, {0, 3}};
        changed.SortKey = u"Номер"_s;
        QVERIFY(WriteListColumns(settings, columns, changed));
        const ListColumnsLayout back = ReadListColumns(settings, columns);
        QCOMPARE(back.Columns[1].Width, 66);
        QCOMPARE(StoredPositions(back), (std::vector<int>{1, 0, 2, 3}));
        QCOMPARE(back.SortKey, u"Номер"_s);
        QVERIFY(back.Columns[1].Hidden && !back.Columns[3].Hidden);
        changed.Columns[1].Hidden = false;
        QVERIFY(WriteListColumns(settings, columns, changed));
        QVERIFY(!ReadListColumns(settings, columns).Columns[3].Hidden);
    }

    void listSplit() {
        QTemporaryDir dir;
        const INIStorage settings(dir.path() + u'/');
        QVERIFY(!ReadListSplit(settings));
        QVERIFY(StoreListSplit(settings, 0.75));
        QCOMPARE(*ReadListSplit(settings), 0.75);
        for (const char* nonsense : {"0", "1000", "abc", "-3"}) {
            QVERIFY(settings.WriteVal(User, u"ListSplit"_s, QString::fromLatin1(nonsense)));
            QVERIFY2(!ReadListSplit(settings), nonsense);
        }
    }

    // The widths are fitted to rows from all over the table, the longest texts among them, so
    // a sort brings no clipped amount to the top.
    void widthSample() {
        QStringList rows;
        for (int i = 0; i < 5000; ++i)
            rows << QString::number(i) + u"|x|1,00 ₽"_s;
        rows[3777] = u"3777|x|18 000 000,00 ₽"_s;
        const DocumentTable table = Table(rows);
        const std::vector<std::size_t> sample = WidthSampleRows(table, 2, 50);
        QVERIFY(sample.size() <= 60);
        QVERIFY(std::is_sorted(sample.begin(), sample.end()));
        for (const std::size_t must : {std::size_t(0), std::size_t(3777), std::size_t(4999)})
            QVERIFY(std::find(sample.begin(), sample.end(), must) != sample.end());
        QCOMPARE(WidthSampleRows(Table({u"1|a|b"_s}), 1, 50), (std::vector<std::size_t>{0}));
    }
};

VYPISKA_TEST_GUILESS_MAIN(TestDocumentFilter)
#include "tst_documentfilter.moc"
