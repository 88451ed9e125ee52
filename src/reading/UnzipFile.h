#pragma once

#include "reading/ArchiveWalk.h"

#include <QString>
#include <QStringList>

#include <functional>

// The path ending in a separator: the separator alone for an empty path.
QString AddBackslash(const QString& path);

// Writes every file of the .zip archive under the destination (created when missing) with the
// archive's folder structure, through the archive walk and its safety rules (WalkArchive). An
// empty destination is the archive path without its extension. A file already there is never
// overwritten: one that was there before is kept silently, a second entry of the same name is
// said. Every write and close is checked: after a failed one nothing more is written, and the
// problems say which file failed and how many were lost. Everything that went wrong is added to
// problems in Russian; what could be extracted stays. keepGoing is asked between entries and
// between blocks of a large one: false stops at once (the file being written is removed),
// silently.
void UnzipFile(const QString& archive, const QString& destination, QStringList* problems = nullptr,
               const UnzipLimits& limits = {}, const std::function<bool()>& keepGoing = {});
