#include "settings/INIStorage.h"

#include "settings/IniFile.h"

namespace {

QString JoinDir(const QString& dir, const QString& name) {
    if (dir.isEmpty() || dir.endsWith(u'/') || dir.endsWith(u'\\')) return dir + name;
    return dir + u'/' + name;
}

QVariant ValueOrDefault(const std::optional<QString>& stored, const QVariant& def) {
    if (!stored || stored->isEmpty()) return def;
    return *stored;
}

QString StoredText(const QVariant& value) {
    // A flag is kept the way the program's own flags are: 1 or 0.
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return value.toString();
}

} // namespace

INIStorage::INIStorage(const QString& configDir)
    : m_mainIniFile(JoinDir(configDir, QStringLiteral("CONFIG.INI"))),
      m_userIniFile(JoinDir(configDir, QStringLiteral("USER.INI"))) {}

QVariant INIStorage::ReadVal(int section, const QString& key, const QVariant& def) const {
    return ReadCustom(SectionFile(section), SectionName(section), key, def);
}

bool INIStorage::WriteVal(int section, const QString& key, const QVariant& value) const {
    const QString name = SectionName(section);
    return IniFile(SectionFile(section)).Write(name, key, StoredText(value));
}

QVariant INIStorage::ReadCustom(const QString& filePath, const QString& sectionName,
                                const QString& key, const QVariant& def) const {
    return ValueOrDefault(IniFile(filePath).Read(sectionName, key), def);
}

QString INIStorage::SectionName(int section) const {
    switch (section) {
    case Main:
        return QStringLiteral("Main");
    case Organization:
        return QStringLiteral("Organization");
    case User:
        return QStringLiteral("User");
    }
    throw IniSectionError("нет раздела настроек с номером " + std::to_string(section));
}

QString INIStorage::SectionFile(int section) const {
    switch (section) {
    case Main:
    case Organization:
        return m_mainIniFile;
    case User:
        return m_userIniFile;
    }
    throw IniSectionError("нет раздела настроек с номером " + std::to_string(section));
}

bool GotoAfterSaveOn(const INIStorage& settings) {
    bool ok = false;
    const double value =
        settings.ReadVal(User, QStringLiteral("GotoAfterSave"), 0).toString().toDouble(&ok);
    return ok && value == 1.0;
}
