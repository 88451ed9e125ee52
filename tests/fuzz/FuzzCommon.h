#pragma once

// What every harness shares: the input as Qt bytes, a check that stops the run on a broken
// promise, and a scratch folder for the harnesses that need files.
#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

inline QByteArray Input(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// libFuzzer keeps the input that made the check fail.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "broken: %s (%s:%d)\n", #condition, __FILE__, __LINE__);          \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// In memory where the system offers it: the harnesses write a file on every run.
inline const QTemporaryDir& Scratch() {
    static const QTemporaryDir dir((QFileInfo(QStringLiteral("/dev/shm")).isDir()
                                        ? QStringLiteral("/dev/shm")
                                        : QDir::tempPath()) +
                                   QStringLiteral("/fuzz-vypiska-XXXXXX"));
    return dir;
}
