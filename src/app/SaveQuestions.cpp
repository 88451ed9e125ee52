#include "app/SaveQuestions.h"

#include "reading/DocumentTable.h"

#include <QMessageBox>

#include <algorithm>

namespace {
bool AskNoByDefault(QWidget* parent, const QString& name, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Сохранить как"), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(name);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
} // namespace

bool ConfirmEmptyStatement(QWidget* parent, const DocumentTable& table) {
    if (std::any_of(table.Rows.cbegin(), table.Rows.cend(),
                    [](const DocumentRow& row) { return row.Checked; }))
        return true;
    return AskNoByDefault(
        parent, QStringLiteral("EmptyStatementQuestion"),
        QStringLiteral("Не отмечено ни одного документа. Сохранить пустую выписку?"));
}

bool ConfirmStatementAccount(QWidget* parent, const QString& accountProblem) {
    if (accountProblem.isEmpty()) return true;
    return AskNoByDefault(parent, QStringLiteral("AccountQuestion"),
                          accountProblem + QStringLiteral("\n\nСохранить без счета?"));
}
