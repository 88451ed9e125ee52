#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// No settings file or template of ours comes near this size: anything larger is not one.
constexpr qint64 LargestSettingsFileBytes = 1 << 20;

// Why the file at path cannot be a settings file or a template: not a regular file (a folder, a
// pipe, a device, a link to one) or larger than LargestSettingsFileBytes. Asked of the path
// alone, before anything opens it: opening a pipe would wait for a writer for ever, and a device
// never ends. Empty for such a file, and for none at all.
QString SettingsFileProblem(const QString& path);

// The bytes of a settings file or template; nothing when it is missing (problem stays empty) or
// cannot serve (problem says why, naming neither the file nor what it is for).
std::optional<QByteArray> ReadSettingsFile(const QString& path, QString* problem = nullptr);
