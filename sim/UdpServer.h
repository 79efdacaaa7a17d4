#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <thread>

#include "Journal.h"
#include "SimState.h"

namespace sim {

constexpr std::uint16_t kDatagramPort = 62976;

struct DatagramReply {
    QString fromIp;  // the answering device's address; the reply goes back to the sender
    QByteArray bytes;
    int delayMs = 0;
    // The recorder whose flood this belongs to; a flood is journalled as a whole, not datagram
    // by datagram. Empty for ordinary answers.
    QString flood;
};

// One datagram of a search flood: when it leaves (after the search) and what it holds.
struct FloodDatagram {
    enum Kind { Reply, Duplicate, WrongLength };
    int offsetMs = 0;
    QByteArray bytes;
    Kind kind = Reply;
};

// A flood spreads over this much time.
inline constexpr int kFloodSpanMs = 1000;

// What a recorder with the floodReplies knob sends besides its own answer to one search: count
// datagrams from count / 10 made-up recorders of its model (at least one), each of which first
// answers properly and then repeats itself (duplicates) or answers with a wrong length, in
// time order over kFloodSpanMs.
QList<FloodDatagram> SearchFlood(const Recorder& recorder, int count, std::uint16_t sequence,
                                 std::int64_t nowSeconds);

struct DatagramOutcome {
    QList<DatagramReply> replies;  // duplicates included, in sending order
    QStringList notes;             // state changes, for the journal
};

// Everything the devices of the scenario do with one datagram: search replies from every
// recorder, login checks and password changes for the device whose MAC the request names.
// interfaceAddresses are the local addresses of the interface the datagram came in on; only
// recorders on that interface answer a search (all of them when none is). Any bytes are safe.
DatagramOutcome HandleDatagram(SimState& state, const QByteArray& datagram,
                               const QStringList& interfaceAddresses, std::int64_t nowSeconds);

// A recorder's search reply: 342 bytes (long header with the recorder's clock) or 334 bytes
// (short header), or the faulty length its faults ask for. fullLengthTexts fills the model and
// device name fields to their end without a terminating zero, and every byte of the payload no
// field uses with text; hostileStrings adds its set to both texts.
QByteArray SearchReply(const Recorder& recorder, std::uint16_t sequence, std::int64_t nowSeconds);

// Listens on UDP 62976 of bindAddress ("0.0.0.0" receives broadcasts to 255.255.255.255 on
// every interface of the namespace) and answers from each device's own address.
class UdpServer {
public:
    UdpServer(SimState& state, Journal& journal, QString bindAddress = QStringLiteral("0.0.0.0"),
              std::uint16_t port = kDatagramPort);
    ~UdpServer();
    UdpServer(const UdpServer&) = delete;
    UdpServer& operator=(const UdpServer&) = delete;

    bool start(QString* error);
    void stop();
    // The bound port (useful when constructed with port 0).
    std::uint16_t port() const { return boundPort_; }

private:
    void run();

    SimState& state_;
    Journal& journal_;
    QString bindAddress_;
    std::uint16_t port_;
    std::uint16_t boundPort_ = 0;
    int socket_ = -1;
    int wakeFd_ = -1;
    std::thread thread_;
};

}  // namespace sim
