#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// A settings folder made by an earlier version. Its TAG.INI or 1C template, when byte for byte
// an earlier default, is replaced by this version's default from defaultsDir, the old one kept
// beside it as "<name>.bak"; an edited one stays as the user left it. The replaced file is
// written whole or not at all. Returns what could not be done, one line each, naming the file.
QStringList UpgradeDefaultFiles(const QString& configDir, const QString& defaultsDir);

// The keys of the tax and budget fields the default TAG.INI has since this version, in its order.
const QStringList& TaxFieldKeys();

struct SettingsGap {
    QString Path; // the file
    QString Why;  // which of this version's lines it lacks, and how to take them
};

// What an edited TAG.INI or 1C template of configDir lacks of this version's lines (the tax and
// budget fields, the money's dates and the document's kind): one entry a file, none when it has
// them all. A TAG.INI of a few columns of its own is not one an earlier version made: it is left
// alone.
std::vector<SettingsGap> MissingDefaultLines(const QString& configDir);
