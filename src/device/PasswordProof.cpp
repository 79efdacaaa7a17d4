#include "device/PasswordProof.h"

#include <openssl/sha.h>

#include <QByteArray>

#include <array>

QString PasswordProof(std::span<const std::uint8_t> secret, std::uint32_t first,
                      std::uint32_t second) {
    QByteArray text(reinterpret_cast<const char*>(secret.data()),
                    static_cast<qsizetype>(secret.size()));
    text += ':';
    text += QByteArray::number(first, 16).toUpper();
    text += QByteArray::number(second, 16).toUpper();

    std::array<unsigned char, SHA256_DIGEST_LENGTH> digest{};
    SHA256(reinterpret_cast<const unsigned char*>(text.constData()),
           static_cast<std::size_t>(text.size()), digest.data());
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(digest.data()), digest.size()).toHex().toUpper());
}
