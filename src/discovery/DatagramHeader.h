#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The header of every datagram of the recorder's protocol on UDP port 62976. All fields are
// little-endian. The short layout ends after payloadLength (22 bytes); the long layout adds
// timeStamp and the trailer FF FF 00 00 (30 bytes). The payload follows the header.
//
// To build a request: fill the fields, call Write(layout) and append the payload, e.g.
//     DatagramHeader h;
//     h.sequence = counter; h.opcode = 0x00A3; h.targetMac = mac; h.targetIp = ip;
//     h.statusWord = 0x7777; h.version = 3; h.payloadLength = n; h.timeStamp = t;
//     std::vector<std::uint8_t> d = h.Write(DatagramLayout::Long);
//     d.insert(d.end(), payload.begin(), payload.end());
enum class DatagramLayout { Short, Long };

struct DatagramHeader {
    static constexpr std::size_t kShortSize = 22;
    static constexpr std::size_t kLongSize = 30;
    static constexpr std::uint16_t kMagic = 0xFDFD;
    static constexpr std::uint16_t kSearchOpcode = 0x00A1;
    static constexpr std::uint16_t kSearchPayloadLength = 0x5015;
    static constexpr std::uint16_t kPort = 62976;

    std::uint16_t magic = kMagic;
    std::uint16_t sequence = 0;
    std::uint16_t opcode = 0;
    std::array<std::uint8_t, 6> targetMac{};
    std::array<std::uint8_t, 4> targetIp{};  // first octet first, as sent
    std::uint16_t statusWord = 0;
    std::uint16_t version = 0;
    std::uint16_t payloadLength = 0;
    std::uint32_t timeStamp = 0;                            // long layout only
    std::array<std::uint8_t, 4> trailer{0xFF, 0xFF, 0, 0};  // long layout only

    static constexpr std::size_t SizeOf(DatagramLayout layout) {
        return layout == DatagramLayout::Long ? kLongSize : kShortSize;
    }

    // The header bytes alone, 22 or 30 of them.
    std::vector<std::uint8_t> Write(DatagramLayout layout) const;

    // Reads a header from the start of a datagram; nothing when it is too short. The magic is
    // read as it stands, not checked: callers decide what a wrong magic means.
    static std::optional<DatagramHeader> Read(std::span<const std::uint8_t> datagram,
                                              DatagramLayout layout);
};

// The 30-byte broadcast search request carrying `time` (seconds since 1970, truncated).
std::vector<std::uint8_t> BuildSearchRequest(std::uint32_t time);
