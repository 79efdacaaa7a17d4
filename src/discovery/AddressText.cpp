#include "discovery/AddressText.h"

#include <cstddef>

namespace {

int DecimalDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9') ? c.unicode() - '0' : -1;
}

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    return -1;
}

}  // namespace

// Walked by hand: QString's number conversions would let blanks, signs and prefixes through.
std::optional<std::array<std::uint8_t, 4>> ParseIpv4Text(const QString& text) {
    std::array<std::uint8_t, 4> ip{};
    std::size_t part = 0;
    int value = 0;
    int digits = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == QLatin1Char('.')) {
            if (digits == 0 || part >= ip.size()) {
                return std::nullopt;
            }
            ip[part++] = static_cast<std::uint8_t>(value);
            value = 0;
            digits = 0;
            continue;
        }
        const int digit = DecimalDigit(text[i]);
        if (digit < 0 || ++digits > 3) {
            return std::nullopt;
        }
        value = value * 10 + digit;
        if (value > 255) {
            return std::nullopt;
        }
    }
    if (part != ip.size()) {
        return std::nullopt;
    }
    return ip;
}

std::optional<std::array<std::uint8_t, 6>> ParseMacText(const QString& text) {
    std::array<std::uint8_t, 6> mac{};
    // Two digits per group and one colon between groups.
    if (text.size() != static_cast<qsizetype>(mac.size() * 3 - 1)) {
        return std::nullopt;
    }
    for (std::size_t group = 0; group < mac.size(); ++group) {
        const auto at = static_cast<qsizetype>(group * 3);
        if (group > 0 && text[at - 1] != QLatin1Char(':')) {
            return std::nullopt;
        }
        const int high = HexDigit(text[at]);
        const int low = HexDigit(text[at + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        mac[group] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return mac;
}
