#include "discovery/DeviceSearch.h"

#include <array>
#include <ctime>
#include <set>
#include <utility>

#include "discovery/DatagramHeader.h"
#include "platform/LocalAddresses.h"

DeviceSearch::DeviceSearch() : DeviceSearch(Options{}) {}

DeviceSearch::DeviceSearch(Options options)
    : options_(std::move(options)), round_(std::make_shared<Round>()) {
    if (!options_.localAddresses) {
        options_.localAddresses = platform::LocalIpv4Addresses;
    }
}

DeviceSearch::~DeviceSearch() {
    std::lock_guard control(controlMutex_);
    timer_.cancel();  // waits for a time-out handler that is already running
    std::vector<std::shared_ptr<UdpEndpoint>> endpoints;
    {
        std::lock_guard lock(mutex_);
        endpoints.swap(endpoints_);
    }
    for (const auto& endpoint : endpoints) {
        endpoint->Close();
    }
}

std::int32_t DeviceSearch::Search() {
    std::lock_guard control(controlMutex_);
    // A handler already running finishes with its own round before this one replaces it.
    timer_.cancel();
    timeoutMs_ = static_cast<int>(options_.timeout.count());
    const auto request = BuildSearchRequest(static_cast<std::uint32_t>(std::time(nullptr)));

    std::vector<std::shared_ptr<UdpEndpoint>> endpoints;
    {
        std::lock_guard lock(mutex_);
        endpoints.swap(endpoints_);
    }
    // Closing waits for receive threads; look-ups must not wait behind it.
    for (const auto& endpoint : endpoints) {
        endpoint->Close();
    }
    endpoints.clear();

    auto round = std::make_shared<Round>();
    const QStringList addresses = options_.localAddresses();
    for (qsizetype i = 0; i < addresses.size(); ++i) {
        round->queues.push_back(std::make_unique<CDataQueue>());
    }
    for (const QString& address : addresses) {
        const int index = static_cast<int>(endpoints.size());
        auto endpoint = std::make_shared<UdpEndpoint>(
            index,
            [round](int at, const platform::UdpDatagram& d) { HandleReply(*round, at, d.bytes); });
        if (!endpoint->Open(address)) {
            for (const auto& opened : endpoints) {
                opened->Close();
            }
            endpoints.clear();
            round = std::make_shared<Round>();
            break;
        }
        endpoints.push_back(std::move(endpoint));
    }

    {
        std::lock_guard lock(mutex_);
        round_->listening = false;
        round_ = round;
        endpoints_ = endpoints;
        round->listening = true;
        state_ = Searching;
    }
    for (const auto& endpoint : endpoints) {
        if (!endpoint->Send(request, options_.destination, options_.port)) {
            std::lock_guard lock(mutex_);
            round->listening = false;
            state_ = Failed;
            return Failed;
        }
    }
    timer_.start(options_.timeout, [this, round] { Expire(round); });
    return Searching;
}

std::shared_ptr<DeviceSearch::Round> DeviceSearch::CurrentRound() const {
    std::lock_guard lock(mutex_);
    return round_;
}

void DeviceSearch::OnReply(int endpointIndex, std::span<const std::uint8_t> datagram) {
    HandleReply(*CurrentRound(), endpointIndex, datagram);
}

void DeviceSearch::HandleReply(Round& round, int endpointIndex,
                               std::span<const std::uint8_t> datagram) {
    if (!round.listening.load()) {
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
    std::lock_guard control(controlMutex_);
    timer_.cancel();
    Expire(CurrentRound());
}

void DeviceSearch::Expire(const std::shared_ptr<Round>& round) {
    // Once per round; a failed or replaced round never drains.
    if (!round->listening.exchange(false)) {
        return;
    }
    std::vector<DiscoveredDevice> built;
    built.reserve(QueuedIn(*round));
    std::set<std::array<std::uint8_t, 6>> seen;  // a burst of thousands stays fast
    for (std::size_t i = 0; i < round->queues.size(); ++i) {
        while (auto buffer = round->queues[i]->PopFront()) {
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
        std::lock_guard lock(mutex_);
        if (round_ != round) {
            return;  // a newer search owns the table and the state
        }
        records_ = std::move(built);
        state_ = Finished;
    }
    if (options_.finished) {
        options_.finished();
    }
}

std::size_t DeviceSearch::QueuedIn(const Round& round) {
    std::size_t count = 0;
    for (const auto& queue : round.queues) {
        count += queue->Count();
    }
    return count;
}

std::size_t DeviceSearch::QueuedCount() const {
    return QueuedIn(*CurrentRound());
}

int DeviceSearch::endpointCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(endpoints_.size());
}

int DeviceSearch::recordCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(records_.size());
}

