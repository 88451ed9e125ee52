#include "reading/DocumentTable.h"

namespace {
const QString EmptyText;
}

const QString& DocumentRow::DisplayText(int column) const {
    if (column < 0 || size_t(column) >= Cells.size()) return EmptyText;
    return Cells[size_t(column)].DisplayText;
}

const QString& DocumentRow::ExportValue(int column) const {
    if (column < 0 || size_t(column) >= Cells.size()) return EmptyText;
    return Cells[size_t(column)].RawValue;
}
