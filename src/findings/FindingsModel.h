#pragma once

#include "findings/FindingRows.h"

#include <QAbstractTableModel>

// The findings as a table for the window's problems list: the columns of FindingCaptions().
class FindingsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The row key of the finding's document (empty when none) and its kind, as an int.
    static constexpr int SourcePathRole = Qt::UserRole + 1;
    static constexpr int KindRole = Qt::UserRole + 2;

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void SetFindings(FindingRows findings);
    // Empties the model, handing its findings back.
    FindingRows TakeFindings();
    const FindingRows& Findings() const { return m_findings; }
    Finding At(int row) const { return m_findings.At(std::size_t(row)); }

private:
    FindingRows m_findings;
};
