#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// Addresses as people type them and as the search's records spell them.

// "a.b.c.d": exactly four decimal parts of one to three digits, each 0..255; no blanks or
// signs anywhere.
std::optional<std::array<std::uint8_t, 4>> ParseIpv4Text(const QString& text);

// "xx:xx:xx:xx:xx:xx": six groups of exactly two hexadecimal digits, either case.
std::optional<std::array<std::uint8_t, 6>> ParseMacText(const QString& text);
