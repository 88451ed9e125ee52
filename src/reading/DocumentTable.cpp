#include "reading/DocumentTable.h"

namespace {
const QString EmptyText;
const DocumentCell EmptyCell;
} // namespace

DocumentCell::DocumentCell(const QString& displayText, const QString& rawValue) {
    if (displayText.isEmpty() && rawValue.isEmpty()) return;
    auto* text = new Text;
    text->Raw = rawValue;
    // The same text twice is kept once.
    text->Display = displayText == rawValue ? rawValue : displayText;
    m_text = text;
}

const QString& DocumentCell::DisplayText() const {
    return m_text ? m_text->Display : EmptyText;
}

const QString& DocumentCell::RawValue() const {
    return m_text ? m_text->Raw : EmptyText;
}

const DocumentCell& DocumentRow::Cell(int column) const {
    if (column < 0 || size_t(column) >= Cells.size()) return EmptyCell;
    return Cells[size_t(column)];
}
