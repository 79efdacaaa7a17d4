#include "discovery/DiscoveredDevice.h"

#include <algorithm>

#include "discovery/DatagramHeader.h"
#include "util/ByteReader.h"

int DiscoveredDevice::TypeOfLength(std::size_t length) {
    if (length == kShortReply) {
        return kShortType;
    }
    if (length == kLongReply) {
        return kLongType;
    }
    return 0;
}

std::optional<DiscoveredDevice> DiscoveredDevice::FromReply(std::span<const std::uint8_t> datagram,
                                                            int interfaceIndex, std::int64_t now) {
    const int type = TypeOfLength(datagram.size());
    if (type == 0) {
        return std::nullopt;
    }
    DiscoveredDevice record;
    record.interfaceIndex_ = interfaceIndex;
    record.replyType_ = type;
    constexpr std::size_t shortHeader = DatagramHeader::kShortSize;
    constexpr std::size_t longHeader = DatagramHeader::kLongSize;
    if (type == kLongType) {
        std::copy(datagram.begin(), datagram.end(), record.bytes_.begin());
        util::ByteReader stamp(datagram.subspan(kTimeStampAt, 4));
        // Wraps like the 32-bit arithmetic the recorder's clock is compared with.
        record.clockDelta_ =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(now) - stamp.u32());
    } else {
        std::copy_n(datagram.begin(), shortHeader, record.bytes_.begin());
        std::copy(datagram.begin() + shortHeader, datagram.end(),
                  record.bytes_.begin() + longHeader);
    }
    return record;
}

std::array<std::uint8_t, 6> DiscoveredDevice::mac() const {
    std::array<std::uint8_t, 6> mac{};
    std::copy_n(bytes_.begin() + kMacAt, mac.size(), mac.begin());
    return mac;
}

QString DiscoveredDevice::IpText() const {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(bytes_[kIpAt])
        .arg(bytes_[kIpAt + 1])
        .arg(bytes_[kIpAt + 2])
        .arg(bytes_[kIpAt + 3]);
}

QString DiscoveredDevice::MacText() const {
    QString text;
    for (std::size_t i = 0; i < 6; ++i) {
        if (i != 0) {
            text += QLatin1Char(':');
        }
        text += QStringLiteral("%1").arg(bytes_[kMacAt + i], 2, 16, QLatin1Char('0'));
    }
    return text;
}

QString DiscoveredDevice::ModelName() const {
    return Text(kModelAt, kMacAt - kModelAt);
}

QString DiscoveredDevice::DeviceName() const {
    return Text(kDeviceNameAt, kIpAt - kDeviceNameAt);
}

int DiscoveredDevice::Port() const {
    return bytes_[kPortAt] | (bytes_[kPortAt + 1] << 8);
}

QString DiscoveredDevice::Text(std::size_t at, std::size_t limit) const {
    const auto begin = bytes_.begin() + static_cast<std::ptrdiff_t>(at);
    const auto end = std::find(begin, begin + static_cast<std::ptrdiff_t>(limit), 0);
    return QString::fromLocal8Bit(reinterpret_cast<const char*>(&*begin),
                                  static_cast<qsizetype>(end - begin));
}
