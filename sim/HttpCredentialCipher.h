#pragma once

// The recorder's side of the camera-password cipher: one AES round (AddRoundKey with the first
// key half, SubBytes, ShiftRows, AddRoundKey with the second half) on four 16-byte blocks,
// without MixColumns or a key schedule. OpenSSL's AES offers no single round, so the S-box is
// derived here from its definition rather than copied from a table.

#include <QByteArray>
#include <QString>

#include <optional>

namespace sim {

// key: up to 32 bytes, zero-padded; data: up to 64 bytes, zero-padded. Both give 64 bytes.
QByteArray NvrEncipher(const QByteArray& key, const QByteArray& plain);
QByteArray NvrDecipher(const QByteArray& key, const QByteArray& cipher);

// A password as the wizard sends it (128 hexadecimal characters), deciphered and cut at its
// first zero byte; nothing when the text is not 128 hexadecimal characters.
std::optional<QString> DecipherPasswordHex(const QByteArray& key, const QByteArray& hex);

// The AES S-box value of one byte (multiplicative inverse in GF(2^8), then the affine map).
unsigned char AesSBox(unsigned char value);

}  // namespace sim
