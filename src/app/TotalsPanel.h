#pragma once

#include <QLabel>

class DocumentFilterModel;

// Beside the status line: how many documents are checked, of how many, and their sum; with a
// filter on, how many are shown and how many checked ones it hides. The sum always takes every
// checked document, shown or not, as the statement does.
class TotalsPanel : public QLabel {
    Q_OBJECT
public:
    TotalsPanel(const DocumentFilterModel& shown, QWidget* parent = nullptr);

    void Update();
    // The organisation's account, which tells incoming from outgoing payments.
    void SetAccount(const QString& account);

private:
    const DocumentFilterModel& m_shown;
    QString m_account;
};
