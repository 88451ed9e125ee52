#pragma once

#include "findings/Findings.h"

class TextCoder;

// The settings folder's findings beyond TAG.INI's own lines: what its TAG.INI or 1C template
// lacks of this version's lines, then every template that cannot make a statement, or that there
// is none.
FindingList SettingsFolderFindings(const QString& configDir, const TextCoder& coder);

// CONFIG.INI or USER.INI of the folder that is no regular file of at most 1 MB (a pipe, a device,
// a folder, a huge file): never read, the defaults serve, and this says so.
void AddSettingsFileFindings(FindingList& out, const QString& configDir);
