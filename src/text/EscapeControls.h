#pragma once

#include <QString>

// The text with every control character written out ("\e" as "\x1B", TAB as "\t", LF as "\n"),
// so that a file name cannot move the cursor, recolour or retitle a terminal, ring its bell or
// split one message over lines. A byte of a file name that is no UTF-8 shows as "\xE9". A
// backslash stays as it is: paths of another system keep theirs.
QString EscapeControls(const QString& text);
