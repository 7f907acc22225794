#include "vexel.h"

#include "platform/runtimelibrary.h"

#include <QByteArray>
#include <QStringDecoder>
#include <sodium.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace platform {
namespace {

// libsodium is opened on the first stored text, not linked: a fresh start reads and writes
// none, and a linked library is loaded and relocated before main() on every start.
#define TONVALE_SODIUM_FUNCTIONS(X) \
    X(sodium_init)                  \
    X(crypto_generichash)           \
    X(randombytes_buf)              \
    X(crypto_secretbox_easy)        \
    X(crypto_secretbox_open_easy)   \
    X(sodium_memzero)               \
    X(sodium_bin2base64)            \
    X(sodium_base642bin)

struct Sodium {
#define TONVALE_SODIUM_POINTER(name) decltype(&::name) name = nullptr;
    TONVALE_SODIUM_FUNCTIONS(TONVALE_SODIUM_POINTER)
#undef TONVALE_SODIUM_POINTER
};

const Sodium* loadSodium() {
    void* lib = openRuntimeLibrary({"libsodium.so.23", "libsodium.so"});
    if (!lib) return nullptr;
    static Sodium found;
    bool all = true;
#define TONVALE_SODIUM_FIND(name)                                               \
    all = findFunction(lib, found.name, #name) && all;
    TONVALE_SODIUM_FUNCTIONS(TONVALE_SODIUM_FIND)
#undef TONVALE_SODIUM_FIND
    // sodium_init is idempotent and thread-safe; a failure means no usable random source.
    if (!all || found.sodium_init() < 0) return nullptr;
    return &found;
}

// Without the library (or a random source) no stored file can be read or written safely, and
// writing stored text without real nonces is worse than stopping.
const Sodium& sodium() {
    static const Sodium* const lib = loadSodium();
    if (!lib) {
        std::fputs("libsodium could not be loaded: stored files can be neither read nor written\n", stderr);
        std::abort();
    }
    return *lib;
}

struct Key {
    unsigned char bytes[crypto_secretbox_KEYBYTES];
};

Key deriveKey(const Sodium& so, const QString& keyText) {
    static_assert(crypto_secretbox_KEYBYTES == crypto_generichash_BYTES, "key size");
    Key k;
    const QByteArray text = keyText.toUtf8();
    so.crypto_generichash(k.bytes, sizeof k.bytes, reinterpret_cast<const unsigned char*>(text.constData()),
                          static_cast<unsigned long long>(text.size()), nullptr, 0);
    return k;
}

} // namespace

QString Vexel::EncodeText(const QString& plain, const QString& key) {
    if (plain.isEmpty()) return QString();
    const Sodium& so = sodium();
    Key k = deriveKey(so, key);
    const QByteArray message = plain.toUtf8();
    std::vector<unsigned char> sealed(crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES +
                                      static_cast<size_t>(message.size()));
    unsigned char* nonce = sealed.data();
    so.randombytes_buf(nonce, crypto_secretbox_NONCEBYTES);
    so.crypto_secretbox_easy(nonce + crypto_secretbox_NONCEBYTES,
                             reinterpret_cast<const unsigned char*>(message.constData()),
                             static_cast<unsigned long long>(message.size()), nonce, k.bytes);
    so.sodium_memzero(&k, sizeof k);

    const size_t b64Len = sodium_base64_ENCODED_LEN(sealed.size(), sodium_base64_VARIANT_ORIGINAL);
    QByteArray out(static_cast<int>(b64Len), Qt::Uninitialized);
    so.sodium_bin2base64(out.data(), b64Len, sealed.data(), sealed.size(), sodium_base64_VARIANT_ORIGINAL);
    out.chop(1);  // the terminating NUL
    return QString::fromLatin1(out);
}

QString Vexel::DecodeText(const QString& stored, const QString& key, bool* ok) {
    if (ok) *ok = false;
    for (const QChar c : stored)
        if (c.unicode() > 0x7f) return QString();
    return DecodeStored(stored.toLatin1(), key, ok);
}

QString Vexel::DecodeStored(QByteArrayView b64, const QString& key, bool* ok) {
    if (ok) *ok = false;
    if (b64.isEmpty()) {
        if (ok) *ok = true;
        return QString();
    }
    const Sodium& so = sodium();
    for (const char c : b64)
        if (static_cast<unsigned char>(c) > 0x7f) return QString();

    std::vector<unsigned char> sealed(static_cast<size_t>(b64.size()) / 4 * 3 + 3);
    size_t binLen = 0;
    const char* end = nullptr;
    if (so.sodium_base642bin(sealed.data(), sealed.size(), b64.data(), static_cast<size_t>(b64.size()),
                             nullptr, &binLen, &end, sodium_base64_VARIANT_ORIGINAL) != 0)
        return QString();
    if (end != b64.data() + b64.size()) return QString();  // trailing characters
    if (binLen < crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES) return QString();

    const unsigned char* nonce = sealed.data();
    const size_t boxLen = binLen - crypto_secretbox_NONCEBYTES;
    std::vector<unsigned char> message(boxLen - crypto_secretbox_MACBYTES + 1);
    Key k = deriveKey(so, key);
    const int opened = so.crypto_secretbox_open_easy(message.data(), nonce + crypto_secretbox_NONCEBYTES,
                                                     boxLen, nonce, k.bytes);
    so.sodium_memzero(&k, sizeof k);
    if (opened != 0) return QString();

    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString plain = utf8.decode(QByteArrayView(reinterpret_cast<const char*>(message.data()),
                                                     static_cast<qsizetype>(boxLen - crypto_secretbox_MACBYTES)));
    if (utf8.hasError()) return QString();
    if (ok) *ok = true;
    return plain;
}

QString Vexel::NextToken(qint32 position, const QString& text, const QString& delimiter) {
    if (position < 0 || position >= text.size()) return QString();
    const qsizetype at = delimiter.isEmpty() ? -1 : text.indexOf(delimiter, position);
    if (at < 0) return text.mid(position);
    return text.mid(position, at - position);
}

} // namespace platform
