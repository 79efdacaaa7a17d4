#include "UdpServer.h"

#include <QMap>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <iterator>
#include <map>
#include <optional>
#include <vector>

#include "CameraListing.h"
#include "HostileStrings.h"
#include "SimCrypto.h"

namespace sim {

namespace {

constexpr std::uint16_t kSearch = 0xA1;
constexpr std::uint16_t kLoginCheck = 0xA3;
constexpr std::uint16_t kPasswordChange = 0xA4;

constexpr int kShortHeader = 22;
constexpr int kLongHeader = 30;
constexpr int kSearchPayload = 312;
constexpr int kSlot = 64;

// Payload offsets of the search reply's fields, and the room each text has up to the next.
constexpr int kModelAt = 128;
constexpr int kModelRoom = 70;
constexpr int kMacAt = 198;
constexpr int kNameAt = 204;
constexpr int kNameRoom = 64;
constexpr int kIpAt = 268;
constexpr int kPortAt = 272;
constexpr int kPayloadEnd = 274;

// A flood: one made-up recorder per this many datagrams, and the lengths no reader may take.
constexpr int kFloodDatagramsPerMac = 10;
constexpr int kFloodWrongLengths[] = {0, 1, 22, 30, 333, 335, 341, 343, 1024, 1500};

// Status words of account replies; the wizard only tells zero from non-zero.
constexpr std::uint16_t kAccepted = 0;
constexpr std::uint16_t kRefused = 1;
constexpr std::uint16_t kMalformed = 2;

const QByteArray kBroadcastMac("\xFF\xFF\xFF\xFF\xFF\xFF", 6);
const QByteArray kUser("admin");

// Every read of a received datagram goes through here, so no length can reach past its end.
class Bytes {
public:
    explicit Bytes(const QByteArray& data) : data_(data) {}

    bool has(qsizetype offset, qsizetype length) const {
        return offset >= 0 && length >= 0 && offset + length <= data_.size();
    }
    std::uint16_t u16(qsizetype offset) const {
        if (!has(offset, 2)) {
            return 0;
        }
        return static_cast<std::uint16_t>(byte(offset) | (byte(offset + 1) << 8));
    }
    std::uint32_t u32(qsizetype offset) const {
        if (!has(offset, 4)) {
            return 0;
        }
        return static_cast<std::uint32_t>(u16(offset)) |
               (static_cast<std::uint32_t>(u16(offset + 2)) << 16);
    }
    QByteArray slice(qsizetype offset, qsizetype length) const {
        return has(offset, length) ? data_.mid(offset, length) : QByteArray();
    }
    // A zero-filled text slot: its bytes up to the first zero.
    QByteArray slot(qsizetype offset) const {
        const QByteArray bytes = slice(offset, kSlot);
        const qsizetype end = bytes.indexOf('\0');
        return end < 0 ? bytes : bytes.left(end);
    }

private:
    unsigned byte(qsizetype i) const { return static_cast<unsigned char>(data_.at(i)); }

