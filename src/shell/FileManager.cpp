#include "shell/FileManager.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#ifdef VYPISKA_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusMessage>
#endif

#ifdef VYPISKA_HAVE_DBUS
// The freedesktop file-manager interface, offered by most Linux desktops.
static bool ShowItemsOverDBus(const QString& path) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    // Short timeout: the window waits for the answer.
    const QDBusMessage reply = bus.call(call, QDBus::Block, 3000);
    return reply.type() == QDBusMessage::ReplyMessage;
}
#endif

bool ShowInFileManager(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
#ifdef Q_OS_WIN
    QProcess explorer;
    explorer.setProgram(QStringLiteral("explorer.exe"));
    // Explorer parses its own command line; the quotes must reach it as written.
    explorer.setNativeArguments(QStringLiteral("/n, /select, \"") +
                                QDir::toNativeSeparators(absolute) + QLatin1Char('"'));
    if (explorer.startDetached()) return true;
#endif
#ifdef VYPISKA_HAVE_DBUS
    if (ShowItemsOverDBus(absolute)) return true;
#endif
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(absolute).absolutePath()));
}
