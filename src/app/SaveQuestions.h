#pragma once

#include <QString>

struct DocumentTable;
class QWidget;

// The questions asked before a statement that is most likely a mistake. Each answers true when
// the save should go on; "Нет" is the default, so a hurried Enter saves nothing.

// With no document checked the statement would hold its header alone.
bool ConfirmEmptyStatement(QWidget* parent, const DocumentTable& table);

// accountProblem: why the organisation's account can't go into the statement (empty: none).
bool ConfirmStatementAccount(QWidget* parent, const QString& accountProblem);
