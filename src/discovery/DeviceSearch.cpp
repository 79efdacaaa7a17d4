#include "discovery/DeviceSearch.h"

#include <array>
#include <ctime>
#include <set>
#include <utility>

#include "discovery/DatagramHeader.h"
#include "platform/LocalAddresses.h"

DeviceSearch::DeviceSearch() : DeviceSearch(Options{}) {}

DeviceSearch::DeviceSearch(Options options)
    : options_(std::move(options)),
      shared_(std::make_shared<Shared>()),
      round_(std::make_shared<Round>()) {
    if (!options_.localAddresses) {
        options_.localAddresses = platform::LocalIpv4Addresses;
    }
}

DeviceSearch::~DeviceSearch() {
    timer_.cancel();
    CloseEndpoints();
}

std::int32_t DeviceSearch::Search() {
    timeoutMs_ = static_cast<int>(options_.timeout.count());
    const auto request = BuildSearchRequest(static_cast<std::uint32_t>(std::time(nullptr)));

    CreateEndpoints();

    shared_->state = Searching;
    for (const auto& endpoint : endpoints_) {
        if (!endpoint->Send(request, options_.destination, options_.port)) {
            shared_->state = Failed;
            break;
        }
    }
    if (shared_->state.load() == Searching) {
        timer_.cancel();
        timer_.start(options_.timeout, [this] { OnTimeout(); });
    }
    return shared_->state.load();
}

void DeviceSearch::CreateEndpoints() {
    timer_.cancel();
    CloseEndpoints();
    round_ = std::make_shared<Round>();
    const QStringList addresses = options_.localAddresses();
    for (qsizetype i = 0; i < addresses.size(); ++i) {
        round_->queues.push_back(std::make_unique<CDataQueue>());
    }
    for (const QString& address : addresses) {
        const int index = static_cast<int>(endpoints_.size());
        auto endpoint = std::make_unique<UdpEndpoint>(
            index, [shared = shared_, round = round_](int at, const platform::UdpDatagram& d) {
                HandleReply(*shared, *round, at, d.bytes);
            });
        if (!endpoint->Open(address)) {
            CloseEndpoints();
            round_ = std::make_shared<Round>();
            return;
        }
        endpoints_.push_back(std::move(endpoint));
    }
}

void DeviceSearch::CloseEndpoints() {
    for (auto& endpoint : endpoints_) {
        endpoint->Close();
    }
    endpoints_.clear();
}

void DeviceSearch::OnReply(int endpointIndex, std::span<const std::uint8_t> datagram) {
    HandleReply(*shared_, *round_, endpointIndex, datagram);
}

void DeviceSearch::HandleReply(Shared& shared, Round& round, int endpointIndex,
                               std::span<const std::uint8_t> datagram) {
    if (shared.state.load() != Searching) {
        return;
    }
    const int type = DiscoveredDevice::TypeOfLength(datagram.size());
    if (type == 0 || endpointIndex < 0 || endpointIndex >= static_cast<int>(round.queues.size())) {
        return;
    }
    CDataQueue::Buffer buffer;
    buffer.reserve(datagram.size() + 1);
    buffer.push_back(static_cast<std::uint8_t>(type));
    buffer.insert(buffer.end(), datagram.begin(), datagram.end());
    round.queues[static_cast<std::size_t>(endpointIndex)]->Push(std::move(buffer));
}

void DeviceSearch::OnTimeout() {
    timer_.cancel();
    std::vector<DiscoveredDevice> built;
    built.reserve(QueuedCount());
    std::set<std::array<std::uint8_t, 6>> seen;  // a burst of thousands stays fast
    for (std::size_t i = 0; i < round_->queues.size(); ++i) {
        while (auto buffer = round_->queues[i]->PopFront()) {
            const std::span<const std::uint8_t> datagram(buffer->data() + 1, buffer->size() - 1);
            auto record =
                DiscoveredDevice::FromReply(datagram, static_cast<int>(i), std::time(nullptr));
            if (!record) {
                continue;
            }
            record->setUnique(seen.insert(record->mac()).second);
            built.push_back(std::move(*record));
        }
    }
    {
        std::lock_guard lock(recordsMutex_);
        records_ = std::move(built);
    }
    shared_->state = Finished;
    if (options_.finished) {
        options_.finished();
    }
}

