#pragma once

#include "findings/Findings.h"

#include <QByteArray>
#include <QString>

#include <optional>

// A payment document is a few kilobytes; a file or an archive entry beyond this is not one, and
// reading it whole would only exhaust the memory.
constexpr qint64 LargestDocumentBytes = qint64(16) << 20;

// The text of the problem for a document over LargestDocumentBytes; what names the file or entry.
QString TooLargeDocumentText(const QString& what);
// The same without the name, as its finding says it.
QString TooLargeDocumentWhy();
// The text of the problem for a path that names a pipe, a device or a socket.
QString NotRegularFileText(const QString& path);
QString NotRegularFileWhy();

// The bytes of one document file. Only a regular file is read (a link is followed to one): a
// pipe, a device or a socket is refused without waiting on it. The size bound holds for what is
// read, whatever size the file claims. Nothing when refused or unreadable; problem says why, and
// findings receive it as a finding.
std::optional<QByteArray> ReadDocumentBytes(const QString& path, QString* problem = nullptr,
                                            FindingList* findings = nullptr);
