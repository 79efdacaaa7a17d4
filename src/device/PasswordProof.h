#pragma once

#include <QString>

#include <cstdint>
#include <span>

// Proves knowledge of a secret without sending it: the SHA-256 of
// secret + ":" + first + second (each value in upper-case hexadecimal without leading zeros),
// as 64 upper-case hexadecimal characters.
QString PasswordProof(std::span<const std::uint8_t> secret, std::uint32_t first,
                      std::uint32_t second);
