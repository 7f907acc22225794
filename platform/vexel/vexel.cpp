#include "vexel.h"

#include <QByteArray>
#include <QStringDecoder>
#include <sodium.h>

#include <cstdlib>
#include <vector>

namespace platform {
namespace {

void ensureSodium() {
    // sodium_init is idempotent and thread-safe; a failure means no usable random source,
    // and writing stored text without real nonces is worse than stopping.
    static const bool ready = sodium_init() >= 0;
    if (!ready) std::abort();
}

struct Key {
    unsigned char bytes[crypto_secretbox_KEYBYTES];
};

Key deriveKey(const QString& keyText) {
    static_assert(crypto_secretbox_KEYBYTES == crypto_generichash_BYTES, "key size");
    Key k;
    const QByteArray text = keyText.toUtf8();
    crypto_generichash(k.bytes, sizeof k.bytes, reinterpret_cast<const unsigned char*>(text.constData()),
                       static_cast<unsigned long long>(text.size()), nullptr, 0);
    return k;
}

} // namespace

QString Vexel::EncodeText(const QString& plain, const QString& key) {
    if (plain.isEmpty()) return QString();
    ensureSodium();
    Key k = deriveKey(key);
    const QByteArray message = plain.toUtf8();
    std::vector<unsigned char> sealed(crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES +
                                      static_cast<size_t>(message.size()));
    unsigned char* nonce = sealed.data();
    randombytes_buf(nonce, crypto_secretbox_NONCEBYTES);
    crypto_secretbox_easy(nonce + crypto_secretbox_NONCEBYTES,
                          reinterpret_cast<const unsigned char*>(message.constData()),
                          static_cast<unsigned long long>(message.size()), nonce, k.bytes);
    sodium_memzero(&k, sizeof k);

    const size_t b64Len = sodium_base64_ENCODED_LEN(sealed.size(), sodium_base64_VARIANT_ORIGINAL);
    QByteArray out(static_cast<int>(b64Len), Qt::Uninitialized);
    sodium_bin2base64(out.data(), b64Len, sealed.data(), sealed.size(), sodium_base64_VARIANT_ORIGINAL);
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
    ensureSodium();
    for (const char c : b64)
        if (static_cast<unsigned char>(c) > 0x7f) return QString();

    std::vector<unsigned char> sealed(static_cast<size_t>(b64.size()) / 4 * 3 + 3);
    size_t binLen = 0;
    const char* end = nullptr;
    if (sodium_base642bin(sealed.data(), sealed.size(), b64.data(), static_cast<size_t>(b64.size()),
                          nullptr, &binLen, &end, sodium_base64_VARIANT_ORIGINAL) != 0)
        return QString();
    if (end != b64.data() + b64.size()) return QString();  // trailing characters
    if (binLen < crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES) return QString();

    const unsigned char* nonce = sealed.data();
    const size_t boxLen = binLen - crypto_secretbox_NONCEBYTES;
    std::vector<unsigned char> message(boxLen - crypto_secretbox_MACBYTES + 1);
    Key k = deriveKey(key);
    const int opened = crypto_secretbox_open_easy(message.data(), nonce + crypto_secretbox_NONCEBYTES,
                                                  boxLen, nonce, k.bytes);
    sodium_memzero(&k, sizeof k);
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