std::size_t DeviceSearch::QueuedCount() const {
    std::size_t count = 0;
    for (const auto& queue : round_->queues) {
        count += queue->Count();
    }
    return count;
}

int DeviceSearch::recordCount() const {
    std::lock_guard lock(recordsMutex_);
    return static_cast<int>(records_.size());
}

std::vector<DiscoveredDevice> DeviceSearch::Records() const {
    std::lock_guard lock(recordsMutex_);
    return records_;
}

const DiscoveredDevice* DeviceSearch::RecordAt(int index) const {
    if (index < 0 || index >= static_cast<int>(records_.size())) {
        return nullptr;
    }
    return &records_[static_cast<std::size_t>(index)];
}

QString DeviceSearch::IpText(int index) const {
    std::lock_guard lock(recordsMutex_);
    const auto* record = RecordAt(index);
    return record ? record->IpText() : QString();
}

QString DeviceSearch::MacText(int index) const {
    std::lock_guard lock(recordsMutex_);
    const auto* record = RecordAt(index);
    return record ? record->MacText() : QString();
}

QString DeviceSearch::ModelName(int index) const {
    std::lock_guard lock(recordsMutex_);
    const auto* record = RecordAt(index);
    return record ? record->ModelName() : QString();
}

QString DeviceSearch::DeviceName(int index) const {
    std::lock_guard lock(recordsMutex_);
    const auto* record = RecordAt(index);
    return record ? record->DeviceName() : QString();
}

bool DeviceSearch::Unique(int index) const {
    std::lock_guard lock(recordsMutex_);
    const auto* record = RecordAt(index);
    return record && record->unique();
}

int DeviceSearch::Port(int index) const {
    std::lock_guard lock(recordsMutex_);
    const auto* record = RecordAt(index);
    return record ? record->Port() : 0;
}

int DeviceSearch::InterfaceIndex(int index) const {
    std::lock_guard lock(recordsMutex_);
    const auto* record = RecordAt(index);
    return record ? record->interfaceIndex() : -1;
}

int DeviceSearch::FindByMac(const char* macText) const {
    return FindByMac(QString::fromLocal8Bit(macText));
}

int DeviceSearch::FindByMac(const QString& macText) const {
    std::lock_guard lock(recordsMutex_);
    for (std::size_t i = 0; i < records_.size(); ++i) {
        if (records_[i].unique() && records_[i].MacText() == macText) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int DeviceSearch::FindInterfaceByIp(const QString& ipText) const {
    std::lock_guard lock(recordsMutex_);
    for (const auto& record : records_) {
        if (record.unique() && record.IpText() == ipText) {
            return record.interfaceIndex();
        }
    }
    return -1;
}

int DeviceSearch::ReplyTypeOf(const QString& macText) const {
    const int index = FindByMac(macText);
    std::lock_guard lock(recordsMutex_);
    const auto* record = RecordAt(index);
    return record ? record->replyType() : 0;
}

std::int32_t DeviceSearch::ClockDeltaOf(const QString& macText) const {
    const int index = FindByMac(macText);
    std::lock_guard lock(recordsMutex_);
    const auto* record = RecordAt(index);
    return record ? record->clockDelta() : 0;
}

UdpEndpoint* DeviceSearch::EndpointAt(int interfaceIndex) const {
    if (interfaceIndex < 0 || interfaceIndex >= static_cast<int>(endpoints_.size())) {
        return nullptr;
    }
    return endpoints_[static_cast<std::size_t>(interfaceIndex)].get();
}
