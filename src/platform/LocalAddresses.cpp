#include "platform/LocalAddresses.h"

#ifdef Q_OS_WIN
#include <iphlpapi.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <vector>
#else
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstring>
#endif

namespace platform {

namespace {

QString Dotted(const in_addr& address) {
    char text[INET_ADDRSTRLEN] = {};
    if (inet_ntop(AF_INET, &address, text, sizeof text) == nullptr) {
        return {};
    }
    return QString::fromLatin1(text);
}

}  // namespace

QStringList LocalIpv4Addresses() {
    QStringList others;
    QStringList loopback;
#ifdef Q_OS_WIN
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer(size);
    auto* list = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
    ULONG result = GetAdaptersAddresses(AF_INET, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST,
                                        nullptr, list, &size);
    if (result == ERROR_BUFFER_OVERFLOW) {
        buffer.resize(size);
        list = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
        result = GetAdaptersAddresses(AF_INET, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST,
                                      nullptr, list, &size);
    }
    if (result != NO_ERROR) {
        return {};
    }
    for (auto* adapter = list; adapter != nullptr; adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp) {
            continue;
        }
        const bool isLoopback = adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK;
        for (auto* unicast = adapter->FirstUnicastAddress; unicast != nullptr;
             unicast = unicast->Next) {
            const auto* address = unicast->Address.lpSockaddr;
            if (address == nullptr || address->sa_family != AF_INET) {
                continue;
            }
            const QString text = Dotted(reinterpret_cast<const sockaddr_in*>(address)->sin_addr);
            (isLoopback ? loopback : others).append(text);
        }
    }
#else
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return {};
    }
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET ||
            (entry->ifa_flags & IFF_UP) == 0) {
            continue;
        }
        sockaddr_in address;
        std::memcpy(&address, entry->ifa_addr, sizeof address);
        const QString text = Dotted(address.sin_addr);
        if (text.isEmpty()) {
            continue;
        }
        ((entry->ifa_flags & IFF_LOOPBACK) ? loopback : others).append(text);
    }
    freeifaddrs(list);
#endif
    return others.isEmpty() ? loopback : others;
}

}  // namespace platform
