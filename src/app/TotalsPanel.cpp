#include "app/TotalsPanel.h"

#include "app/DocumentFilterModel.h"
#include "app/DocumentListModel.h"
#include "checks/DocumentTotals.h"

TotalsPanel::TotalsPanel(const DocumentFilterModel& shown, QWidget* parent)
    : QLabel(parent), m_shown(shown) {
    setObjectName(QStringLiteral("TotalsPanel"));
    // Every check box and the check-all box (the table's own changes: a mark on a row the
    // filter hides counts too) count again; a reading's rows are counted once, beside its checks
    // (not at every slice of rows: each would count all again); a change of the filter changes
    // only what is shown.
    connect(&shown.Source(), &QAbstractItemModel::dataChanged, this, &TotalsPanel::Update);
    connect(&shown, &QAbstractItemModel::modelReset, this, &TotalsPanel::Update);
    connect(&shown, &QAbstractItemModel::rowsRemoved, this, &TotalsPanel::Update);
    connect(&shown, &DocumentFilterModel::FilterChanged, this, &TotalsPanel::Show);
    // The checks change no total, only what a quick filter shows.
    connect(&shown.Source(), &DocumentListModel::ChecksChanged, this, &TotalsPanel::Show);
    hide();
}

void TotalsPanel::SetOrganisation(const Organisation& org) {
    m_org = org;
    Update();
}

void TotalsPanel::SetReadingStopped(bool stopped) {
    m_stopped = stopped;
    m_totals.ReadingStopped = stopped;
    Show();
}

std::function<DocumentTotals()> TotalsPanel::CountLater() {
    m_countingOrg = m_org;
    return [&table = m_shown.Source().Table(), org = m_org] { return ComputeTotals(table, org); };
}

void TotalsPanel::ShowCounted(DocumentTotals totals) {
    if (m_countingOrg != m_org) return Update();
    m_totals = std::move(totals);
    m_totals.ReadingStopped = m_stopped;
    Show();
}

void TotalsPanel::Update() {
    m_totals = ComputeTotals(m_shown.Source().Table(), m_org);
    m_totals.ReadingStopped = m_stopped;
    Show();
}

void TotalsPanel::Show() {
    const DocumentTable& table = m_shown.Source().Table();
    const DocumentTotals& totals = m_totals;
    const bool filtered = m_shown.IsFiltering();
    const qint64 hidden = filtered ? totals.Checked - m_shown.ShownChecked() : 0;
    setText(
        FilteredTotalsText(TotalsText(totals), filtered, m_shown.rowCount(), totals.All, hidden));
    // A sum that leaves amounts out must not pass for the whole one.
    QPalette colours = parentWidget() ? parentWidget()->palette() : QPalette();
    if (!totals.Exact()) colours.setColor(QPalette::WindowText, QColor(192, 0, 0));
    setPalette(colours);
    setToolTip(totals.Exact()
                   ? QStringLiteral("Отмеченные документы, все документы и сумма отмеченных")
                   : QStringLiteral("Суммы, которые нельзя сложить точно (не число, доли "
                                    "копейки), в итог не вошли: они названы в списке замечаний"));
    setVisible(!table.Rows.empty());
}
