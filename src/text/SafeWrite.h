#pragma once

#include <QByteArray>
#include <QString>

class QFileInfo;

enum class ReadOnlyTarget {
    Replace, // a statement: the user chose the path and confirmed the replacement
    Refuse,  // a settings file: a read-only file means the user does not want it changed
};

// Writes the bytes beside the target and renames the result over it in one step, keeping the
// old file's permissions. After any failure the old file (if any) is left byte for byte and no
// partial file remains; error then holds the reason (it does not repeat the path). A character
// device or a pipe at the path (links followed) is written into, never replaced; any other kind
// of file that is not a regular one is refused.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, ReadOnlyTarget readOnly,
                         QString* error = nullptr);

// Whether the file's (or folder's) own permissions forbid writing. The owner's write bit counts
// even for an administrator, who could write anyway: the bit is what the user set.
bool IsReadOnly(const QFileInfo& info);
