#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

// One answer to the broadcast search, kept in the long (342-byte) layout whatever layout the
// recorder answered in.
class DiscoveredDevice final {
public:
    static constexpr std::size_t kShortReply = 334;
    static constexpr std::size_t kLongReply = 342;
    static constexpr int kShortType = 1;
    static constexpr int kLongType = 3;

    // Offsets in the long layout.
    static constexpr std::size_t kTimeStampAt = 22;
    static constexpr std::size_t kModelAt = 158;
    static constexpr std::size_t kMacAt = 228;
    static constexpr std::size_t kDeviceNameAt = 234;
    static constexpr std::size_t kIpAt = 298;
    static constexpr std::size_t kPortAt = 302;

    // 1 for a 334-byte reply, 3 for a 342-byte one, 0 for any other length.
    static int TypeOfLength(std::size_t length);

    // Builds the record of one reply; nothing unless the length is 334 or 342. `now` is the
    // PC's time in seconds since 1970, used for the clock difference of a long reply. The
    // record comes out unique; the search decides otherwise.
    static std::optional<DiscoveredDevice> FromReply(std::span<const std::uint8_t> datagram,
                                                     int interfaceIndex, std::int64_t now);

    const std::array<std::uint8_t, kLongReply>& normalised() const { return bytes_; }
    std::array<std::uint8_t, 6> mac() const;
    int interfaceIndex() const { return interfaceIndex_; }
    bool unique() const { return unique_; }
    void setUnique(bool unique) { unique_ = unique; }
    int replyType() const { return replyType_; }
    // Zero for a short reply, which carries no clock.
    std::int32_t clockDelta() const { return clockDelta_; }

    QString IpText() const;
    QString MacText() const;
    QString ModelName() const;
    QString DeviceName() const;
    int Port() const;

private:
    DiscoveredDevice() = default;
    QString Text(std::size_t at, std::size_t limit) const;

    std::array<std::uint8_t, kLongReply> bytes_{};
    int interfaceIndex_ = 0;
    bool unique_ = true;
    int replyType_ = 0;
    std::int32_t clockDelta_ = 0;
};
