#pragma once

#include <QString>

#include <optional>

// A settings file in the private-profile form: "[Section]" lines and "key=value" lines, names
// matched without regard to case, blanks around names and values dropped. The file is
// Windows-1251; lines may end in CR LF or LF. A write changes only the one line it concerns (or
// adds it), keeps every other line byte for byte, and replaces the file in one step, so a failed
// write leaves the old file as it was.
class IniFile {
public:
    explicit IniFile(const QString& path) : m_path(path) {}

    const QString& Path() const { return m_path; }

    // The value, whole and trimmed; nothing when the file, the section or the key is missing.
    // A key present with an empty value gives the empty text.
    std::optional<QString> Read(const QString& section, const QString& key) const;

    // Sets key=value in the section, creating the file (when its folder exists), the section and
    // the key as needed. False when nothing was stored: missing folder, read-only file, a failed
    // write. Line breaks inside the value are stored as spaces so they cannot start new lines.
    bool Write(const QString& section, const QString& key, const QString& value) const;

private:
    QString m_path;
};
