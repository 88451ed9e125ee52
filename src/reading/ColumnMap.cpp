#include "reading/ColumnMap.h"

#include "text/SettingsFile.h"
#include "text/Cp1251.h"
#include "text/TrimSpaces.h"

QStringList ColumnDef::Pieces() const {
    return TagList.split(QLatin1Char(';'));
}

QString ColumnDef::FieldKey() const {
    const qsizetype end = TagList.indexOf(QLatin1Char(';'));
    return end < 0 ? TagList : TagList.left(end);
}

QStringList ColumnDef::ElementNames() const {
    QStringList pieces = Pieces();
    pieces.removeFirst();
    return pieces;
}

bool ColumnDef::IsAmount() const {
    // An empty TagList has no key at all, so it can never be the amount column.
    return !TagList.isEmpty() && FieldKey().compare(AmountKey, Qt::CaseInsensitive) == 0;
}

std::optional<QString> ReadWholeFile(const QString& path, QString* error) {
    QString problem;
    const std::optional<QByteArray> bytes = ReadSettingsFile(path, &problem);
    if (!bytes) {
        if (error) *error = problem.isEmpty() ? QStringLiteral("файл не найден") : problem;
        return std::nullopt;
    }
    return Cp1251::Decode(*bytes);
}

ColumnMapLoad LoadColumnMap(const QString& path) {
    QString error;
    const std::optional<QString> text = ReadWholeFile(path, &error);
    if (!text) {
        ColumnMapLoad load;
        load.Problems
            << QStringLiteral("Не удалось прочитать карту колонок '%1': %2").arg(path, error);
        load.Findings.push_back(SettingsFinding(
            path, QStringLiteral("Не удалось прочитать карту колонок: %1").arg(error)));
        return load;
    }
    return ParseColumnMap(*text, path);
}

namespace {
// A line of TAG.INI that cannot serve as it is: said in a sentence naming the file, and as a
// finding of it (the line number its field, when there is one).
void Say(ColumnMapLoad& load, const QString& path, qsizetype line, const QString& why) {
    const QString field = line > 0 ? QStringLiteral("строка %1").arg(line) : QString();
    load.Problems << QStringLiteral("Карта колонок '%1'%2: %3")
                         .arg(path, field.isEmpty() ? QString() : QStringLiteral(", ") + field, why);
    load.Findings.push_back(SettingsFinding(path, why, field));
}
} // namespace

ColumnMapLoad ParseColumnMap(const QString& text, const QString& path) {
    ColumnMapLoad load;
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        if (TrimSpaces(line).isEmpty()) continue;
        const qsizetype first = line.indexOf(QLatin1Char('='));
        if (first < 0) {
            Say(load, path, i + 1, QStringLiteral("нет знака '=', строка пропущена"));
            continue;
        }
        if (load.Columns.size() == size_t(LargestColumnCount)) {
            Say(load, path, 0,
                QStringLiteral("колонок больше %1, строки с %2-й пропущены")
                    .arg(LargestColumnCount)
                    .arg(i + 1));
            break;
        }
        // Lines end in CR LF; a file saved with LF or CR alone reads as one long line, so its
        // columns would silently run together.
        if (line.contains(QLatin1Char('\n')) || line.contains(QLatin1Char('\r')))
            Say(load, path, i + 1,
                QStringLiteral("строки слились, файл сохранен с другими концами строк (нужны "
                               "CR LF)"));
        const qsizetype second = line.indexOf(QLatin1Char('='), first + 1);
        ColumnDef column;
        column.Caption = TrimSpaces(line.left(first));
        column.TagList =
            TrimSpaces(second < 0 ? line.mid(first + 1) : line.mid(first + 1, second - first - 1));
        load.Columns.push_back(std::move(column));
    }
    return load;
}
