#pragma once

#include <cstdint>

// AES-256 in counter mode (the whole 16-byte counter block counts up as one big-endian
// number). Source and destination may be the same buffer. Returns the number of bytes
// written, or -1 for a missing buffer, a key OpenSSL refuses or a destination too small;
// the reason goes to the standard error stream.
int AesCtrEncrypt(const std::uint8_t* key, const std::uint8_t* source, int length,
                  std::uint8_t* destination, int capacity, const std::uint8_t* counterBlock);
