#include "SimCrypto.h"

#include <openssl/evp.h>

#include <memory>

namespace sim {

QByteArray AesCtr(const QByteArray& key, const QByteArray& counter, const QByteArray& data) {
    if (key.size() != 32 || counter.size() != 16) {
        return {};
    }
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                        EVP_CIPHER_CTX_free);
    if (!ctx) {
        return {};
    }
    const auto* k = reinterpret_cast<const unsigned char*>(key.constData());
    const auto* iv = reinterpret_cast<const unsigned char*>(counter.constData());
    if (EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_ctr(), nullptr, k, iv) != 1) {
        return {};
    }
    QByteArray out(data.size(), '\0');
    int produced = 0;
    if (!data.isEmpty() &&
        EVP_EncryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(out.data()), &produced,
                          reinterpret_cast<const unsigned char*>(data.constData()),
                          static_cast<int>(data.size())) != 1) {
        return {};
    }
    return out;
}

QByteArray PasswordProof(const QByteArray& secret, std::uint32_t first, std::uint32_t second) {
    const QByteArray text = secret + ':' + QByteArray::number(first, 16).toUpper() +
                            QByteArray::number(second, 16).toUpper();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(text.constData(), static_cast<size_t>(text.size()), digest, &length,
                   EVP_sha256(), nullptr) != 1) {
        return {};
    }
    return QByteArray(reinterpret_cast<const char*>(digest), static_cast<qsizetype>(length))
        .toHex()
        .toUpper();
}

QByteArray AccountKey(const QByteArray& password, const QByteArray& mac) {
    QByteArray key = password + ':' + mac.toHex().toUpper();
    key.resize(32, '\0');
    return key;
}

QByteArray AccountCounter(const QByteArray& mac, const QByteArray& timeStamp) {
    QByteArray counter(2, '\0');
    counter += mac.left(6);
    counter += timeStamp.left(4);
    counter += QByteArray("\xFF\xFF\x00\x00", 4);
    counter.resize(16, '\0');
    return counter;
}

}  // namespace sim
