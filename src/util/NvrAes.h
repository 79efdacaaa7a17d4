#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// The bytes of a hexadecimal text, first character high; empty on an odd length or a
// character outside 0-9, A-F, a-f (both reported on the standard error stream).
std::vector<std::uint8_t> HexDecode(std::string_view hex);

// The recorder's own password cipher: one AES round without MixColumns and without a key
// schedule. The key is zero-padded to 32 bytes (two round keys), the plaintext to 64 bytes
// (four AES states). Longer inputs are cut.
std::array<std::uint8_t, 64> NvrAesEncrypt(std::span<const std::uint8_t> key,
                                           std::span<const std::uint8_t> plaintext);
