#include "shell/AppResources.h"

#include <QString>

// The resources live in a static library: without an explicit reference the linker drops them.
static void EnsureResources() {
    static const bool loaded = [] {
        Q_INIT_RESOURCE(vypiska);
        return true;
    }();
    Q_UNUSED(loaded);
}

static QIcon BundledIcon(const QString& name) {
    EnsureResources();
    QIcon icon;
    for (int size : {16, 32})
        icon.addFile(QStringLiteral(":/icons/%1-%2.png").arg(name).arg(size), QSize(size, size));
    return icon;
}

QIcon AppIcon() {
    EnsureResources();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/AAA/%1.png").arg(size), QSize(size, size));
    return icon;
}

QPixmap LogoPixmap() {
    EnsureResources();
    return QPixmap(QStringLiteral(":/logo.png"));
}

QIcon OpenFolderIcon() {
    return QIcon::fromTheme(QStringLiteral("document-open"),
                            BundledIcon(QStringLiteral("open-folder")));
}

QIcon SettingsIcon() {
    return QIcon::fromTheme(QStringLiteral("preferences-system"),
                            BundledIcon(QStringLiteral("settings")));
}
