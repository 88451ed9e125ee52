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
    const Finding& finding = At(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return FindingField(finding, index.column());
    case Qt::ToolTipRole:
        // The file column names where it is; the others show a text the column may cut.
        if (index.column() == 1 && !finding.SourcePath.isEmpty()) return finding.SourcePath;
        return FindingField(finding, index.column());
    case SourcePathRole:
        return finding.SourcePath;
    case KindRole:
        return int(finding.Kind);
    default:
        return {};
    }
}

QVariant FindingsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return FindingCaptions().value(section);
}

void FindingsModel::SetFindings(FindingList findings) {
    beginResetModel();
    m_findings = std::move(findings);
    endResetModel();
}

FindingList FindingsModel::TakeFindings() {
    beginResetModel();
    FindingList taken = std::exchange(m_findings, {});
    endResetModel();
    return taken;
}
