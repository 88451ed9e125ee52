#pragma once

#include "findings/Findings.h"

#include <QString>
#include <QStringList>

// Where TAG.INI, the templates, CONFIG.INI and USER.INI live for this run.
struct ConfigLocation {
    enum class Kind {
        Portable, // CONFIG/ beside the executable, writable: a copy run from its own folder
        User,     // the user's own folder, made from the installed defaults on first start
        Defaults, // the user's folder could not be made: the defaults, read-only
    };
    QString Dir; // with a trailing '/'
    Kind Where = Kind::Portable;
    QStringList Problems; // why the user's folder could not be made, in Russian
    FindingList Findings; // the same, as settings findings of the user's folder
};

// The user's folder: "Vypiska/CONFIG" in the platform's configuration location
// (~/.config/Vypiska/CONFIG/ on Linux), the same for the window and the command line.
QString UserConfigDir();

// The defaults that an installed copy brings: ../share/vypiska/CONFIG from the executable's
// folder, else a read-only CONFIG/ beside it. Empty when neither exists.
QString InstalledDefaultsDir(const QString& appDir);

// CONFIG/ beside the executable when it exists and may be written to (its own permissions say
// so, even for an administrator); otherwise userDir, which is created on first start as a copy of
// the installed defaults. The copy is made beside it and renamed into place whole, so an
// interrupted first start never leaves a half-filled folder that later starts would trust.
ConfigLocation ResolveConfigDir(const QString& appDir, const QString& userDir = UserConfigDir());
