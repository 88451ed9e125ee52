#pragma once

#include "checks/SaveReasons.h"

class QWidget;

enum class SaveAnswer { Save, Show, Cancel };

// The one question before a statement or a register is written from the window, "SaveQuestion":
// every reason at once, never two dialogs in a row. "Отмена" is the default, so a hurried Enter
// writes nothing; "Показать" is offered when a reason is about findings. No reasons: Save, unasked.
SaveAnswer AskSaveQuestion(QWidget* parent, const SaveReasons& reasons);
