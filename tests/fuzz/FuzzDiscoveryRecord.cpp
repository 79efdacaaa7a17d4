// Arbitrary datagrams through the parts of the search that read outside bytes: the header in
// both layouts, the reply handler and record building with every formatted view.
#include <cstddef>
#include <cstdint>
#include <span>

#include "discovery/DatagramHeader.h"
#include "discovery/DeviceSearch.h"
#include "discovery/DiscoveredDevice.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    for (auto layout : {DatagramLayout::Short, DatagramLayout::Long}) {
        if (const auto header = DatagramHeader::Read(bytes, layout)) {
            (void)header->Write(layout);
        }
    }
    if (const auto record = DiscoveredDevice::FromReply(bytes, 0, 0)) {
        (void)record->IpText();
        (void)record->MacText();
        (void)record->ModelName();
        (void)record->DeviceName();
        (void)record->Port();
    }

    // One endpoint on the loopback, so the reply handler has a queue; the request goes to the
    // discard port of this machine and nowhere else.
    static DeviceSearch* search = [] {
        DeviceSearch::Options options;
        options.localAddresses = [] { return QStringList{QStringLiteral("127.0.0.1")}; };
        options.destination = QStringLiteral("127.0.0.1");
        options.port = 9;
        return new DeviceSearch(std::move(options));
    }();
    search->Search();
    search->OnReply(0, bytes);
    search->OnTimeout();
    for (int i = 0; i < search->recordCount(); ++i) {
        (void)search->MacText(i);
    }
    return 0;
}
