// Arbitrary datagrams through the parts of the search that read outside bytes: the header in
// both layouts and the record of a reply with every formatted view. The bytes are also taken
// at both reply lengths, so every input builds a record. No socket is opened.
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "FuzzInput.h"
#include "discovery/DatagramHeader.h"
#include "discovery/DiscoveredDevice.h"

namespace {

constexpr std::int64_t kNow = 0x65A1B2C3;

void CheckHeader(std::span<const std::uint8_t> bytes) {
    for (auto layout : {DatagramLayout::Short, DatagramLayout::Long}) {
        const std::size_t size = DatagramHeader::SizeOf(layout);
        const auto header = DatagramHeader::Read(bytes, layout);
        FuzzCheck(header.has_value() == (bytes.size() >= size));
        if (header) {
            // Every header byte is a field: written again, the header is the same bytes.
            const std::vector<std::uint8_t> written = header->Write(layout);
            FuzzCheck(written.size() == size &&
                      std::equal(written.begin(), written.end(), bytes.begin()));
        }
    }
}

void CheckText(const QString& text, std::size_t limit) {
    FuzzCheck(!text.contains(QChar(u'\0')));
    FuzzCheck(static_cast<std::size_t>(text.size()) <= limit);
}

void CheckRecord(std::span<const std::uint8_t> bytes) {
    const auto record = DiscoveredDevice::FromReply(bytes, 2, kNow);
    const int type = DiscoveredDevice::TypeOfLength(bytes.size());
    FuzzCheck(record.has_value() == (type != 0));
    if (!record) {
        return;
    }
    FuzzCheck(record->replyType() == type && record->interfaceIndex() == 2 && record->unique());
    // The short layout lacks the time stamp and trailer: the rest moves up by eight bytes.
    const auto& normalised = record->normalised();
    const std::size_t shift = type == DiscoveredDevice::kShortType ? 8 : 0;
    const std::size_t head = DatagramHeader::kShortSize;
    FuzzCheck(std::equal(bytes.begin(), bytes.begin() + head, normalised.begin()));
    FuzzCheck(std::all_of(normalised.begin() + head, normalised.begin() + head + shift,
                          [](std::uint8_t b) { return b == 0; }));
    FuzzCheck(std::equal(bytes.begin() + head, bytes.end(), normalised.begin() + head + shift));

    const std::uint32_t stamp = bytes[22] | (bytes[23] << 8) | (bytes[24] << 16) |
                                (static_cast<std::uint32_t>(bytes[25]) << 24);
    FuzzCheck(
        record->clockDelta() ==
        (shift != 0 ? 0 : static_cast<std::int32_t>(static_cast<std::uint32_t>(kNow) - stamp)));

    const auto at = [&](std::size_t longOffset) { return bytes[longOffset - shift]; };
    FuzzCheck(record->Port() ==
              (at(DiscoveredDevice::kPortAt) | (at(DiscoveredDevice::kPortAt + 1) << 8)));
    const QStringList octets = record->IpText().split(u'.');
    FuzzCheck(octets.size() == 4);
    for (int i = 0; i < 4; ++i) {
        FuzzCheck(octets[i] == QString::number(at(DiscoveredDevice::kIpAt + i)));
    }
    const QString mac = record->MacText();
    FuzzCheck(mac.size() == 17);
    for (int i = 0; i < 6; ++i) {
        bool ok = false;
        FuzzCheck(mac.mid(3 * i, 2).toInt(&ok, 16) == at(DiscoveredDevice::kMacAt + i) && ok);
        FuzzCheck(mac.mid(3 * i, 2) == mac.mid(3 * i, 2).toLower());
        FuzzCheck(record->mac()[i] == at(DiscoveredDevice::kMacAt + i));
    }
    CheckText(record->ModelName(), DiscoveredDevice::kMacAt - DiscoveredDevice::kModelAt);
    CheckText(record->DeviceName(), DiscoveredDevice::kIpAt - DiscoveredDevice::kDeviceNameAt);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    CheckHeader(bytes);
    CheckRecord(bytes);
    for (std::size_t length : {DiscoveredDevice::kShortReply, DiscoveredDevice::kLongReply}) {
        std::vector<std::uint8_t> reply(bytes.begin(), bytes.begin() + std::min(size, length));
        reply.resize(length, 0);
        CheckRecord(reply);
    }
    return 0;
}
