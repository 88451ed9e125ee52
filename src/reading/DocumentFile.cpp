#include "reading/DocumentFile.h"

#include "text/FileNames.h"

#include <QFile>

#include <functional>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace {
// What is said of a file that gives no bytes: the sentence naming it, and its finding.
void Say(const QString& path, QString* problem, FindingList* findings, const QString& text,
         FindingKind kind, const QString& why) {
    if (problem) *problem = text;
    if (findings) findings->push_back(FileFinding(kind, path, why));
}

void SayUnreadable(const QString& path, const QString& error, QString* problem,
                   FindingList* findings) {
    Say(path, problem, findings, QStringLiteral("Не удалось прочитать '%1' (%2)").arg(path, error),
        FindingKind::Unread, QStringLiteral("Не удалось прочитать (%1)").arg(error));
}
} // namespace

QString TooLargeDocumentWhy() {
    return QStringLiteral("слишком велик для платежного документа (больше %1 МБ), пропущен")
        .arg(LargestDocumentBytes >> 20);
}

QString TooLargeDocumentText(const QString& what) {
    return what + u' ' + TooLargeDocumentWhy();
}

QString NotRegularFileWhy() {
    return QStringLiteral("не обычный файл (канал, устройство или сокет), пропущен");
}

QString NotRegularFileText(const QString& path) {
    return u'\'' + path + QStringLiteral("' ") + NotRegularFileWhy();
}

namespace {
// Takes what read gives until it gives nothing: the size the file claims does not count, the
// bound is kept by what arrives. read returns the bytes read, 0 at the end, -1 on an error.
std::optional<QByteArray> ReadBounded(const QString& path, qint64 claimed,
                                      const std::function<qint64(char*, qint64)>& read,
                                      const std::function<QString()>& why, QString* problem,
                                      FindingList* findings) {
    QByteArray bytes;
    bytes.reserve(qsizetype(qBound<qint64>(0, claimed, LargestDocumentBytes)));
    char chunk[64 * 1024];
    for (;;) {
        const qint64 n = read(chunk, sizeof chunk);
        if (n < 0) {
            SayUnreadable(path, why(), problem, findings);
            return std::nullopt;
        }
        if (n == 0) break;
        if (bytes.size() + n > LargestDocumentBytes) {
            Say(path, problem, findings, TooLargeDocumentText(QStringLiteral("Файл '%1'").arg(path)),
                FindingKind::Skipped, TooLargeDocumentWhy());
            return std::nullopt;
        }
        bytes.append(chunk, n);
    }
    return bytes;
}

#ifdef Q_OS_UNIX
QString ErrnoText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}
#endif
} // namespace

std::optional<QByteArray> ReadDocumentBytes(const QString& path, QString* problem,
                                            FindingList* findings) {
#ifdef Q_OS_UNIX
    // Plain system calls: a year of documents is a hundred thousand files, and each call more
    // per file shows. O_NONBLOCK: opening a pipe must not wait for a writer. The kind is asked
    // of the opened file itself, so that nothing can swap it between the question and the
    // reading.
    const int fd = ::open(FileNameBytes(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        SayUnreadable(path, ErrnoText(), problem, findings);
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        Say(path, problem, findings, NotRegularFileText(path), FindingKind::Skipped,
            NotRegularFileWhy());
        return std::nullopt;
    }
    std::optional<QByteArray> bytes = ReadBounded(
        path, st.st_size,
        [fd](char* into, qint64 most) {
            ssize_t n;
            do
                n = ::read(fd, into, size_t(most));
            while (n < 0 && errno == EINTR);
            return qint64(n);
        },
        ErrnoText, problem, findings);
    ::close(fd);
    return bytes;
#else
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        SayUnreadable(path, file.errorString(), problem, findings);
        return std::nullopt;
    }
    return ReadBounded(
        path, file.size(), [&](char* into, qint64 most) { return file.read(into, most); },
        [&] { return file.errorString(); }, problem, findings);
#endif
}
