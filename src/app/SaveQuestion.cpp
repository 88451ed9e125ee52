#include "app/SaveQuestion.h"

#include <QMessageBox>
#include <QPushButton>

#include <algorithm>

SaveAnswer AskSaveQuestion(QWidget* parent, const SaveReasons& reasons) {
    if (reasons.empty()) return SaveAnswer::Save;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Сохранить как"),
                    SaveQuestionText(reasons), QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("SaveQuestion"));
    QPushButton* show = nullptr;
    if (std::any_of(reasons.cbegin(), reasons.cend(),
                    [](const SaveReason& reason) { return reason.AboutFindings; })) {
        show = box.addButton(QStringLiteral("Показать"), QMessageBox::ActionRole);
        show->setObjectName(QStringLiteral("SaveQuestionShow"));
    }
    QPushButton* save = box.addButton(QStringLiteral("Сохранить"), QMessageBox::AcceptRole);
    save->setObjectName(QStringLiteral("SaveQuestionSave"));
    QPushButton* cancel = box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("SaveQuestionCancel"));
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    if (show && box.clickedButton() == show) return SaveAnswer::Show;
    return box.clickedButton() == save ? SaveAnswer::Save : SaveAnswer::Cancel;
}
