#include "journal/StatementHash.h"

#ifdef VYPISKA_HAVE_OPENSSL
#include <openssl/evp.h>

struct StatementHash::State {
    EVP_MD_CTX* Context = EVP_MD_CTX_new();
    bool Ok = Context && EVP_DigestInit_ex(Context, EVP_sha256(), nullptr) == 1;
    ~State() { EVP_MD_CTX_free(Context); }
};

StatementHash::StatementHash() : m_state(std::make_unique<State>()) {}
StatementHash::~StatementHash() = default;

void StatementHash::Add(QByteArrayView bytes) {
    if (m_state->Ok)
        m_state->Ok = EVP_DigestUpdate(m_state->Context, bytes.data(), size_t(bytes.size())) == 1;
}

QString StatementHash::Hex() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    // A library that failed gives no hash: an empty one never matches a file's.
    if (!m_state->Ok || EVP_DigestFinal_ex(m_state->Context, digest, &size) != 1) return {};
    m_state->Ok = false;
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(digest), int(size)).toHex());
}
#else
#include <QCryptographicHash>

struct StatementHash::State {
    QCryptographicHash Hash{QCryptographicHash::Sha256};
};

StatementHash::StatementHash() : m_state(std::make_unique<State>()) {}
StatementHash::~StatementHash() = default;

void StatementHash::Add(QByteArrayView bytes) {
    m_state->Hash.addData(bytes);
}

QString StatementHash::Hex() {
    return QString::fromLatin1(m_state->Hash.result().toHex());
}
#endif
