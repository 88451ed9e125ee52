#include "cli/CliCommon.h"

#include "checks/DocumentChecks.h"
#include "checks/DocumentTotals.h"
#include "text/TextCoder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

void PrintLine(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

namespace {

bool ParseLocale(const QString& name, QLocale* locale) {
    const QLocale parsed(name);
    // QLocale falls back to "C" for names it does not know; only "C" itself may give that.
    if (parsed == QLocale::c() && name != QLatin1String("C") && name != QLatin1String("POSIX"))
        return false;
    *locale = parsed;
    return true;
}
} // namespace

void CliError(const QString& text) {
    PrintLine(stderr, QStringLiteral("vypiska-cli: ") + text);
}

bool ParseCliOptions(const QStringList& args, const QStringList& commandOptions,
                     CliOptions* options) {
    options->ConfigDir = QCoreApplication::applicationDirPath() + QStringLiteral("/CONFIG");
    options->Locale = QLocale::system();
    bool haveSource = false;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& word = args.at(i);
        if (optionsEnded || !word.startsWith(QLatin1String("--")) || word.size() == 2) {
            if (!optionsEnded && word == QLatin1String("--")) {
                optionsEnded = true;
                continue;
            }
            if (haveSource) {
                CliError(QStringLiteral("more than one SOURCE given ('%1' and '%2')")
                             .arg(options->Source, word));
                return false;
            }
            options->Source = word;
            haveSource = true;
            continue;
        }
        QString name = word;
        QString value;
        bool haveValue = false;
        if (const qsizetype eq = word.indexOf(QLatin1Char('=')); eq > 0) {
            name = word.left(eq);
            value = word.mid(eq + 1);
            haveValue = true;
        }
        const bool known = name == QLatin1String("--config") || name == QLatin1String("--locale") ||
                           commandOptions.contains(name);
        if (!known) {
            CliError(QStringLiteral("unknown option '%1'").arg(name));
            return false;
        }
        if (!haveValue) {
            if (i + 1 >= args.size()) {
                CliError(QStringLiteral("option '%1' needs a value").arg(name));
                return false;
            }
            value = args.at(++i);
        }
        if (name == QLatin1String("--config")) {
            options->ConfigDir = value;
        } else if (name == QLatin1String("--locale")) {
            if (!ParseLocale(value, &options->Locale)) {
                CliError(QStringLiteral("unknown locale '%1'").arg(value));
                return false;
            }
        } else {
            options->Values.insert(name, value);
        }
    }
    if (!haveSource) {
        CliError(QStringLiteral("no SOURCE given (a file, folder or .zip archive)"));
        return false;
    }
    if (!QFileInfo::exists(options->Source)) {
        CliError(QStringLiteral("Источник '%1' не найден").arg(options->Source));
        return false;
    }
    return true;
}

bool LoadCliColumns(const CliOptions& options, ColumnMap* columns) {
    if (!QFileInfo(options.ConfigDir).isDir()) {
        CliError(QStringLiteral("Папка настроек '%1' не найдена").arg(options.ConfigDir));
        return false;
    }
    const QString path = QDir(options.ConfigDir).filePath(QStringLiteral("TAG.INI"));
    ColumnMapLoad load = LoadColumnMap(path);
    for (const QString& problem : std::as_const(load.Problems))
        CliError(problem);
    if (load.Columns.empty()) {
        CliError(QStringLiteral("Карта колонок '%1' не задает ни одной колонки").arg(path));
        return false;
    }
    *columns = std::move(load.Columns);
    return true;
}

ReadingOutcome ReadCliSource(const CliOptions& options, const ColumnMap& columns,
                             const TextCoder& coder) {
    ReadingOutcome outcome = RunReading(options.Source, columns, coder);
    PrintLine(stderr, outcome.StatusText);
    for (const QString& problem : std::as_const(outcome.Problems))
        CliError(problem);
    return outcome;
}

void PrintCliChecks(const DocumentTable& table) {
    PrintLine(stderr, TotalsText(ComputeTotals(table)));
    for (const QString& line : CheckReport(table, CheckDocuments(table, true)))
        PrintLine(stderr, line);
}
