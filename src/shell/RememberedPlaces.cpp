#include "shell/RememberedPlaces.h"

#include "settings/INIStorage.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString LeftKey = QStringLiteral("WindowLeft");
const QString TopKey = QStringLiteral("WindowTop");
const QString WidthKey = QStringLiteral("WindowWidth");
const QString HeightKey = QStringLiteral("WindowHeight");
const QString MaximizedKey = QStringLiteral("WindowMaximized");

std::optional<int> ReadInt(const INIStorage& settings, const QString& key) {
    bool ok = false;
    const int value = settings.ReadVal(User, key, QString()).toString().toInt(&ok);
    if (!ok) return std::nullopt;
    return value;
}

QString FolderKey(LastFolder which) {
    return which == LastFolder::Source ? QStringLiteral("LastSourceFolder")
                                       : QStringLiteral("LastSaveFolder");
}

qint64 Area(const QRect& r) {
    return r.isValid() ? qint64(r.width()) * r.height() : 0;
}

// The start that keeps a length inside [low, low + room), as much of it as fits.
int Clamp(int start, int length, int low, int room) {
    return std::max(low, std::min(start, low + room - length));
}

} // namespace

std::optional<WindowPlacement> ReadWindowPlacement(const INIStorage& settings) {
    const auto left = ReadInt(settings, LeftKey), top = ReadInt(settings, TopKey),
               width = ReadInt(settings, WidthKey), height = ReadInt(settings, HeightKey);
    if (!left || !top || !width || !height || *width <= 0 || *height <= 0) return std::nullopt;
    return WindowPlacement{QRect(*left, *top, *width, *height),
                           ReadInt(settings, MaximizedKey).value_or(0) == 1};
}

bool WriteWindowPlacement(const INIStorage& settings, const WindowPlacement& placement) {
    const QRect& r = placement.Normal;
    bool stored = true;
    for (const auto& [key, value] : {std::pair{LeftKey, r.x()},
                                     {TopKey, r.y()},
                                     {WidthKey, r.width()},
                                     {HeightKey, r.height()},
                                     {MaximizedKey, placement.Maximized ? 1 : 0}})
        stored = settings.WriteVal(User, key, value) && stored;
    return stored;
}

QRect FitToScreens(const QRect& saved, const QList<QRect>& screens, const QSize& minimum) {
    if (screens.isEmpty() || !saved.isValid()) return saved;
    QRect screen = screens.front();
    qint64 best = 0;
    for (const QRect& candidate : screens) {
        const qint64 shared = Area(saved.intersected(candidate));
        if (shared > best) best = shared, screen = candidate;
    }
    const QSize size = saved.size().boundedTo(screen.size()).expandedTo(minimum);
    if (best == 0) {
        QRect centred(QPoint(), size);
        centred.moveCenter(screen.center());
        return centred;
    }
    return QRect(Clamp(saved.x(), size.width(), screen.x(), screen.width()),
                 Clamp(saved.y(), size.height(), screen.y(), screen.height()), size.width(),
                 size.height());
}

QString ReadLastFolder(const INIStorage& settings, LastFolder which) {
    const QString folder = settings.ReadVal(User, FolderKey(which), QString()).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

bool WriteLastFolder(const INIStorage& settings, LastFolder which, const QString& folder) {
    if (folder.isEmpty() ||
        settings.ReadVal(User, FolderKey(which), QString()).toString() == folder)
        return true;
    return settings.WriteVal(User, FolderKey(which), folder);
}

QString SourceFolder(const QString& sourcePath) {
    const QFileInfo info(sourcePath);
    if (sourcePath.isEmpty()) return {};
    return QDir::toNativeSeparators(info.isDir() ? info.absoluteFilePath() : info.absolutePath());
}

QString SaveDialogFolder(const INIStorage& settings, const QString& sourcePath) {
    const QString last = ReadLastFolder(settings, LastFolder::Statement);
    if (!last.isEmpty()) return last;
    const QString source = SourceFolder(sourcePath);
    return !source.isEmpty() && QFileInfo(source).isDir() ? source : QString();
}
