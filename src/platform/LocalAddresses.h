#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// Dotted text of every IPv4 address of every interface that is up, in the system's order.
// Loopback addresses only when there is no other, so a PC without a network still searches.
QStringList LocalIpv4Addresses();

}  // namespace platform
