#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Ascending without regard to case; names differing only in case in a stable order.
bool NameBefore(QStringView a, QStringView b);

// What the "*.xml" pattern of a folder listing takes: any case, no hidden (dot) files.
bool IsDocumentName(const QString& name);

// The names of the document files directly inside the folder (IsDocumentName; no folders; links
// whose target exists and is no folder), in NameBefore order.
QStringList DocumentFileNames(const QString& folder);
