#pragma once

#include <QByteArray>

#include <cstdint>

namespace sim {

// The recorder's side of the datagram account requests, written against libcrypto directly.

// AES-256-CTR; the whole 16-byte counter block counts up as one big-endian number. Encrypting
// and decrypting are the same operation. Returns an empty array when key or counter have the
// wrong size.
QByteArray AesCtr(const QByteArray& key, const QByteArray& counter, const QByteArray& data);

// SHA-256 of secret ":" HEX(first) HEX(second) (upper case, no leading zeros), as 64 upper-case
// hex characters.
QByteArray PasswordProof(const QByteArray& secret, std::uint32_t first, std::uint32_t second);

// The AES key of a long-header request: password ":" and the MAC's 12 upper-case hex digits,
// cut or zero-filled to 32 bytes.
QByteArray AccountKey(const QByteArray& password, const QByteArray& mac);

// The initial counter block: 00 00, the MAC, the request's four time-stamp bytes, FF FF 00 00.
QByteArray AccountCounter(const QByteArray& mac, const QByteArray& timeStamp);

}  // namespace sim
