#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Bounds on what one archive may expand to, so that a hostile archive stops with a problem
// instead of filling the disk. Tests lower them.
struct UnzipLimits {
    qint64 MaxTotalBytes = qint64(4) << 30; // all files together
    // Once this much has been written, the bytes written per byte of the archive file may not
    // exceed MaxRatio; real documents compress far less than that.
    qint64 RatioCheckBytes = qint64(64) << 20;
    double MaxRatio = 200.0;
};

// The path ending in a separator: the separator alone for an empty path.
QString AddBackslash(const QString& path);

// Writes every file of the .zip archive under the destination (created when missing) with the
// archive's folder structure. An empty destination is the archive path without its extension.
// Entries with a path component shorter than two characters are skipped, an existing file is
// never overwritten, and nothing is written outside the destination: entries with "..", an
// absolute path or a drive letter, and links, are refused. Everything that went wrong (a
// damaged archive, a refused entry, a bound reached) is added to problems in words a user
// understands; what could be extracted stays. keepGoing is asked between entries and between
// blocks of a large one: false stops at once (the file being written is removed), silently.
void UnzipFile(const QString& archive, const QString& destination, QStringList* problems = nullptr,
               const UnzipLimits& limits = {}, const std::function<bool()>& keepGoing = {});
