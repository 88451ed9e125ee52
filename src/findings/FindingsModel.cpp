#include "findings/FindingsModel.h"

#include <utility>

int FindingsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_findings.size());
}

int FindingsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(FindingCaptions().size());
}

QVariant FindingsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const std::size_t row = std::size_t(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return m_findings.FieldAt(row, index.column());
    case Qt::ToolTipRole:
        // The file column names where it is; the others show a text the column may cut.
        if (index.column() == 1 && !m_findings.SourcePathAt(row).isEmpty())
            return m_findings.SourcePathAt(row);
        return m_findings.FieldAt(row, index.column());
    case SourcePathRole:
        return m_findings.SourcePathAt(row);
    case KindRole:
        return int(m_findings.KindAt(row));
    default:
        return {};
    }
}

QVariant FindingsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return FindingCaptions().value(section);
}

void FindingsModel::SetFindings(FindingRows findings) {
    beginResetModel();
    m_findings = std::move(findings);
    endResetModel();
}

FindingRows FindingsModel::TakeFindings() {
    beginResetModel();
    FindingRows taken = std::exchange(m_findings, {});
    endResetModel();
    return taken;
}
