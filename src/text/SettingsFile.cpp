#include "text/SettingsFile.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#else
#include <QFileInfo>
#endif

namespace {
void Say(QString* problem, const QString& text) {
    if (problem) *problem = text;
}

QString NotRegularText() {
    return QStringLiteral("не обычный файл (папка, канал или устройство)");
}

QString TooLargeText() {
    return QStringLiteral("файл больше %1 МБ").arg(LargestSettingsFileBytes >> 20);
}
} // namespace

QString SettingsFileProblem(const QString& path) {
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return {};
    if (!S_ISREG(st.st_mode)) return NotRegularText();
    if (st.st_size > LargestSettingsFileBytes) return TooLargeText();
#else
    const QFileInfo info(path);
    if (!info.exists()) return {};
    if (!info.isFile()) return NotRegularText();
    if (info.size() > LargestSettingsFileBytes) return TooLargeText();
#endif
    return {};
}

std::optional<QByteArray> ReadSettingsFile(const QString& path, QString* problem) {
    Say(problem, {});
    if (!QFile::exists(path)) return std::nullopt;
    if (const QString why = SettingsFileProblem(path); !why.isEmpty()) {
        Say(problem, why);
        return std::nullopt;
    }
#ifdef Q_OS_UNIX
    // Whatever took the file's place since the question is asked again of the opened file; a
    // pipe put there opens without waiting.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        Say(problem, QString::fromLocal8Bit(std::strerror(errno)));
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        Say(problem, NotRegularText());
        return std::nullopt;
    }
    QByteArray bytes;
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            Say(problem, QString::fromLocal8Bit(std::strerror(errno)));
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        if (bytes.size() + n > LargestSettingsFileBytes) {
            ::close(fd);
            Say(problem, TooLargeText());
            return std::nullopt;
        }
        bytes.append(chunk, n);
    }
    ::close(fd);
    return bytes;
#else
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Say(problem, file.errorString());
        return std::nullopt;
    }
    QByteArray bytes = file.read(LargestSettingsFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        Say(problem, file.errorString());
        return std::nullopt;
    }
    if (bytes.size() > LargestSettingsFileBytes) {
        Say(problem, TooLargeText());
        return std::nullopt;
    }
    return bytes;
#endif
}
