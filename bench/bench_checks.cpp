// Times the checks and the totals over a year of documents (100,000 by default): what the window
// does after every reading (checks) and after every check-box click (totals).
#include "checks/DocumentChecks.h"
#include "checks/DocumentTotals.h"
#include "reading/ColumnMap.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>

#include <cstdio>
#include <functional>

namespace {

// Valid requisites for the most part; every 50th ИНН mistyped, every 100th document twice.
QString Value(const QString& key, int row) {
    if (key.compare(AmountKey, Qt::CaseInsensitive) == 0)
        return QString::number(row * 37 % 100000) + QStringLiteral(".50");
    if (key == u"Номер") return QString::number(row % 100 == 1 ? row - 1 : row);
    if (key.startsWith(u"Дата"))
        return QStringLiteral("2024-03-%1").arg(row % 28 + 1, 2, 10, QLatin1Char('0'));
    if (key.endsWith(u"ИНН"))
        return row % 50 ? QStringLiteral("7707083893") : QStringLiteral("7707083894");
    if (key.endsWith(u"КПП")) return QStringLiteral("773601001");
    if (key.endsWith(u"БИК")) return QStringLiteral("044525225");
    if (key.endsWith(u"Корсчет")) return QStringLiteral("30101810400000000225");
    if (key.endsWith(u"Счет")) return QStringLiteral("40702810938000012345");
    return QStringLiteral("Организация %1").arg(row);
}

double Seconds(const std::function<void()>& work) {
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, atoi(argv[1])) : 100000;
    const QString configDir = QCoreApplication::applicationDirPath() + QStringLiteral("/CONFIG");
    DocumentTable table;
    table.Columns = LoadColumnMap(QDir(configDir).filePath(QStringLiteral("TAG.INI"))).Columns;
    if (table.Columns.empty()) {
        std::fprintf(stderr, "bench_checks: no TAG.INI in %s\n", qPrintable(configDir));
        return 1;
    }
    table.Rows.reserve(std::size_t(rows));
    for (int r = 0; r < rows; ++r) {
        DocumentRow row;
        row.SourcePath = QStringLiteral("/in/doc%1.xml").arg(r);
        for (const ColumnDef& column : table.Columns) {
            const QString v = Value(column.FieldKey(), r);
            row.Cells.push_back({v, v});
        }
        table.Rows.push_back(std::move(row));
    }
    DocumentChecks checks;
    const double check = Seconds([&] { checks = CheckDocuments(table); });
    const double totals = Seconds([&] { ComputeTotals(table); });
    std::printf("%d documents, best of three:\n", rows);
    std::printf("  checks (requisites, amounts, duplicates) %.3f s\n", check);
    std::printf("  totals (one check-box click)            %.3f s\n", totals);

    // The worst case for duplicates: every document the same payment, one group of all.
    for (DocumentRow& row : table.Rows)
        row.Cells = table.Rows.front().Cells;
    const double same = Seconds([&] { checks = CheckDocuments(table); });
    std::printf("  checks, all one duplicate               %.3f s\n", same);
    return 0;
}
