#pragma once

#include "reading/DocumentTable.h"

#include <QString>

#include <optional>
#include <vector>

class INIStorage;

// How the user left the document list's columns, kept in USER.INI, section User, one key per
// column named by its TAG.INI key ("Column_Сумма=120,2": width in pixels, place from 0), so a
// column map that gains, loses or reorders columns keeps what still applies; the hidden ones by
// key too ("HiddenColumns=ПоказательКБК;Код", ";" for none). No widget here.
struct ListColumnState {
    int Width = 0;     // 0: none stored
    int Position = -1; // -1: none stored
    bool Hidden = false;
};

// The columns the list hides until the user shows them: the tax and budget fields, which few
// read in a list (the detail grid shows them).
bool HiddenByDefault(const QString& fieldKey);

struct ListColumnsLayout {
    std::vector<ListColumnState> Columns; // in column map order
    QString SortKey;                      // the key of the sort column; empty for none
    bool SortDescending = false;          // "SortOrder": 0 ascending, 1 descending
};

ListColumnsLayout ReadListColumns(const INIStorage& settings, const ColumnMap& columns);
// Writes only what differs from what is stored; false when a write was refused.
bool WriteListColumns(const INIStorage& settings, const ColumnMap& columns,
                      const ListColumnsLayout& layout);

// The share of the height between the list and the grid that the list takes, as the user left
// the line between them ("ListSplit", in thousandths); none stored, or nonsense, gives none.
std::optional<double> ReadListSplit(const INIStorage& settings);
bool StoreListSplit(const INIStorage& settings, double listShare);

// The places of the columns when the stored ones make an arrangement of all of them (each place
// once); otherwise, as after a change of TAG.INI, none: the map's order stands.
std::vector<int> StoredPositions(const ListColumnsLayout& layout);
