#include "reading/DocumentFile.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace {
void Say(QString* problem, const QString& text) {
    if (problem) *problem = text;
}

QString Unreadable(const QString& path, const QString& why) {
    return QStringLiteral("Не удалось прочитать '%1' (%2)").arg(path, why);
}
} // namespace

QString TooLargeDocumentText(const QString& what) {
    return QStringLiteral("%1 слишком велик для платежного документа (больше %2 МБ), пропущен")
        .arg(what)
        .arg(LargestDocumentBytes >> 20);
}

QString NotRegularFileText(const QString& path) {
    return QStringLiteral("'%1' не обычный файл (канал, устройство или сокет), пропущен").arg(path);
}

std::optional<QByteArray> ReadDocumentBytes(const QString& path, QString* problem) {
    QFile file;
#ifdef Q_OS_UNIX
    // O_NONBLOCK: opening a pipe must not wait for a writer. The kind is asked of the opened
    // file itself, so that nothing can swap it between the question and the reading.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        Say(problem, Unreadable(path, QString::fromLocal8Bit(std::strerror(errno))));
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        Say(problem, NotRegularFileText(path));
        return std::nullopt;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        Say(problem, Unreadable(path, file.errorString()));
        return std::nullopt;
    }
#else
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Say(problem, Unreadable(path, file.errorString()));
        return std::nullopt;
    }
#endif
    // The size the file claims only sizes the buffer; the bound is kept by what arrives.
    QByteArray bytes;
    bytes.reserve(qsizetype(qBound<qint64>(0, file.size(), LargestDocumentBytes)));
    char chunk[64 * 1024];
    for (;;) {
        const qint64 n = file.read(chunk, sizeof chunk);
        if (n < 0) {
            Say(problem, Unreadable(path, file.errorString()));
            return std::nullopt;
        }
        if (n == 0) break;
        if (bytes.size() + n > LargestDocumentBytes) {
            Say(problem, TooLargeDocumentText(QStringLiteral("Файл '%1'").arg(path)));
            return std::nullopt;
        }
        bytes.append(chunk, n);
    }
    return bytes;
}
