#pragma once

#include <QString>
#include <QVariant>

#include <stdexcept>

// Section indexes of the settings. Main and Organization live in CONFIG.INI, User in USER.INI.
enum IniSection : int { Main = 0, Organization = 1, User = 2 };

class IniSectionError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// The settings store over CONFIG.INI and USER.INI in ConfigDir. Keeps no cache: every read goes
// to the file. Files are Windows-1251; every write replaces the file atomically.
class INIStorage {
public:
    explicit INIStorage(const QString& configDir);

    // The stored text, or def itself when the value is missing, empty or blank.
    QVariant ReadVal(int section, const QString& key, const QVariant& def) const;
    // False when the file layer refused the write (the old file stays as it was).
    bool WriteVal(int section, const QString& key, const QVariant& value) const;
    QVariant ReadCustom(const QString& filePath, const QString& sectionName, const QString& key,
                        const QVariant& def) const;

    QString MainIniFile() const { return m_mainIniFile; }
    QString UserIniFile() const { return m_userIniFile; }

    // Throw IniSectionError for indexes other than 0, 1, 2.
    QString SectionName(int section) const;
    QString SectionFile(int section) const;

private:
    QString m_mainIniFile;
    QString m_userIniFile;
};

// Whether the saved file is shown in the file manager after a save: the stored GotoAfterSave
// equals 1 as a number. A missing value or one that is not a number (a word) counts as off.
bool GotoAfterSaveOn(const INIStorage& settings);
