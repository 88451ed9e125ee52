#include "settings/ListColumns.h"

#include "settings/INIStorage.h"
#include "settings/SettingsUpgrade.h"

#include <algorithm>
#include <cmath>

namespace {

const QString SortKeyName = QStringLiteral("SortColumn");
const QString SortOrderName = QStringLiteral("SortOrder");
const QString SplitKeyName = QStringLiteral("ListSplit");
const QString HiddenKeyName = QStringLiteral("HiddenColumns");

QString ColumnKeyName(const ColumnDef& column) {
    return QStringLiteral("Column_") + column.FieldKey();
}

// "a,b" as two whole numbers not below 0; none for anything else.
std::optional<std::pair<int, int>> ReadPair(const QString& text) {
    const QStringList parts = text.split(u',');
    if (parts.size() != 2) return std::nullopt;
    bool ok1 = false, ok2 = false;
    const int a = parts[0].trimmed().toInt(&ok1), b = parts[1].trimmed().toInt(&ok2);
    if (!ok1 || !ok2 || a < 0 || b < 0) return std::nullopt;
    return std::pair{a, b};
}

bool WriteIfChanged(const INIStorage& settings, const QString& key, const QString& value) {
    if (settings.ReadVal(User, key, QString()).toString() == value) return true;
    return settings.WriteVal(User, key, value);
}

} // namespace

bool HiddenByDefault(const QString& fieldKey) {
    return TaxFieldKeys().contains(fieldKey, Qt::CaseInsensitive);
}

ListColumnsLayout ReadListColumns(const INIStorage& settings, const ColumnMap& columns) {
    ListColumnsLayout layout;
    layout.Columns.resize(columns.size());
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const auto pair =
            ReadPair(settings.ReadVal(User, ColumnKeyName(columns[c]), QString()).toString());
        if (pair) layout.Columns[c] = {pair->first, pair->second};
    }
    // An empty value reads as none stored: none hidden is written as a lone ";".
    const QString hidden = settings.ReadVal(User, HiddenKeyName, QString()).toString();
    const QStringList hiddenKeys = hidden.split(u';', Qt::SkipEmptyParts);
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const QString key = columns[c].FieldKey();
        layout.Columns[c].Hidden =
            hidden.isEmpty() ? HiddenByDefault(key) : hiddenKeys.contains(key, Qt::CaseInsensitive);
    }
    const QString sortKey = settings.ReadVal(User, SortKeyName, QString()).toString();
    for (const ColumnDef& column : columns)
        if (column.FieldKey().compare(sortKey, Qt::CaseInsensitive) == 0)
            layout.SortKey = column.FieldKey();
    layout.SortDescending =
        !layout.SortKey.isEmpty() &&
        settings.ReadVal(User, SortOrderName, QString()).toString().trimmed() == u'1';
    return layout;
}

bool WriteListColumns(const INIStorage& settings, const ColumnMap& columns,
                      const ListColumnsLayout& layout) {
    bool stored = true;
    for (std::size_t c = 0; c < columns.size() && c < layout.Columns.size(); ++c) {
        const ListColumnState& state = layout.Columns[c];
        if (state.Position < 0) continue; // a width of 0: fitted to the documents each time
        stored = WriteIfChanged(settings, ColumnKeyName(columns[c]),
                                QStringLiteral("%1,%2").arg(state.Width).arg(state.Position)) &&
                 stored;
    }
    QStringList hidden;
    for (std::size_t c = 0; c < columns.size() && c < layout.Columns.size(); ++c)
        if (layout.Columns[c].Hidden) hidden << columns[c].FieldKey();
    stored = WriteIfChanged(settings, HiddenKeyName,
                            hidden.isEmpty() ? QStringLiteral(";") : hidden.join(u';')) &&
             stored;
    stored = WriteIfChanged(settings, SortKeyName, layout.SortKey) && stored;
    // Ascending, the usual order, is written only over a descending one stored.
    if (layout.SortDescending || !settings.ReadVal(User, SortOrderName, QString()).toString().isEmpty())
        stored = WriteIfChanged(settings, SortOrderName,
                                layout.SortDescending ? QStringLiteral("1") : QStringLiteral("0")) &&
                 stored;
    return stored;
}

std::optional<double> ReadListSplit(const INIStorage& settings) {
    bool ok = false;
    const int thousandths = settings.ReadVal(User, SplitKeyName, QString()).toString().toInt(&ok);
    // Either pane keeps a sliver at least, whatever the file says.
    if (!ok || thousandths < 50 || thousandths > 950) return std::nullopt;
    return thousandths / 1000.0;
}

bool StoreListSplit(const INIStorage& settings, double listShare) {
    const int thousandths = int(std::lround(std::clamp(listShare, 0.05, 0.95) * 1000));
    return WriteIfChanged(settings, SplitKeyName, QString::number(thousandths));
}

std::vector<int> StoredPositions(const ListColumnsLayout& layout) {
    const int count = int(layout.Columns.size());
    std::vector<int> positions;
    std::vector<char> taken(std::size_t(count), 0);
    for (const ListColumnState& state : layout.Columns) {
        if (state.Position < 0 || state.Position >= count || taken[std::size_t(state.Position)])
            return {};
        taken[std::size_t(state.Position)] = 1;
        positions.push_back(state.Position);
    }
    return positions;
}
