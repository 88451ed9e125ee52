#include "settings/ConfigLocation.h"

#include "settings/SettingsUpgrade.h"
#include "text/SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

QString WithSlash(const QString& dir) {
    return dir.endsWith(u'/') ? dir : dir + u'/';
}

bool IsWritableDir(const QString& path) {
    const QFileInfo info(path);
    return info.isDir() && !IsReadOnly(info);
}

// Copies the defaults into a fresh folder beside target and renames it into place. Returns an
// empty text on success, else why not.
QString CreateFromDefaults(const QString& target, const QString& defaults) {
    const QString parent = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(parent))
        return QStringLiteral("не удалось создать папку '%1'")
            .arg(QDir::toNativeSeparators(parent));
    QTemporaryDir staging(parent + QStringLiteral("/.CONFIG-XXXXXX"));
    if (!staging.isValid())
        return QStringLiteral("не удалось создать папку в '%1'")
            .arg(QDir::toNativeSeparators(parent));
    const QDir from(defaults);
    for (const QString& name : from.entryList(QDir::Files | QDir::Hidden)) {
        const QString copy = staging.filePath(name);
        if (!QFile::copy(from.filePath(name), copy))
            return QStringLiteral("не удалось скопировать '%1'")
                .arg(QDir::toNativeSeparators(from.filePath(name)));
        // Installed defaults are read-only; the user's copies are the user's to edit.
        QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ReadGroup | QFileDevice::ReadOther);
    }
    if (!QDir().rename(staging.path(), target)) {
        // Another start may have made it meanwhile: then that one is as good.
        if (QFileInfo(target).isDir()) return {};
        return QStringLiteral("не удалось переименовать '%1' в '%2'")
            .arg(QDir::toNativeSeparators(staging.path()), QDir::toNativeSeparators(target));
    }
    staging.setAutoRemove(false);
    return {};
}

} // namespace

QString UserConfigDir() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Vypiska/CONFIG");
}

QString InstalledDefaultsDir(const QString& appDir) {
    const QDir app(appDir);
    for (const QString& candidate :
         {app.filePath(QStringLiteral("../share/vypiska/CONFIG")), app.filePath("CONFIG")}) {
        if (QFileInfo(candidate).isDir()) return QDir::cleanPath(candidate);
    }
    return {};
}

ConfigLocation ResolveConfigDir(const QString& appDir, const QString& userDir) {
    ConfigLocation location;
    const QString beside = QDir(appDir).filePath(QStringLiteral("CONFIG"));
    if (IsWritableDir(beside)) {
        location.Dir = WithSlash(QDir::cleanPath(beside));
        return location;
    }
    location.Where = ConfigLocation::Kind::User;
    location.Dir = WithSlash(QDir::cleanPath(userDir));
    if (QFileInfo(userDir).isDir()) {
        // Made by an earlier version: its untouched defaults become this version's.
        location.Problems << UpgradeDefaultFiles(userDir, InstalledDefaultsDir(appDir));
        return location;
    }

    const QString defaults = InstalledDefaultsDir(appDir);
    if (defaults.isEmpty()) {
        // The sentence names the folder; the finding names it in its own column.
        const auto none = [&](const QString& folder) {
            return QStringLiteral("Нет настроек по умолчанию ни в '%1', ни рядом с программой: "
                                  "папка настроек%2 не создана")
                .arg(QDir::toNativeSeparators(
                         QDir(appDir).filePath(QStringLiteral("../share/vypiska/CONFIG"))),
                     folder);
        };
        location.Problems << none(QStringLiteral(" '") + QDir::toNativeSeparators(userDir) + u'\'');
        location.Findings.push_back(SettingsFinding(userDir, none({})));
        return location;
    }
    const QString failure = CreateFromDefaults(userDir, defaults);
    if (failure.isEmpty()) return location;
    // Reading still works from the defaults; what the user changes cannot be kept.
    location.Where = ConfigLocation::Kind::Defaults;
    location.Dir = WithSlash(defaults);
    const auto notMade = [&](const QString& folder) {
        return QStringLiteral("Не удалось создать папку настроек%1 (%2): настройки читаются из "
                              "'%3', изменения не сохранятся")
            .arg(folder, failure, QDir::toNativeSeparators(defaults));
    };
    location.Problems << notMade(QStringLiteral(" '") + QDir::toNativeSeparators(userDir) + u'\'');
    location.Findings.push_back(SettingsFinding(userDir, notMade({})));
    return location;
}
