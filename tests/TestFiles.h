#pragma once

// Real files and programs for the tests: files written whole or the test stops, read back as
// bytes, a file size limit, a program run to its end.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <csignal>
#include <functional>
#include <sys/resource.h>

// Writes the bytes, making the folders on the way; returns the path.
inline QString WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Everything in the folder, hidden and system entries too, by name.
inline QStringList Listing(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// Changes the file's bytes in place.
inline void EditFile(const QString& path, const std::function<void(QByteArray&)>& edit) {
    QByteArray bytes = ReadFile(path);
    edit(bytes);
    WriteFile(path, bytes);
}

// While it lives, no file grows past the bytes: a write beyond fails instead of ending the test.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        if (getrlimit(RLIMIT_FSIZE, &m_saved) != 0) qFatal("cannot read the file size limit");
        const rlimit small{bytes, m_saved.rlim_max};
        if (setrlimit(RLIMIT_FSIZE, &small) != 0) qFatal("cannot limit the file size");
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved{};
};

struct ProgramRun {
    int Exit = -1; // -1 also when it crashed or never ended
    QByteArray Out;
    QString Err;
};

// Runs the program to its end; setup may change the process (environment, streams) first.
inline ProgramRun RunProgram(const QString& program, const QStringList& args,
                             const std::function<void(QProcess&)>& setup = {}) {
    QProcess p;
    if (setup) setup(p);
    p.start(program, args);
    if (!p.waitForFinished(60000)) return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            QString::fromUtf8(p.readAllStandardError())};
}

// The environment of this process with the variables set.
inline QProcessEnvironment EnvironmentWith(const QList<std::pair<QString, QString>>& set) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : set)
        env.insert(name, value);
    return env;
}
