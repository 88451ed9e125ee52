#pragma once

#include <QString>

// Temporary folders of ours are named "vypiska-" and six characters (QTemporaryDir's XXXXXX).
inline const QString TempFolderPrefix = QStringLiteral("vypiska-");

// Where temporary folders go: $TMPDIR when it names an existing folder, else the system's own
// (/tmp), never a folder that is not there (which would send them to the root or the working
// directory).
QString TempFolderRoot();

// The template a QTemporaryDir of ours is made from: in TempFolderRoot, named as above, so that
// the clean-up at start finds what a killed run left.
QString TempFolderTemplate();

// Removes folders of ours left in root by a run that was killed: named as above, real folders
// (no links), owned by this user, untouched for minAgeSeconds (so that a run going on now keeps
// its own). Returns how many were removed.
int RemoveStaleTempFolders(const QString& root = TempFolderRoot(), qint64 minAgeSeconds = 600);
