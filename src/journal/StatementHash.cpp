#include "journal/StatementHash.h"

#ifdef VYPISKA_HAVE_OPENSSL
#include <QCryptographicHash>

#include <dlfcn.h>
#include <openssl/evp.h>

#include <optional>

namespace {
// The library is opened at the first hash, not at every start: its thousands of symbols were a
// third of the dynamic linker's work for every command, most of which never hash.
struct Crypto {
    decltype(&EVP_MD_CTX_new) New = nullptr;
    decltype(&EVP_MD_CTX_free) Free = nullptr;
    decltype(&EVP_sha256) Sha256 = nullptr;
    decltype(&EVP_DigestInit_ex) Init = nullptr;
    decltype(&EVP_DigestUpdate) Update = nullptr;
    decltype(&EVP_DigestFinal_ex) Final = nullptr;
};

// None when the library is not there: Qt's own hash then gives the same digest, slower.
const std::optional<Crypto>& CryptoLibrary() {
    static const std::optional<Crypto> library = []() -> std::optional<Crypto> {
        void* handle = dlopen(VYPISKA_CRYPTO_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!handle) return std::nullopt;
        Crypto c;
        const auto take = [&](auto& function, const char* name) {
            function =
                reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(handle, name));
            return function != nullptr;
        };
        if (!take(c.New, "EVP_MD_CTX_new") || !take(c.Free, "EVP_MD_CTX_free") ||
            !take(c.Sha256, "EVP_sha256") || !take(c.Init, "EVP_DigestInit_ex") ||
            !take(c.Update, "EVP_DigestUpdate") || !take(c.Final, "EVP_DigestFinal_ex"))
            return std::nullopt;
        return c;
    }();
    return library;
}
} // namespace

struct StatementHash::State {
    const std::optional<Crypto>& Library = CryptoLibrary();
    EVP_MD_CTX* Context = Library ? Library->New() : nullptr;
    bool Ok = Context && Library->Init(Context, Library->Sha256(), nullptr) == 1;
    std::optional<QCryptographicHash> Portable;
    State() {
        if (!Library) Portable.emplace(QCryptographicHash::Sha256);
    }
    ~State() {
        if (Context) Library->Free(Context);
    }
};

StatementHash::StatementHash() : m_state(std::make_unique<State>()) {}
StatementHash::~StatementHash() = default;

void StatementHash::Add(QByteArrayView bytes) {
    if (m_state->Portable)
        m_state->Portable->addData(bytes);
    else if (m_state->Ok)
        m_state->Ok =
            m_state->Library->Update(m_state->Context, bytes.data(), size_t(bytes.size())) == 1;
}

QString StatementHash::Hex() {
    if (m_state->Portable) return QString::fromLatin1(m_state->Portable->result().toHex());
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    // A library that failed gives no hash: an empty one never matches a file's.
    if (!m_state->Ok || m_state->Library->Final(m_state->Context, digest, &size) != 1) return {};
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
