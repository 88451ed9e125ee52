// Exports 10,000 generated rows through the default statement template and prints the rate.
#include "export/BuildExportFile.h"
#include "export/TemplateCatalogue.h"
#include "reading/ColumnMap.h"
#include "settings/INIStorage.h"
#include "text/TextCoder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace {

QString Value(const ColumnDef& column, int row) {
    const QString key = column.FieldKey();
    if (column.IsAmount()) return QString::number(row * 37 % 100000) + QStringLiteral(".50");
    if (key.startsWith(QStringLiteral("Дата")))
        return QStringLiteral("2024-03-%1").arg(row % 28 + 1, 2, 10, QLatin1Char('0'));
    if (key.contains(QStringLiteral("ИНН"))) return QString::number(7700000000LL + row);
    if (key.contains(QStringLiteral("Счет")) || key.contains(QStringLiteral("Корсчет")))
        return QStringLiteral("407028109000000%1").arg(row, 5, 10, QLatin1Char('0'));
    if (key.startsWith(QStringLiteral("Назначение")))
        return QStringLiteral("Оплата по договору № %1 от 15.01.2024. Без НДС").arg(row);
    return QStringLiteral("ООО \"Организация %1\"").arg(row);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString configDir = QCoreApplication::applicationDirPath() + QStringLiteral("/CONFIG");
    const TextCoder coder(QLocale(QLocale::Russian, QLocale::Russia));

    DocumentTable table;
    table.Columns = LoadColumnMap(QDir(configDir).filePath(QStringLiteral("TAG.INI"))).Columns;
    const std::vector<TemplateInfo> templates = TemplateList(configDir, coder);
    if (table.Columns.empty() || templates.empty()) {
        std::fprintf(stderr, "bench_export: no TAG.INI or template in %s\n", qPrintable(configDir));
        return 1;
    }
    constexpr int Rows = 10000;
    for (int r = 0; r < Rows; ++r) {
        DocumentRow row;
        row.SourcePath = QStringLiteral("/in/doc%1.xml").arg(r);
        for (const ColumnDef& column : table.Columns) {
            const QString v = Value(column, r);
            row.Cells.push_back({v, v});
        }
        table.Rows.push_back(std::move(row));
    }

    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("statement.txt"));
    const INIStorage settings(configDir);
    double best = 0;
    for (int run = 0; run < 3; ++run) {
        FormatSettings formats;
        QElapsedTimer timer;
        timer.start();
        const ExportResult result =
            BuildExportFile(out, table, templates.front().Path, 45000.5, settings, coder, formats);
        const double seconds = timer.nsecsElapsed() / 1e9;
        if (!result.Ok) {
            std::fprintf(stderr, "bench_export: %s\n", qPrintable(result.Error));
            return 1;
        }
        best = std::max(best, Rows / seconds);
    }
    std::printf("export: %d rows x %zu columns through '%s': %.0f rows/s (%lld bytes)\n", Rows,
                table.Columns.size(), qPrintable(templates.front().FileName), best,
                QFileInfo(out).size());
    return 0;
}
