#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

// The SHA-256 of a statement's bytes, taken as they are written, in hex. The system's
// cryptography library uses the processor's own instructions: a year's statement is a hundred
// megabytes, and the portable code took as long as making the statement itself.
class StatementHash {
public:
    StatementHash();
    ~StatementHash();
    StatementHash(const StatementHash&) = delete;
    StatementHash& operator=(const StatementHash&) = delete;

    void Add(QByteArrayView bytes);
    // The hash of everything added, in lower-case hex; once.
    QString Hex();

private:
    struct State;
    std::unique_ptr<State> m_state;
};