    const QByteArray& data_;
};

void PutU16(QByteArray& out, qsizetype offset, std::uint16_t value) {
    out[offset] = static_cast<char>(value & 0xFF);
    out[offset + 1] = static_cast<char>(value >> 8);
}

void PutU32(QByteArray& out, qsizetype offset, std::uint32_t value) {
    PutU16(out, offset, static_cast<std::uint16_t>(value & 0xFFFF));
    PutU16(out, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

void PutBytes(QByteArray& out, qsizetype offset, const QByteArray& bytes, qsizetype room) {
    const qsizetype n = std::min(bytes.size(), room);
    std::memcpy(out.data() + offset, bytes.constData(), static_cast<size_t>(n));
}

QByteArray MacBytes(const QString& text) {
    QString hex = text;
    hex.remove(QLatin1Char(':'));
    const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
    return bytes.size() == 6 ? bytes : QByteArray(6, '\0');
}

QByteArray Ipv4Bytes(const QString& text) {
    in_addr addr{};
    if (inet_pton(AF_INET, text.toLatin1().constData(), &addr) != 1) {
        return QByteArray(4, '\0');
    }
    return QByteArray(reinterpret_cast<const char*>(&addr), 4);
}

std::uint32_t Clock(std::int64_t nowSeconds, int offsetSeconds) {
    return static_cast<std::uint32_t>(nowSeconds + offsetSeconds);
}

QByteArray Header(bool isLong, std::uint16_t sequence, std::uint16_t opcode, const QByteArray& mac,
                  const QByteArray& ip, std::uint16_t status, std::uint16_t payloadLength,
                  std::uint32_t clock) {
    QByteArray h(isLong ? kLongHeader : kShortHeader, '\0');
    h[0] = static_cast<char>(0xFD);
    h[1] = static_cast<char>(0xFD);
    PutU16(h, 2, sequence);
    PutU16(h, 4, opcode);
    PutBytes(h, 6, mac, 6);
    PutBytes(h, 12, ip, 4);
    PutU16(h, 16, status);
    PutU16(h, 18, isLong ? 3 : 1);
    PutU16(h, 20, payloadLength);
    if (isLong) {
        PutU32(h, 22, clock);
        h[26] = static_cast<char>(0xFF);
        h[27] = static_cast<char>(0xFF);
    }
    return h;
}

// A camera's protocol type counts as legacy when its leading digits read as 0 (no digits too).
bool IsLegacy(const Camera& camera) {
    qsizetype digits = 0;
    while (digits < camera.protocolType.size() && camera.protocolType.at(digits).isDigit()) {
        ++digits;
    }
    const QString leading = camera.protocolType.left(digits);
    return leading.isEmpty() || leading.toULongLong() == 0;
}

struct AccountResult {
    std::uint16_t status = kMalformed;
    QString reason;
    std::optional<QString> newPassword;  // set when a password change was accepted
};

std::optional<QString> DecodeSlot(const Bytes& d, qsizetype offset) {
    const auto decoded =
        QByteArray::fromBase64Encoding(d.slot(offset), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) {
        return std::nullopt;
    }
    return QString::fromUtf8(*decoded);
}

// Checks a login check or password change against the device's current password. Long
// requests are enciphered with a key made from that password, so only the right password
// yields a readable payload.
AccountResult CheckAccount(const QByteArray& datagram, std::uint16_t opcode, bool isLong,
                           const QByteArray& mac, const QString& password) {
    AccountResult result;
    const qsizetype payloadSize = opcode == kLoginCheck ? 128 : 256;
    const qsizetype headerSize = isLong ? kLongHeader : kShortHeader;
    if (datagram.size() < headerSize + payloadSize) {
        result.reason = QStringLiteral("request too short (%1 bytes)").arg(datagram.size());
        return result;
    }
    QByteArray plain = datagram;
    const QByteArray secret = password.toUtf8();
    if (isLong) {
        const QByteArray payload =
            AesCtr(AccountKey(secret, mac), AccountCounter(mac, datagram.mid(22, 4)),
                   datagram.mid(kLongHeader, payloadSize));
        plain.replace(kLongHeader, payloadSize, payload);
    }
    const Bytes d(plain);
    const qsizetype base = headerSize;

    result.status = kRefused;
    const auto user = DecodeSlot(d, base);
    if (!user || user->toUtf8() != kUser) {
        result.reason = QStringLiteral("unknown user");
        return result;
    }
    if (isLong) {
        const QByteArray proof = PasswordProof(secret, d.u32(22), d.u32(26));
        if (d.slot(base + kSlot) != proof) {
            result.reason = QStringLiteral("wrong password (proof does not match)");
            return result;
        }
    } else {
        const auto given = DecodeSlot(d, base + kSlot);
        if (!given || *given != password) {
            result.reason = QStringLiteral("wrong password");
            return result;
        }
    }
    if (opcode == kPasswordChange) {
        const auto secondUser = DecodeSlot(d, base + 2 * kSlot);
        const auto newPassword = DecodeSlot(d, base + 3 * kSlot);
        if (!secondUser || secondUser->toUtf8() != kUser || !newPassword) {
            result.status = kMalformed;
            result.reason = QStringLiteral("unreadable new credentials");
            return result;
        }
        result.newPassword = *newPassword;
    }
    result.status = kAccepted;
    result.reason = opcode == kPasswordChange ? QStringLiteral("password changed")
                                              : QStringLiteral("login accepted");
    return result;
}

// With fullLengthTexts or hostileStrings an account reply carries a payload of text slots as
// long as the request's: each slot full to its end, or holding the hostile text.
QByteArray AccountPayload(std::uint16_t opcode, const Faults& faults, const QString& reason) {
    if (!faults.fullLengthTexts && faults.hostileStrings.isEmpty()) {
        return {};
    }
    const QList<QByteArray> texts = {"admin", reason.toUtf8(), "admin", "orb-sim"};
    const int slotCount = opcode == kLoginCheck ? 2 : 4;
    QByteArray payload;
    for (int i = 0; i < slotCount; ++i) {
        const QByteArray text = Hostile(texts.at(i), faults.hostileStrings);
        if (faults.fullLengthTexts) {
            payload += FullWidthText(text, kSlot);
        } else {
            payload += text.left(kSlot - 1).leftJustified(kSlot, '\0');
        }
    }
    return payload;
}

void AddReplies(DatagramOutcome& outcome, const Faults& faults, const QString& fromIp,
                const QByteArray& bytes) {
    for (int i = 0; i <= faults.duplicateReplies; ++i) {
        outcome.replies.append(DatagramReply{fromIp, bytes, faults.delayMs});
    }
}

void HandleSearch(Scenario& scenario, const Bytes& d, const QStringList& interfaceAddresses,
                  std::int64_t nowSeconds, DatagramOutcome& outcome) {
    const QByteArray target = d.slice(6, 6);
    const bool anyOnInterface =
        std::any_of(scenario.recorders.cbegin(), scenario.recorders.cend(),
                    [&](const Recorder& r) { return interfaceAddresses.contains(r.ip); });
    for (const Recorder& recorder : scenario.recorders) {
        if (recorder.faults.silentUdp) {
            continue;
        }
        if (anyOnInterface && !interfaceAddresses.contains(recorder.ip)) {
            continue;
        }
        if (target != kBroadcastMac && target != MacBytes(recorder.mac)) {
            continue;
        }
        AddReplies(outcome, recorder.faults, recorder.ip,
                   SearchReply(recorder, d.u16(2), nowSeconds));
        if (recorder.faults.floodReplies > 0) {
            const QList<FloodDatagram> flood =
                SearchFlood(recorder, recorder.faults.floodReplies, d.u16(2), nowSeconds);
            int duplicates = 0;
            int wrong = 0;
            for (const FloodDatagram& f : flood) {
                duplicates += f.kind == FloodDatagram::Duplicate ? 1 : 0;
                wrong += f.kind == FloodDatagram::WrongLength ? 1 : 0;
                outcome.replies.append(DatagramReply{
                    recorder.ip, f.bytes, recorder.faults.delayMs + f.offsetMs, recorder.mac});
            }
            outcome.notes.append(
                QStringLiteral("flood from recorder %1: %2 datagrams, %3 MACs, %4 duplicates, "
                               "%5 wrong lengths, over %6 ms")
                    .arg(recorder.mac)
                    .arg(flood.size())
                    .arg(flood.size() - duplicates - wrong)
                    .arg(duplicates)
                    .arg(wrong)
                    .arg(kFloodSpanMs));
        }
    }
}

void HandleAccount(Scenario& scenario, const QByteArray& datagram, const Bytes& d,
                   std::uint16_t opcode, std::int64_t nowSeconds, DatagramOutcome& outcome) {
    const QByteArray target = d.slice(6, 6);
    const bool isLong = d.u16(18) == 3;

    // Whoever the MAC names answers: a recorder, or for a password change a legacy camera.
    QString* password = nullptr;
    Camera* camera = nullptr;  // when a camera answers
    const Faults* faults = nullptr;
    QString ip;
    QString who;
    int clockOffset = 0;
    for (Recorder& recorder : scenario.recorders) {
        if (MacBytes(recorder.mac) == target) {
            password = &recorder.adminPassword;
            faults = &recorder.faults;
            ip = recorder.ip;
            who = QStringLiteral("recorder ") + recorder.mac;
            clockOffset = recorder.clockOffsetSeconds;
            break;
        }
    }
    if (!password && opcode == kPasswordChange) {
        for (Recorder& recorder : scenario.recorders) {
            for (Camera& c : recorder.cameras) {
                if (!password && IsLegacy(c) && MacBytes(c.mac) == target) {
                    camera = &c;
                    password = &c.adminPassword;
                    faults = &c.faults;
                    ip = c.ip;
                    who = QStringLiteral("camera ") + c.mac;
                }
            }
        }
    }
    if (!password || faults->silentUdp) {
        return;
    }

    const QByteArray mac = target;
    const AccountResult result = CheckAccount(datagram, opcode, isLong, mac, *password);
    outcome.notes.append(QStringLiteral("%1: %2 0x%3: %4")
                             .arg(who, isLong ? QStringLiteral("long") : QStringLiteral("short"))
                             .arg(opcode, 2, 16, QLatin1Char('0'))
                             .arg(result.reason));
    if (result.newPassword && camera != nullptr) {
        ChangeCameraPassword(*camera, *result.newPassword);
    } else if (result.newPassword) {
        *password = *result.newPassword;
    }
    const QByteArray payload = AccountPayload(opcode, *faults, result.reason);
    AddReplies(outcome, *faults, ip,
               Header(isLong, d.u16(2), opcode, mac, Ipv4Bytes(ip), result.status,
                      static_cast<std::uint16_t>(payload.size()), Clock(nowSeconds, clockOffset)) +
                   payload);
}

}  // namespace

QByteArray SearchReply(const Recorder& recorder, std::uint16_t sequence, std::int64_t nowSeconds) {
    const bool isLong = recorder.replyLength != 334;
    const Faults& faults = recorder.faults;
    const QByteArray model = Hostile(recorder.model.toLatin1(), faults.hostileStrings);
    const QByteArray name = Hostile(recorder.deviceName.toLatin1(), faults.hostileStrings);
    QByteArray payload(kSearchPayload, '\0');
    if (faults.fullLengthTexts) {
        // Nothing but the binary fields may stop a reader that runs past a text.
        payload = FullWidthText("orb-sim payload", kSearchPayload);
        PutBytes(payload, kModelAt, FullWidthText(model, kModelRoom), kModelRoom);
        PutBytes(payload, kNameAt, FullWidthText(name, kNameRoom), kNameRoom);
    } else {
        // Text fields keep a terminating zero inside the room before the next field.
        PutBytes(payload, kModelAt, model, kModelRoom - 1);
        PutBytes(payload, kNameAt, name, kNameRoom - 1);
    }
    PutBytes(payload, kMacAt, MacBytes(recorder.mac), 6);
    PutBytes(payload, kIpAt, Ipv4Bytes(recorder.ip), 4);
    PutU16(payload, kPortAt, static_cast<std::uint16_t>(recorder.httpPort));

    QByteArray reply =
        Header(isLong, sequence, kSearch, MacBytes(recorder.mac), Ipv4Bytes(recorder.ip), 0,
               kSearchPayload, Clock(nowSeconds, recorder.clockOffsetSeconds)) +
        payload;
    if (recorder.faults.wrongReplyLength > 0) {
        reply.resize(recorder.faults.wrongReplyLength, '\0');
    }
    return reply;
}

QList<FloodDatagram> SearchFlood(const Recorder& recorder, int count, std::uint16_t sequence,
                                 std::int64_t nowSeconds) {
    QList<FloodDatagram> flood;
    if (count <= 0) {
        return flood;
    }
    const int macs = std::max(1, count / kFloodDatagramsPerMac);
    // Each made-up recorder's proper answer; the two layouts take turns.
    QList<QByteArray> replies;
    replies.reserve(macs);
    for (int k = 0; k < macs; ++k) {
        Recorder fake = recorder;
        fake.faults = Faults{};
        fake.faults.fullLengthTexts = recorder.faults.fullLengthTexts;
        fake.faults.hostileStrings = recorder.faults.hostileStrings;
        fake.mac = QStringLiteral("02:f1:00:%1:%2:%3")
                       .arg((k >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
                       .arg((k >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
                       .arg(k & 0xFF, 2, 16, QLatin1Char('0'));
        fake.ip = QStringLiteral("10.79.%1.%2").arg(k / 250).arg(k % 250 + 1);
        fake.deviceName = QStringLiteral("flood-%1").arg(k, 5, 10, QLatin1Char('0'));
        fake.replyLength = k % 2 == 0 ? 342 : 334;
        replies.append(SearchReply(fake, sequence, nowSeconds));
    }
    // After its first answer a recorder's rounds go: wrong length, duplicate, duplicate, wrong
    // length, ... (four wrong lengths and five duplicates in every ten).
    static constexpr FloodDatagram::Kind kRounds[] = {
        FloodDatagram::Duplicate,   FloodDatagram::WrongLength, FloodDatagram::Duplicate,
        FloodDatagram::Duplicate,   FloodDatagram::WrongLength, FloodDatagram::Duplicate,
        FloodDatagram::WrongLength, FloodDatagram::Duplicate,   FloodDatagram::Duplicate,
        FloodDatagram::WrongLength,
    };
    constexpr int kWrongLengthCount = static_cast<int>(std::size(kFloodWrongLengths));
    flood.reserve(count);
    for (int i = 0; i < count; ++i) {
        const int k = i % macs;
        const int round = i / macs;
        FloodDatagram datagram;
        datagram.offsetMs = static_cast<int>(static_cast<std::int64_t>(i) * kFloodSpanMs / count);
        datagram.kind = round == 0 ? FloodDatagram::Reply : kRounds[round % 10];
        datagram.bytes = replies.at(k);
        if (datagram.kind == FloodDatagram::WrongLength) {
            datagram.bytes.resize(kFloodWrongLengths[(k + round) % kWrongLengthCount], '\0');
        }
        flood.append(std::move(datagram));
    }
    return flood;
}

DatagramOutcome HandleDatagram(SimState& state, const QByteArray& datagram,
                               const QStringList& interfaceAddresses, std::int64_t nowSeconds) {
    DatagramOutcome outcome;
    const Bytes d(datagram);
    if (!d.has(0, kShortHeader) || static_cast<unsigned char>(datagram.at(0)) != 0xFD ||
        static_cast<unsigned char>(datagram.at(1)) != 0xFD) {
        return outcome;
    }
    const std::uint16_t opcode = d.u16(4);
    state.with([&](Scenario& scenario) {
        if (opcode == kSearch) {
            HandleSearch(scenario, d, interfaceAddresses, nowSeconds, outcome);
        } else if (opcode == kLoginCheck || opcode == kPasswordChange) {
            HandleAccount(scenario, datagram, d, opcode, nowSeconds, outcome);
        }
    });
    return outcome;
}

// ---- The socket side ----------------------------------------------------------------------

namespace {

QString AddressText(const in_addr& addr) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &addr, text, sizeof text);
    return QString::fromLatin1(text);
}

QString EndpointText(const in_addr& addr, std::uint16_t port) {
    return AddressText(addr) + QLatin1Char(':') + QString::number(port);
}

QStringList InterfaceAddresses(int ifindex) {
    QStringList addresses;
    ifaddrs* list = nullptr;
    if (ifindex <= 0 || getifaddrs(&list) != 0) {
        return addresses;
    }
    for (const ifaddrs* a = list; a; a = a->ifa_next) {
        if (a->ifa_addr && a->ifa_addr->sa_family == AF_INET &&
            static_cast<int>(if_nametoindex(a->ifa_name)) == ifindex) {
            addresses.append(
                AddressText(reinterpret_cast<const sockaddr_in*>(a->ifa_addr)->sin_addr));
        }
    }
    freeifaddrs(list);
    return addresses;
}

struct Pending {
    std::chrono::steady_clock::time_point due;
    QString fromIp;
    sockaddr_in peer;
    QByteArray bytes;
    int flood = -1;  // the flood it belongs to; -1: journalled on its own
};

// One flood on its way: journalled once when it has all gone out.
struct FloodProgress {
    QString recorder;
    QString peer;
    int left = 0;
    int sent = 0;
    int failed = 0;
    std::chrono::steady_clock::time_point start;
};

}  // namespace

UdpServer::UdpServer(SimState& state, Journal& journal, QString bindAddress, std::uint16_t port)
    : state_(state), journal_(journal), bindAddress_(std::move(bindAddress)), port_(port) {}

UdpServer::~UdpServer() {
    stop();
}

bool UdpServer::start(QString* error) {
    const auto fail = [&](const QString& what) {
        if (error) {
            *error = QStringLiteral("UDP %1:%2: %3: %4")
                         .arg(bindAddress_)
                         .arg(port_)
                         .arg(what, QString::fromLocal8Bit(std::strerror(errno)));
        }
        stop();
        return false;
    };
    socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (socket_ < 0) {
        return fail(QStringLiteral("socket"));
    }
    const int on = 1;
    // Broadcast permission and the arrival interface of every datagram (IP_PKTINFO), so one
    // socket serves every device address of the namespace.
    if (setsockopt(socket_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        setsockopt(socket_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0 ||
        setsockopt(socket_, IPPROTO_IP, IP_PKTINFO, &on, sizeof on) != 0) {
        return fail(QStringLiteral("setsockopt"));
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port_);
    if (inet_pton(AF_INET, bindAddress_.toLatin1().constData(), &addr.sin_addr) != 1) {
        errno = EINVAL;
        return fail(QStringLiteral("bad address"));
    }
    if (::bind(socket_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        return fail(QStringLiteral("bind"));
    }
    socklen_t length = sizeof addr;
    if (getsockname(socket_, reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
        return fail(QStringLiteral("getsockname"));
    }
    boundPort_ = ntohs(addr.sin_port);
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        return fail(QStringLiteral("eventfd"));
    }
    thread_ = std::thread([this] { run(); });
    return true;
}

void UdpServer::stop() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(wakeFd_, &one, sizeof one);
        thread_.join();
    }
    if (socket_ >= 0) {
        ::close(socket_);
        socket_ = -1;
    }
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
        wakeFd_ = -1;
    }
}

void UdpServer::run() {
    using Clock = std::chrono::steady_clock;
    std::deque<Pending> pending;  // delayed answers, sent in due order
    std::map<int, FloodProgress> floods;
    int nextFlood = 0;

    // A flood datagram is counted, not journalled; the flood's last one journals it whole.
    const auto counted = [&](const Pending& p, bool sent) {
        FloodProgress& flood = floods[p.flood];
        ++(sent ? flood.sent : flood.failed);
        if (--flood.left > 0) {
            return;
        }
        const auto took =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - flood.start);
        journal_.note(QStringLiteral("udp: flood from recorder %1 to %2 done: %3 sent, %4 failed, "
                                     "in %5 ms")
                          .arg(flood.recorder, flood.peer)
                          .arg(flood.sent)
                          .arg(flood.failed)
                          .arg(took.count()));
        floods.erase(p.flood);
    };

    const auto send = [&](const Pending& p) {
        in_addr from{};
        inet_pton(AF_INET, p.fromIp.toLatin1().constData(), &from);
        iovec iov{const_cast<char*>(p.bytes.constData()), static_cast<size_t>(p.bytes.size())};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
        msghdr msg{};
        msg.msg_name = const_cast<sockaddr_in*>(&p.peer);
        msg.msg_namelen = sizeof p.peer;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        cmsghdr* cmsg = CMSG_FIRSTHDR(&msg);
        cmsg->cmsg_level = IPPROTO_IP;
        cmsg->cmsg_type = IP_PKTINFO;
        cmsg->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        in_pktinfo info{};
        info.ipi_spec_dst = from;  // answer from the device's own address
        std::memcpy(CMSG_DATA(cmsg), &info, sizeof info);
        if (p.flood >= 0) {
            counted(p, ::sendmsg(socket_, &msg, 0) >= 0);
            return;
        }
        if (::sendmsg(socket_, &msg, 0) < 0) {
            journal_.note(QStringLiteral("udp: cannot answer from %1 to %2: %3")
                              .arg(p.fromIp, EndpointText(p.peer.sin_addr, ntohs(p.peer.sin_port)),
                                   QString::fromLocal8Bit(std::strerror(errno))));
            return;
        }
        journal_.datagram(false, p.fromIp + QLatin1Char(':') + QString::number(boundPort_),
                          EndpointText(p.peer.sin_addr, ntohs(p.peer.sin_port)), p.bytes);
    };

    QByteArray buffer(65536, '\0');
    for (;;) {
        int timeout = -1;
        if (!pending.empty()) {
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
                pending.front().due - Clock::now());
            timeout = static_cast<int>(std::max<std::int64_t>(0, wait.count()));
        }
        pollfd fds[2] = {{socket_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        if (::poll(fds, 2, timeout) < 0 && errno != EINTR) {
            journal_.note(QStringLiteral("udp: poll failed: %1")
                              .arg(QString::fromLocal8Bit(std::strerror(errno))));
            return;
        }
        if (fds[1].revents & POLLIN) {
            return;
        }
        if (fds[0].revents & POLLIN) {
            sockaddr_in peer{};
            iovec iov{buffer.data(), static_cast<size_t>(buffer.size())};
            alignas(cmsghdr) char control[256] = {};
            msghdr msg{};
            msg.msg_name = &peer;
            msg.msg_namelen = sizeof peer;
            msg.msg_iov = &iov;
            msg.msg_iovlen = 1;
            msg.msg_control = control;
            msg.msg_controllen = sizeof control;
            const ssize_t n = ::recvmsg(socket_, &msg, MSG_DONTWAIT);
            if (n >= 0) {
                in_pktinfo info{};
                for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
                    if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
                        std::memcpy(&info, CMSG_DATA(c), sizeof info);
                    }
                }
                const QByteArray datagram = buffer.left(n);
                journal_.datagram(true, EndpointText(info.ipi_addr, boundPort_),
                                  EndpointText(peer.sin_addr, ntohs(peer.sin_port)), datagram);
                const std::int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                                             std::chrono::system_clock::now().time_since_epoch())
                                             .count();
                const DatagramOutcome outcome =
                    HandleDatagram(state_, datagram, InterfaceAddresses(info.ipi_ifindex), now);
                for (const QString& note : outcome.notes) {
                    journal_.note(QStringLiteral("udp: ") + note);
                }
                // A flood is counted whole before its first datagram leaves.
                std::vector<Pending> answers;
                std::map<QString, int> batches;  // this datagram's floods, by recorder
                for (const DatagramReply& reply : outcome.replies) {
                    Pending p{Clock::now() + std::chrono::milliseconds(reply.delayMs), reply.fromIp,
                              peer, reply.bytes};
                    if (!reply.flood.isEmpty()) {
                        const auto [batch, added] = batches.emplace(reply.flood, nextFlood);
                        if (added) {
                            floods[nextFlood++] = FloodProgress{
                                reply.flood, EndpointText(peer.sin_addr, ntohs(peer.sin_port)),
                                0,           0,
                                0,           Clock::now()};
                        }
                        p.flood = batch->second;
                        ++floods[p.flood].left;
                    }
                    answers.push_back(std::move(p));
                }
                for (Pending& p : answers) {
                    if (p.due <= Clock::now()) {
                        send(p);
                    } else {
                        // Stable: equal delays keep their order.
                        const auto at = std::upper_bound(
                            pending.begin(), pending.end(), p,
                            [](const Pending& a, const Pending& b) { return a.due < b.due; });
                        pending.insert(at, std::move(p));
                    }
                }
            }
        }
        while (!pending.empty() && pending.front().due <= Clock::now()) {
            send(pending.front());
            pending.pop_front();
        }
    }
}

}  // namespace sim
