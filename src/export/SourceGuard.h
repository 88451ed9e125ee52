#pragma once

#include <QString>

struct DocumentTable;

// Refuses a statement that would replace what it is made from: the source file (an archive, a
// document), any document read from it or any file the reading left out. The files themselves are
// compared (device and inode), so links, hard links and other spellings of the path count. Empty
// when the target is none of them; else "Выписка не может заменить исходный файл '…'", naming the
// source file.
QString ReplacedSourceText(const QString& target, const QString& source,
                           const DocumentTable& documents);