std::vector<DiscoveredDevice> DeviceSearch::Records() const {
    std::lock_guard lock(mutex_);
    return records_;
}

const DiscoveredDevice* DeviceSearch::RecordAt(int index) const {
    if (index < 0 || index >= static_cast<int>(records_.size())) {
        return nullptr;
    }
    return &records_[static_cast<std::size_t>(index)];
}

QString DeviceSearch::IpText(int index) const {
    std::lock_guard lock(mutex_);
    const auto* record = RecordAt(index);
    return record ? record->IpText() : QString();
}

QString DeviceSearch::MacText(int index) const {
    std::lock_guard lock(mutex_);
    const auto* record = RecordAt(index);
    return record ? record->MacText() : QString();
}

QString DeviceSearch::ModelName(int index) const {
    std::lock_guard lock(mutex_);
    const auto* record = RecordAt(index);
    return record ? record->ModelName() : QString();
}

QString DeviceSearch::DeviceName(int index) const {
    std::lock_guard lock(mutex_);
    const auto* record = RecordAt(index);
    return record ? record->DeviceName() : QString();
}

bool DeviceSearch::Unique(int index) const {
    std::lock_guard lock(mutex_);
    const auto* record = RecordAt(index);
    return record && record->unique();
}

int DeviceSearch::Port(int index) const {
    std::lock_guard lock(mutex_);
    const auto* record = RecordAt(index);
    return record ? record->Port() : 0;
}

int DeviceSearch::InterfaceIndex(int index) const {
    std::lock_guard lock(mutex_);
    const auto* record = RecordAt(index);
    return record ? record->interfaceIndex() : -1;
}

int DeviceSearch::FindByMac(const char* macText) const {
    return FindByMac(QString::fromLocal8Bit(macText));
}

const DiscoveredDevice* DeviceSearch::UniqueByMac(const QString& macText) const {
    for (const auto& record : records_) {
        if (record.unique() && record.MacText() == macText) {
            return &record;
        }
    }
    return nullptr;
}

int DeviceSearch::FindByMac(const QString& macText) const {
    std::lock_guard lock(mutex_);
    const auto* record = UniqueByMac(macText);
    return record ? static_cast<int>(record - records_.data()) : -1;
}

int DeviceSearch::FindInterfaceByIp(const QString& ipText) const {
    std::lock_guard lock(mutex_);
    for (const auto& record : records_) {
        if (record.unique() && record.IpText() == ipText) {
            return record.interfaceIndex();
        }
    }
    return -1;
}

// One look-up under one lock: the next table may replace this one between two.
int DeviceSearch::ReplyTypeOf(const QString& macText) const {
    std::lock_guard lock(mutex_);
    const auto* record = UniqueByMac(macText);
    return record ? record->replyType() : 0;
}

std::int32_t DeviceSearch::ClockDeltaOf(const QString& macText) const {
    std::lock_guard lock(mutex_);
    const auto* record = UniqueByMac(macText);
    return record ? record->clockDelta() : 0;
}

std::shared_ptr<UdpEndpoint> DeviceSearch::EndpointAt(int interfaceIndex) const {
    std::lock_guard lock(mutex_);
    if (interfaceIndex < 0 || interfaceIndex >= static_cast<int>(endpoints_.size())) {
        return nullptr;
    }
    return endpoints_[static_cast<std::size_t>(interfaceIndex)];
}
