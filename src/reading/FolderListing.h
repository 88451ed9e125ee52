#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Ascending without regard to case; names differing only in case in a stable order.
bool NameBefore(QStringView a, QStringView b);

// What the "*.xml" pattern of a folder listing takes: any case, no hidden (dot) files.
bool IsDocumentName(const QString& name);

// The document files of a folder, unsorted: names IsDocumentName takes, of anything but a folder
// and of links whose target exists and is no folder.
QStringList ListDocumentFiles(const QString& folder);

// The names of the document files directly inside the folder (IsDocumentName; no folders; links
// whose target exists and is no folder), in NameBefore order.
QStringList DocumentFileNames(const QString& folder);
